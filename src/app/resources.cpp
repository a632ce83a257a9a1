#include "app/resources.h"

#include <unordered_map>

#include "app/translation.h"

namespace tavelo::gui {

namespace {

const std::vector<PopupDef> kMenu128 = {
    {QT_TRANSLATE_NOOP("Tavelo", "&Fichier"),
     {{ID_FILE_NEW, QT_TRANSLATE_NOOP("Tavelo", "&Nouveau\tCtrl+N")},
      {ID_FILE_OPEN, QT_TRANSLATE_NOOP("Tavelo", "&Ouvrir...\tCtrl+O")},
      {0, nullptr},
      {ID_IMPORT, QT_TRANSLATE_NOOP("Tavelo", "&Importer\tCtrl+I")},
      {ID_EXPORT, QT_TRANSLATE_NOOP("Tavelo", "E&xporter\tCtrl+X")},
      {0, nullptr},
      {ID_FILE_MRU_FIRST, text::kRecentPlaceholder},
      {0, nullptr},
      {ID_APP_EXIT, QT_TRANSLATE_NOOP("Tavelo", "&Quitter")}}},
    {QT_TRANSLATE_NOOP("Tavelo", "&Affichage"), {{ID_VIEW_TOOLBAR, QT_TRANSLATE_NOOP("Tavelo", "&Barre d'outils")}, {ID_VIEW_STATUS_BAR, QT_TRANSLATE_NOOP("Tavelo", "Barre d'é&tat")}}},
    {QT_TRANSLATE_NOOP("Tavelo", "&?"), {{ID_HELP_EXAMPLE, QT_TRANSLATE_NOOP("Tavelo", "Livre d'e&xemple")}, {0, nullptr}, {ID_APP_ABOUT, QT_TRANSLATE_NOOP("Tavelo", "&A propos de Tavelo...")}}},
};

const std::vector<PopupDef> kMenu129 = {
    {QT_TRANSLATE_NOOP("Tavelo", "&Fichier"),
     {{ID_FILE_NEW, QT_TRANSLATE_NOOP("Tavelo", "&Nouveau document\tCtrl+N")},
      {ID_FILE_OPEN, QT_TRANSLATE_NOOP("Tavelo", "&Ouvrir document\tCtrl+O")},
      {ID_FILE_CLOSE, QT_TRANSLATE_NOOP("Tavelo", "&Fermer document")},
      {ID_FILE_SAVE, QT_TRANSLATE_NOOP("Tavelo", "&Enregistrer\tCtrl+S")},
      {ID_FILE_SAVE_AS, QT_TRANSLATE_NOOP("Tavelo", "En&registrer sous...")},
      {0, nullptr},
      {ID_IMPORT, QT_TRANSLATE_NOOP("Tavelo", "&Importer\tCtrl+I")},
      {ID_EXPORT, QT_TRANSLATE_NOOP("Tavelo", "E&xporter\tCtrl+X")},
      {ID_MERGE, QT_TRANSLATE_NOOP("Tavelo", "&Fusionner\tCtrl+F")},
      {0, nullptr},
      {ID_SCAN, QT_TRANSLATE_NOOP("Tavelo", "N&umériser…")},
      {0, nullptr},
      {ID_FILE_PRINT, QT_TRANSLATE_NOOP("Tavelo", "Im&primer…\tCtrl+P")},
      {ID_FILE_PRINT_PREVIEW, QT_TRANSLATE_NOOP("Tavelo", "Aperçu a&vant impression")},
      {0, nullptr},
      {ID_FILE_MRU_FIRST, text::kRecentPlaceholder},
      {0, nullptr},
      {ID_APP_EXIT, QT_TRANSLATE_NOOP("Tavelo", "&Quitter")}}},
    {QT_TRANSLATE_NOOP("Tavelo", "&Edition"), {{ID_COPY_SUBJECT, QT_TRANSLATE_NOOP("Tavelo", "&Copier le sujet")}, {0, nullptr}, {ID_EDIT_FIND, QT_TRANSLATE_NOOP("Tavelo", "&Rechercher un sujet")}}},
    {text::kSubjectsMenu,
     {{ID_NEW_SUBJECT, QT_TRANSLATE_NOOP("Tavelo", "&Nouveau Sujet\tCtrl+A")},
      {ID_DELETE_SUBJECT, QT_TRANSLATE_NOOP("Tavelo", "&Supprimer le sujet\tCtrl+Sup")},
      {ID_RENAME_SUBJECT, QT_TRANSLATE_NOOP("Tavelo", "&Renommer le sujet")},
      {0, nullptr},
      {ID_CLOSE_SUBJECT, QT_TRANSLATE_NOOP("Tavelo", "&Clotûrer le sujet")},
      {0, nullptr},
      {ID_EXPECTED_TEXT, QT_TRANSLATE_NOOP("Tavelo", "&Attendu")},
      {0, nullptr},
      {ID_MOVE_SUBJECT, text::kMenuMoveSubject},
      {ID_RENAME_GENERAL_TITLE, text::kMenuRenameGeneralTitle}}},
    {QT_TRANSLATE_NOOP("Tavelo", "&Mode de Navigation"),
     {{ID_NAVIGATION_STANDARD, QT_TRANSLATE_NOOP("Tavelo", "Navigation Standard")}, {ID_NAVIGATION_SEARCH, QT_TRANSLATE_NOOP("Tavelo", "Navigation par recherche")}}},
    {QT_TRANSLATE_NOOP("Tavelo", "&Outils"),
     {{ID_CHANGE_FOLDER, QT_TRANSLATE_NOOP("Tavelo", "&Changement de dossier\tCtrl+D")},
      {0, nullptr},
      {ID_CHECK_DOCUMENTS, QT_TRANSLATE_NOOP("Tavelo", "&Vérifier les documents")},
      {ID_RELINK_DOCUMENTS, QT_TRANSLATE_NOOP("Tavelo", "&Retrouver les documents déplacés…")},
      {0, nullptr},
      {ID_INBOX, QT_TRANSLATE_NOOP("Tavelo", "&Boîte de réception…")},
      {0, nullptr},
      {ID_CLEAR_TEXT_CACHE, QT_TRANSLATE_NOOP("Tavelo", "&Vider le cache des textes")},
      {ID_PAUSE_READING, QT_TRANSLATE_NOOP("Tavelo", "&Suspendre la lecture des documents")}}},
    {QT_TRANSLATE_NOOP("Tavelo", "&Affichage"), {{ID_VIEW_TOOLBAR, QT_TRANSLATE_NOOP("Tavelo", "&Barre d'outils")}, {ID_VIEW_STATUS_BAR, QT_TRANSLATE_NOOP("Tavelo", "Barre d'é&tat")}}},
    {QT_TRANSLATE_NOOP("Tavelo", "Fe&nêtre"),
     {{ID_WINDOW_NEW, QT_TRANSLATE_NOOP("Tavelo", "&Nouvelle fenêtre")},
      {ID_WINDOW_CASCADE, QT_TRANSLATE_NOOP("Tavelo", "&Cascade")},
      {ID_WINDOW_TILE_HORZ, QT_TRANSLATE_NOOP("Tavelo", "&Mosaïque")},
      {ID_WINDOW_ARRANGE, QT_TRANSLATE_NOOP("Tavelo", "&Réorganiser les icônes")}}},
    {QT_TRANSLATE_NOOP("Tavelo", "&?"), {{ID_HELP_EXAMPLE, QT_TRANSLATE_NOOP("Tavelo", "Livre d'e&xemple")}, {0, nullptr}, {ID_APP_ABOUT, QT_TRANSLATE_NOOP("Tavelo", "&A propos de Tavelo...")}}},
};

const std::vector<PopupDef> kMenu133 = {
    {QT_TRANSLATE_NOOP("Tavelo", "POP"), {{ID_REMOVE_DOCUMENT, QT_TRANSLATE_NOOP("Tavelo", "&Supprimer un document\tSuppr")}, {ID_MODIFY_DOCUMENT_PATH, QT_TRANSLATE_NOOP("Tavelo", "&Modifier le chemin du document")}}},
};

const std::vector<PopupDef> kMenu134 = {
    {QT_TRANSLATE_NOOP("Tavelo", "POP"),
     {{ID_ADD_DOCUMENT, QT_TRANSLATE_NOOP("Tavelo", "&Ajouter un document")},
      {0, nullptr},
      {ID_DELETE_SUBJECT, QT_TRANSLATE_NOOP("Tavelo", "&Supprimer le sujet")},
      {ID_RENAME_SUBJECT, QT_TRANSLATE_NOOP("Tavelo", "&Renommer le sujet")},
      {0, nullptr},
      {ID_CLOSE_SUBJECT, QT_TRANSLATE_NOOP("Tavelo", "&Clotûrer le sujet")},
      {0, nullptr},
      {ID_COPY_SUBJECT, QT_TRANSLATE_NOOP("Tavelo", "&Copier le sujet")},
      {0, nullptr},
      {ID_EXPECTED_TEXT, QT_TRANSLATE_NOOP("Tavelo", "A&ttendu")},
      {0, nullptr},
      {ID_MOVE_SUBJECT, text::kMenuMoveSubject},
      {ID_RENAME_GENERAL_TITLE, text::kMenuRenameGeneralTitle}}},
};

struct CommandString {
    const char* prompt;
    const char* tooltip;
};

const std::unordered_map<int, CommandString>& CommandStrings()
{
    static const std::unordered_map<int, CommandString> strings = {
        {ID_NEW_SUBJECT, {QT_TRANSLATE_NOOP("Tavelo", "Ajoute un nouveau sujet"), QT_TRANSLATE_NOOP("Tavelo", "Nouveau sujet")}},
        {ID_ADD_DOCUMENT, {QT_TRANSLATE_NOOP("Tavelo", "Permet d'ajouter un document"), QT_TRANSLATE_NOOP("Tavelo", "Ajoute un document")}},
        {ID_REMOVE_DOCUMENT, {QT_TRANSLATE_NOOP("Tavelo", "Permet d'enlever un document"), QT_TRANSLATE_NOOP("Tavelo", "Enlève le document")}},
        {ID_DELETE_SUBJECT, {QT_TRANSLATE_NOOP("Tavelo", "Permet de supprimer ce sujet"), QT_TRANSLATE_NOOP("Tavelo", "Supprime ce sujet")}},
        {ID_CLOSE_SUBJECT, {QT_TRANSLATE_NOOP("Tavelo", "Permet de cloturer le suivi de ce sujet "), QT_TRANSLATE_NOOP("Tavelo", "Cloture le sujet")}},
        {ID_MODIFY_DOCUMENT_PATH, {QT_TRANSLATE_NOOP("Tavelo", "Permet de modifier le chemin du document"), QT_TRANSLATE_NOOP("Tavelo", "Modifie le chemin")}},
        {ID_IMPORT, {QT_TRANSLATE_NOOP("Tavelo", "Importe un nouveau document Tavelo avec tous ses fichiers associés"), QT_TRANSLATE_NOOP("Tavelo", "Importe")}},
        {ID_EXPORT, {QT_TRANSLATE_NOOP("Tavelo", "Exporte un nouveau document Tavelo avec ses fichiers associés"), QT_TRANSLATE_NOOP("Tavelo", "Export")}},
        {ID_CHANGE_FOLDER, {QT_TRANSLATE_NOOP("Tavelo", "Change de dossier à tous les documents du fichier Tavelo en cours"), QT_TRANSLATE_NOOP("Tavelo", "Change de dossier")}},
        {ID_RENAME_SUBJECT, {QT_TRANSLATE_NOOP("Tavelo", "Permet de modifier le nom du sujet en cours"), QT_TRANSLATE_NOOP("Tavelo", "Modifie le nom du sujet")}},
        {ID_EXPECTED_TEXT, {QT_TRANSLATE_NOOP("Tavelo", "Permet de modifier l'attendu du sujet en cours"), QT_TRANSLATE_NOOP("Tavelo", "Modifie l'attendu du sujet")}},
        {ID_NAVIGATION_STANDARD, {QT_TRANSLATE_NOOP("Tavelo", "Permet de passer au mode de navigation par défaut"), QT_TRANSLATE_NOOP("Tavelo", "Navigation Standard")}},
        {ID_NAVIGATION_SEARCH, {QT_TRANSLATE_NOOP("Tavelo", "Passe en navigation par recherche"), QT_TRANSLATE_NOOP("Tavelo", "Navigation par recherche")}},
        {ID_MERGE, {QT_TRANSLATE_NOOP("Tavelo", "Fusionne deux fichiers de type .tvo en un seul"), QT_TRANSLATE_NOOP("Tavelo", "Fusionne")}},
        {ID_COPY_SUBJECT, {QT_TRANSLATE_NOOP("Tavelo", "Copie les documents du sujet spécifié dans un dossier"), QT_TRANSLATE_NOOP("Tavelo", "Copie le sujet spécifié")}},
        {ID_HELP_EXAMPLE, {QT_TRANSLATE_NOOP("Tavelo", "Ouvre un petit livre d'exemple avec ses documents"), QT_TRANSLATE_NOOP("Tavelo", "Livre d'exemple")}},
        {ID_CHECK_DOCUMENTS,
         {QT_TRANSLATE_NOOP("Tavelo", "Liste les documents absents ou illisibles du livre"),
          QT_TRANSLATE_NOOP("Tavelo", "Vérifie les documents")}},
        {ID_RELINK_DOCUMENTS,
         {QT_TRANSLATE_NOOP("Tavelo", "Retrouve dans un dossier les documents qui ont été déplacés"),
          QT_TRANSLATE_NOOP("Tavelo", "Retrouve les documents")}},
        {ID_CLEAR_TEXT_CACHE,
         {QT_TRANSLATE_NOOP("Tavelo", "Oublie le texte des documents gardé pour la recherche ; ils seront relus à la prochaine recherche"),
          QT_TRANSLATE_NOOP("Tavelo", "Vide le cache des textes")}},
        {ID_PAUSE_READING,
         {QT_TRANSLATE_NOOP("Tavelo", "Suspend ou reprend la lecture en arrière-plan des documents que la recherche rapide ne connaît pas encore"),
          QT_TRANSLATE_NOOP("Tavelo", "Suspend la lecture des documents")}},
        {ID_INBOX,
         {QT_TRANSLATE_NOOP("Tavelo", "Choisit les dossiers dont les nouveaux fichiers sont proposés au rangement dans ce livre"),
          QT_TRANSLATE_NOOP("Tavelo", "Boîte de réception")}},
        {ID_SCAN,
         {QT_TRANSLATE_NOOP("Tavelo", "Numérise des pages en un PDF où l'on peut chercher, dans la boîte de réception ou sous le sujet sélectionné"),
          QT_TRANSLATE_NOOP("Tavelo", "Numériser")}},
        {ID_MOVE_SUBJECT,
         {QT_TRANSLATE_NOOP("Tavelo", "Range le sujet en cours sous un autre titre général"),
          QT_TRANSLATE_NOOP("Tavelo", "Déplace le sujet")}},
        {ID_RENAME_GENERAL_TITLE,
         {QT_TRANSLATE_NOOP("Tavelo", "Renomme le titre général ; tous les sujets qu'il regroupe le suivent"),
          QT_TRANSLATE_NOOP("Tavelo", "Renomme le titre général")}},
        {ID_FILE_PRINT, {QT_TRANSLATE_NOOP("Tavelo", "Imprime l'arbre des sujets"), QT_TRANSLATE_NOOP("Tavelo", "Imprimer")}},
        {ID_FILE_PRINT_PREVIEW,
         {QT_TRANSLATE_NOOP("Tavelo", "Montre les pages que l'impression donnera"),
          QT_TRANSLATE_NOOP("Tavelo", "Aperçu avant impression")}},
        {ID_FILE_NEW, {QT_TRANSLATE_NOOP("Tavelo", "Crée un nouveau document Tavelo"), QT_TRANSLATE_NOOP("Tavelo", "Nouveau")}},
        {ID_FILE_OPEN, {QT_TRANSLATE_NOOP("Tavelo", "Ouvre un document Tavelo existant"), QT_TRANSLATE_NOOP("Tavelo", "Ouvrir")}},
        {ID_FILE_CLOSE, {QT_TRANSLATE_NOOP("Tavelo", "Ferme le document actif"), QT_TRANSLATE_NOOP("Tavelo", "Fermer")}},
        {ID_FILE_SAVE, {QT_TRANSLATE_NOOP("Tavelo", "Enregistre le document actif"), QT_TRANSLATE_NOOP("Tavelo", "Enregistrer")}},
        {ID_FILE_SAVE_AS, {QT_TRANSLATE_NOOP("Tavelo", "Enregistre le document actif sous un nouveau nom"), QT_TRANSLATE_NOOP("Tavelo", "Enregistrer sous")}},
        {ID_EDIT_FIND, {QT_TRANSLATE_NOOP("Tavelo", "Recherche le sujet spécifié"), QT_TRANSLATE_NOOP("Tavelo", "Rechercher un sujet")}},
        {ID_WINDOW_NEW, {QT_TRANSLATE_NOOP("Tavelo", "Ouvre une nouvelle fenêtre pour le document actif"), QT_TRANSLATE_NOOP("Tavelo", "Nouvelle fenêtre")}},
        {ID_WINDOW_ARRANGE, {QT_TRANSLATE_NOOP("Tavelo", "Réorganise les icônes en bas de la fenêtre"), QT_TRANSLATE_NOOP("Tavelo", "Réorganise les icônes")}},
        {ID_WINDOW_CASCADE, {QT_TRANSLATE_NOOP("Tavelo", "Réorganise les fenêtres en cascade"), QT_TRANSLATE_NOOP("Tavelo", "Cascade")}},
        {ID_WINDOW_TILE_HORZ, {QT_TRANSLATE_NOOP("Tavelo", "Réorganise les fenêtres en une mosaïque"), QT_TRANSLATE_NOOP("Tavelo", "Mosaïque")}},
        {ID_APP_EXIT, {QT_TRANSLATE_NOOP("Tavelo", "Ferme l'application ; propose d'enregistrer les documents"), QT_TRANSLATE_NOOP("Tavelo", "Quitter")}},
        {ID_VIEW_TOOLBAR, {QT_TRANSLATE_NOOP("Tavelo", "Affiche ou masque la barre d'outils"), QT_TRANSLATE_NOOP("Tavelo", "Barre d'outils")}},
        {ID_VIEW_STATUS_BAR, {QT_TRANSLATE_NOOP("Tavelo", "Affiche ou masque la barre d'état"), QT_TRANSLATE_NOOP("Tavelo", "Barre d'état")}},
        {ID_NEXT_PANE, {QT_TRANSLATE_NOOP("Tavelo", "Passe au volet de fenêtre suivant"), QT_TRANSLATE_NOOP("Tavelo", "Volet suivant")}},
        {ID_PREV_PANE, {QT_TRANSLATE_NOOP("Tavelo", "Revient au volet précédent"), QT_TRANSLATE_NOOP("Tavelo", "Volet précédent")}},
        // The about command's string is the framework's own.
        {ID_APP_ABOUT, {QT_TRANSLATE_NOOP("Tavelo", "Affiche des informations sur le programme"), QT_TRANSLATE_NOOP("Tavelo", "A propos de")}},
    };
    return strings;
}

} // namespace

const std::vector<PopupDef>& MenuResource(int id)
{
    static const std::vector<PopupDef> none;
    switch (id) {
    case IDR_MAINFRAME:
        return kMenu128;
    case IDR_TAVELOTYPE:
        return kMenu129;
    case IDR_POPUP_DOCUMENT:
        return kMenu133;
    case IDR_POPUP_SUBJECT:
        return kMenu134;
    default:
        return none;
    }
}

const std::vector<AcceleratorDef>& AcceleratorTable()
{
    static const std::vector<AcceleratorDef> table = {
        // The keys the menus show. Ctrl+C is left to copying.
        {QKeySequence(Qt::CTRL | Qt::Key_A), ID_NEW_SUBJECT},
        {QKeySequence(Qt::CTRL | Qt::Key_D), ID_CHANGE_FOLDER},
        {QKeySequence(Qt::CTRL | Qt::Key_F), ID_MERGE},
        {QKeySequence(Qt::CTRL | Qt::Key_I), ID_IMPORT},
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
        {QKeySequence(Qt::CTRL | Qt::Key_V), ID_EDIT_PASTE},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), ID_EDIT_UNDO},
        {QKeySequence(Qt::Key_Delete), ID_REMOVE_DOCUMENT},
        {QKeySequence(Qt::CTRL | Qt::Key_Delete), ID_DELETE_SUBJECT},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), ID_EDIT_CUT},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), ID_EDIT_COPY},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), ID_EDIT_PASTE},
        {QKeySequence(Qt::CTRL | Qt::Key_X), ID_EXPORT},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), ID_EDIT_UNDO},
    };
    return table;
}

const std::vector<int>& ToolbarButtons()
{
    static const std::vector<int> buttons = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_FIND, 0, ID_APP_ABOUT};
    return buttons;
}

const std::vector<int>& StatusIndicators()
{
    static const std::vector<int> indicators = {0, ID_INDICATOR_MODE, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    return indicators;
}

QString CommandPrompt(int id)
{
    if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST)
        return Tx(QT_TRANSLATE_NOOP("Tavelo", "Ouvre ce document"));
    const auto& strings = CommandStrings();
    const auto it = strings.find(id);
    return it == strings.end() ? QString() : Tx(it->second.prompt);
}

QString CommandTooltip(int id)
{
    const auto& strings = CommandStrings();
    const auto it = strings.find(id);
    return it == strings.end() ? QString() : Tx(it->second.tooltip);
}

QString LoadString(int id)
{
    switch (id) {
    case IDR_MAINFRAME:
        return QString::fromUtf8(text::kAppName);
    case ID_INDICATOR_MODE:
        return Tx(text::kModeSearch);
    case ID_INDICATOR_CAPS:
        return Tx(text::kIndicatorCaps);
    case ID_INDICATOR_NUM:
        return Tx(text::kIndicatorNum);
    case ID_INDICATOR_SCRL:
        return Tx(text::kIndicatorScroll);
    default:
        return {};
    }
}

} // namespace tavelo::gui
