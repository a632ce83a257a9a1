#include "app/resources.h"

#include <unordered_map>

namespace tavelo::gui {

namespace {

const std::vector<PopupDef> kMenu128 = {
    {"&Fichier",
     {{ID_FILE_NEW, "&Nouveau\tCtrl+N"},
      {ID_FILE_OPEN, "&Ouvrir...\tCtrl+O"},
      {0, nullptr},
      {ID_IMPORT, "&Importer\tCtrl+I"},
      {ID_EXPORT, "E&xporter\tCtrl+X"},
      {0, nullptr},
      {ID_FILE_MRU_FIRST, text::kRecentPlaceholder},
      {0, nullptr},
      {ID_APP_EXIT, "&Quitter"}}},
    {"&Affichage", {{ID_VIEW_TOOLBAR, "&Barre d'outils"}, {ID_VIEW_STATUS_BAR, "Barre d'é&tat"}}},
    {"&?", {{ID_APP_ABOUT, "&A propos de Tavelo..."}}},
};

const std::vector<PopupDef> kMenu129 = {
    {"&Fichier",
     {{ID_FILE_NEW, "&Nouveau document\tCtrl+N"},
      {ID_FILE_OPEN, "&Ouvrir document\tCtrl+O"},
      {ID_FILE_CLOSE, "&Fermer document"},
      {ID_FILE_SAVE, "&Enregistrer\tCtrl+S"},
      {ID_FILE_SAVE_AS, "En&registrer sous..."},
      {0, nullptr},
      {ID_IMPORT, "&Importer\tCtrl+I"},
      {ID_EXPORT, "E&xporter\tCtrl+X"},
      {ID_MERGE, "&Fusionner\tCtrl+F"},
      {0, nullptr},
      {ID_FILE_MRU_FIRST, text::kRecentPlaceholder},
      {0, nullptr},
      {ID_APP_EXIT, "&Quitter"}}},
    {"&Edition", {{ID_COPY_SUBJECT, "&Copier le sujet"}, {0, nullptr}, {ID_EDIT_FIND, "&Rechercher un sujet"}}},
    {text::kSubjectsMenu,
     {{ID_NEW_SUBJECT, "&Nouveau Sujet\tCtrl+A"},
      {ID_DELETE_SUBJECT, "&Supprimer le sujet\tCtrl+Sup"},
      {ID_RENAME_SUBJECT, "&Renommer le sujet"},
      {0, nullptr},
      {ID_CLOSE_SUBJECT, "&Clotûrer le sujet"},
      {0, nullptr},
      {ID_EXPECTED_TEXT, "&Attendu"}}},
    {"&Mode de Navigation",
     {{ID_NAVIGATION_STANDARD, "Navigation Standard"}, {ID_NAVIGATION_SEARCH, "Navigation par recherche"}}},
    {"&Outils",
     {{ID_CHANGE_FOLDER, "&Changement de dossier\tCtrl+D"},
      {0, nullptr},
      {ID_CHECK_DOCUMENTS, "&Vérifier les documents"},
      {ID_RELINK_DOCUMENTS, "&Retrouver les documents déplacés…"},
      {0, nullptr},
      {ID_CLEAR_TEXT_CACHE, "&Vider le cache des textes"}}},
    {"&Affichage", {{ID_VIEW_TOOLBAR, "&Barre d'outils"}, {ID_VIEW_STATUS_BAR, "Barre d'é&tat"}}},
    {"Fe&nêtre",
     {{ID_WINDOW_NEW, "&Nouvelle fenêtre"},
      {ID_WINDOW_CASCADE, "&Cascade"},
      {ID_WINDOW_TILE_HORZ, "&Mosaïque"},
      {ID_WINDOW_ARRANGE, "&Réorganiser les icônes"}}},
    {"&?", {{ID_APP_ABOUT, "&A propos de Tavelo..."}}},
};

const std::vector<PopupDef> kMenu133 = {
    {"POP", {{ID_REMOVE_DOCUMENT, "&Supprimer un document\tSuppr"}, {ID_MODIFY_DOCUMENT_PATH, "&Modifier le chemin du document"}}},
};

const std::vector<PopupDef> kMenu134 = {
    {"POP",
     {{ID_ADD_DOCUMENT, "&Ajouter un document"},
      {0, nullptr},
      {ID_DELETE_SUBJECT, "&Supprimer le sujet"},
      {ID_RENAME_SUBJECT, "&Renommer le sujet"},
      {0, nullptr},
      {ID_CLOSE_SUBJECT, "&Clotûrer le sujet"},
      {0, nullptr},
      {ID_COPY_SUBJECT, "&Copier le sujet"},
      {0, nullptr},
      {ID_EXPECTED_TEXT, "A&ttendu"}}},
};

struct CommandString {
    const char* prompt;
    const char* tooltip;
};

const std::unordered_map<int, CommandString>& CommandStrings()
{
    static const std::unordered_map<int, CommandString> strings = {
        {ID_NEW_SUBJECT, {"Ajoute un nouveau sujet", "Nouveau sujet"}},
        {ID_ADD_DOCUMENT, {"Permet d'ajouter un document", "Ajoute un document"}},
        {ID_REMOVE_DOCUMENT, {"Permet d'enlever un document", "Enlève le document"}},
        {ID_DELETE_SUBJECT, {"Permet de supprimer ce sujet", "Supprime ce sujet"}},
        {ID_CLOSE_SUBJECT, {"Permet de cloturer le suivi de ce sujet ", "Cloture le sujet"}},
        {ID_MODIFY_DOCUMENT_PATH, {"Permet de modifier le chemin du document", "Modifie le chemin"}},
        {ID_IMPORT, {"Importe un nouveau document Tavelo avec tous ses fichiers associés", "Importe"}},
        {ID_EXPORT, {"Exporte un nouveau document Tavelo avec ses fichiers associés", "Export"}},
        {ID_CHANGE_FOLDER, {"Change de dossier à tous les documents du fichier Tavelo en cours", "Change de dossier"}},
        {ID_RENAME_SUBJECT, {"Permet de modifier le nom du sujet en cours", "Modifie le nom du sujet"}},
        {ID_EXPECTED_TEXT, {"Permet de modifier l'attendu du sujet en cours", "Modifie l'attendu du sujet"}},
        {ID_NAVIGATION_STANDARD, {"Permet de passer au mode de navigation par défaut", "Navigation Standard"}},
        {ID_NAVIGATION_SEARCH, {"Passe en navigation par recherche", "Navigation par recherche"}},
        {ID_MERGE, {"Fusionne deux fichiers de type .tvo en un seul", "Fusionne"}},
        {ID_COPY_SUBJECT, {"Copie les documents du sujet spécifié dans un dossier", "Copie le sujet spécifié"}},
        {ID_CHECK_DOCUMENTS, {"Liste les documents absents ou illisibles du livre", "Vérifie les documents"}},
        {ID_RELINK_DOCUMENTS, {"Retrouve dans un dossier les documents qui ont été déplacés", "Retrouve les documents"}},
        {ID_CLEAR_TEXT_CACHE,
         {"Oublie le texte des documents gardé pour la recherche ; ils seront relus à la prochaine recherche",
          "Vide le cache des textes"}},
        {ID_FILE_NEW, {"Crée un nouveau document Tavelo", "Nouveau"}},
        {ID_FILE_OPEN, {"Ouvre un document Tavelo existant", "Ouvrir"}},
        {ID_FILE_CLOSE, {"Ferme le document actif", "Fermer"}},
        {ID_FILE_SAVE, {"Enregistre le document actif", "Enregistrer"}},
        {ID_FILE_SAVE_AS, {"Enregistre le document actif sous un nouveau nom", "Enregistrer sous"}},
        {ID_EDIT_FIND, {"Recherche le sujet spécifié", "Rechercher un sujet"}},
        {ID_WINDOW_NEW, {"Ouvre une nouvelle fenêtre pour le document actif", "Nouvelle fenêtre"}},
        {ID_WINDOW_ARRANGE, {"Réorganise les icônes en bas de la fenêtre", "Réorganise les icônes"}},
        {ID_WINDOW_CASCADE, {"Réorganise les fenêtres en cascade", "Cascade"}},
        {ID_WINDOW_TILE_HORZ, {"Réorganise les fenêtres en une mosaïque", "Mosaïque"}},
        {ID_APP_EXIT, {"Ferme l'application ; propose d'enregistrer les documents", "Quitter"}},
        {ID_VIEW_TOOLBAR, {"Affiche ou masque la barre d'outils", "Barre d'outils"}},
        {ID_VIEW_STATUS_BAR, {"Affiche ou masque la barre d'état", "Barre d'état"}},
        {ID_NEXT_PANE, {"Passe au volet de fenêtre suivant", "Volet suivant"}},
        {ID_PREV_PANE, {"Revient au volet précédent", "Volet précédent"}},
        // The about command's string is the framework's own.
        {ID_APP_ABOUT, {"Affiche des informations sur le programme", "A propos de"}},
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
        return QStringLiteral("Ouvre ce document");
    const auto& strings = CommandStrings();
    const auto it = strings.find(id);
    return it == strings.end() ? QString() : QString::fromUtf8(it->second.prompt);
}

QString CommandTooltip(int id)
{
    const auto& strings = CommandStrings();
    const auto it = strings.find(id);
    return it == strings.end() ? QString() : QString::fromUtf8(it->second.tooltip);
}

QString LoadString(int id)
{
    switch (id) {
    case IDR_MAINFRAME:
        return QString::fromUtf8(text::kAppName);
    case ID_INDICATOR_MODE:
        return QString::fromUtf8(text::kModeSearch);
    case ID_INDICATOR_CAPS:
        return QString::fromUtf8(text::kIndicatorCaps);
    case ID_INDICATOR_NUM:
        return QString::fromUtf8(text::kIndicatorNum);
    case ID_INDICATOR_SCRL:
        return QString::fromUtf8(text::kIndicatorScroll);
    default:
        return {};
    }
}

} // namespace tavelo::gui
