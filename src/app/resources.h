#pragma once
// The resource tables: menus, accelerators, toolbar, status-bar indicators, the
// prompt/tooltip strings of every command and the program's fixed texts. Every
// French text the windows show comes from resources.cpp.

#include <QKeySequence>
#include <QString>
#include <vector>

#include "app/resource_ids.h"

namespace tavelo::gui {

// One entry of a popup; id 0 is a separator.
struct MenuItemDef {
    int id;
    const char* text;
};

struct PopupDef {
    const char* title;
    std::vector<MenuItemDef> items;
};

// Menus 128 and 129 (menu bars), 133 and 134 (context menus, one popup "POP").
// Unknown identifiers give an empty list.
const std::vector<PopupDef>& MenuResource(int id);

struct AcceleratorDef {
    QKeySequence keys;
    int id;
};
// Accelerator table 128, active in the main window and every book window.
const std::vector<AcceleratorDef>& AcceleratorTable();

// Toolbar 128: command identifiers in order, 0 for a separator.
const std::vector<int>& ToolbarButtons();

// Status-bar indicators, left to right (0 is the message pane).
const std::vector<int>& StatusIndicators();

// The status-bar prompt (first line of the command's string) and the tooltip
// (second line); empty when the command has none.
QString CommandPrompt(int id);
QString CommandTooltip(int id);

// String-table entries that are not command strings.
QString LoadString(int id);

namespace text {
inline constexpr const char* kAppName = "Tavelo";
inline constexpr const char* kReady = QT_TRANSLATE_NOOP("Tavelo", "Prêt");
inline constexpr const char* kModeSearch = QT_TRANSLATE_NOOP("Tavelo", "Mode Recherche");
inline constexpr const char* kModeStandard = QT_TRANSLATE_NOOP("Tavelo", "Mode Standard");
inline constexpr const char* kIndicatorCaps = QT_TRANSLATE_NOOP("Tavelo", "MAJ");
inline constexpr const char* kIndicatorNum = QT_TRANSLATE_NOOP("Tavelo", "NUM");
inline constexpr const char* kIndicatorScroll = QT_TRANSLATE_NOOP("Tavelo", "DEF");
inline constexpr const char* kSubjectsMenu = QT_TRANSLATE_NOOP("Tavelo", "&Sujets");
inline constexpr const char* kMenuReopenSubject = QT_TRANSLATE_NOOP("Tavelo", "&Ouvrir ce sujet");
inline constexpr const char* kMenuCloseSubject = QT_TRANSLATE_NOOP("Tavelo", "&Cloturer ce sujet");
inline constexpr const char* kMenuMoveSubject = QT_TRANSLATE_NOOP("Tavelo", "&Déplacer vers un autre titre général…");
inline constexpr const char* kMenuRenameGeneralTitle = QT_TRANSLATE_NOOP("Tavelo", "Renommer le &titre général…");
inline constexpr const char* kReadOnlyRefused =
    QT_TRANSLATE_NOOP("Tavelo", "Ce livre est ouvert en lecture seule : il ne peut pas être modifié ici.");
inline constexpr const char* kPrintDetails = QT_TRANSLATE_NOOP("Tavelo", "Imprimer l'attendu et les documents de chaque sujet");
inline constexpr const char* kPrintDetailsTab = QT_TRANSLATE_NOOP("Tavelo", "Contenu");
inline constexpr const char* kPopupReopenSubject = QT_TRANSLATE_NOOP("Tavelo", "&Ouvrir le sujet");
inline constexpr const char* kPopupCloseSubject = QT_TRANSLATE_NOOP("Tavelo", "&Cloturer le sujet");
inline constexpr const char* kRecentPlaceholder = QT_TRANSLATE_NOOP("Tavelo", "Fichier récent");
inline constexpr const char* kDocumentName = "Tavelo";
inline constexpr const char* kFileFilter = QT_TRANSLATE_NOOP("Tavelo", "Fichiers Tavelo (*.tvo)");
inline constexpr const char* kFileExtension = "tvo";
inline constexpr const char* kTypeIdentifier = "Tavelo.Document";
inline constexpr const char* kTypeName = "Tavelo Document";
inline constexpr const char* kAboutTitle = QT_TRANSLATE_NOOP("Tavelo", "A propos de Tavelo");
inline constexpr const char* kAboutVersion = QT_TRANSLATE_NOOP("Tavelo", "Tavelo version 1.0.2.0");
inline constexpr const char* kLoadFailed = QT_TRANSLATE_NOOP("Tavelo", "Impossible de lire le livre '%1'.\n%2");
inline constexpr const char* kSaveFailed = QT_TRANSLATE_NOOP("Tavelo", "Impossible d'enregistrer le livre '%1'.\n%2");
inline constexpr const char* kSaveChanges = QT_TRANSLATE_NOOP("Tavelo", "Enregistrer les modifications de %1 ?");
inline constexpr const char* kDocumentPresent = QT_TRANSLATE_NOOP("Tavelo", "Ce document est déjà présent");
inline constexpr const char* kNewSubjectTitle = QT_TRANSLATE_NOOP("Tavelo", "Nouveau sujet");
inline constexpr const char* kNewSubjectGeneralTitle = QT_TRANSLATE_NOOP("Tavelo", "Titre Général (Ex : EDF - Impôts etc...)");
inline constexpr const char* kNewSubjectName = QT_TRANSLATE_NOOP("Tavelo", "Intitulé du sujet");
inline constexpr const char* kRenameSubjectTitle = QT_TRANSLATE_NOOP("Tavelo", "Modification du nom du sujet sélectionné");
inline constexpr const char* kRenameSubjectName = QT_TRANSLATE_NOOP("Tavelo", "Nom du sujet");
inline constexpr const char* kExpectedTextTitle =
    QT_TRANSLATE_NOOP("Tavelo", "Modification du texte permettant de savoir ce qui est attendu pour clôturer le sujet");
inline constexpr const char* kExpectedTextLabel = QT_TRANSLATE_NOOP("Tavelo", "Texte renseignant l'attente pour clôturer le sujet");
inline constexpr const char* kCancelDialogButton = QT_TRANSLATE_NOOP("Tavelo", "Annuler");
inline constexpr const char* kConfirmDeleteSubject = QT_TRANSLATE_NOOP("Tavelo", "Vous êtes sûr de supprimer ce sujet");
inline constexpr const char* kDocumentFilter = QT_TRANSLATE_NOOP("Tavelo", "Fichier (*.%1)");
inline constexpr const char* kAnyDocumentFilter = QT_TRANSLATE_NOOP("Tavelo", "Fichier (*)");
inline constexpr const char* kReservationTitle = QT_TRANSLATE_NOOP("Tavelo", "Réservation de fichier");
inline constexpr const char* kReservationLine = QT_TRANSLATE_NOOP("Tavelo", " est en modification");
inline constexpr const char* kReservationHint =
    QT_TRANSLATE_NOOP("Tavelo", "Ouvrez en lecture seule ou cliquez sur Notifier pour être averti quand ce dernier sera disponible");
inline constexpr const char* kReadOnlyButton = QT_TRANSLATE_NOOP("Tavelo", "&Lecture seule");
inline constexpr const char* kNotifyButton = QT_TRANSLATE_NOOP("Tavelo", "&Notifier");
inline constexpr const char* kCancelButton = QT_TRANSLATE_NOOP("Tavelo", "&Annuler");
inline constexpr const char* kAvailableLine = QT_TRANSLATE_NOOP("Tavelo", " est maintenant disponible pour modification");
inline constexpr const char* kAvailableHint = QT_TRANSLATE_NOOP("Tavelo", "Ouvrez le fichier en lecture-écriture pour le modifier");
inline constexpr const char* kReadWriteButton = QT_TRANSLATE_NOOP("Tavelo", "Lecture-Ecriture");
inline constexpr const char* kAvailableCancel = QT_TRANSLATE_NOOP("Tavelo", "Annuler");
inline constexpr const char* kReloadDropsChanges =
    QT_TRANSLATE_NOOP("Tavelo", "Les modifications de %1 seront perdues : le livre va être relu depuis son fichier. Continuer ?");
inline constexpr const char* kOutOfMemory = QT_TRANSLATE_NOOP("Tavelo", "Mémoire insuffisante.");
inline constexpr const char* kNoPreview = QT_TRANSLATE_NOOP("Tavelo", "Aucun aperçu n'est disponible pour le fichier « %1 ».");
inline constexpr const char* kOpenWithDefault = QT_TRANSLATE_NOOP("Tavelo", "Ouvrir avec l'application associée");
inline constexpr const char* kOpenWithDefaultFailed = QT_TRANSLATE_NOOP("Tavelo", "Aucune application ne sait ouvrir le fichier « %1 ».");
inline constexpr const char* kPreviewMissing = QT_TRANSLATE_NOOP("Tavelo", "Le fichier « %1 » est introuvable.");
inline constexpr const char* kPreviewUnreadable = QT_TRANSLATE_NOOP("Tavelo", "Le fichier « %1 » ne peut pas être affiché.\n%2");
inline constexpr const char* kPrintTitle = QT_TRANSLATE_NOOP("Tavelo", "Impression de %1");
inline constexpr const char* kStateClosed = QT_TRANSLATE_NOOP("Tavelo", "clôturé");
inline constexpr const char* kStateOpen = QT_TRANSLATE_NOOP("Tavelo", "en cours");
inline constexpr const char* kPrintFailed = QT_TRANSLATE_NOOP("Tavelo", "L'impression a échoué.");
inline constexpr const char* kOpenTitle = QT_TRANSLATE_NOOP("Tavelo", "Ouvrir");
inline constexpr const char* kSaveAsTitle = QT_TRANSLATE_NOOP("Tavelo", "Enregistrer sous");
inline constexpr const char* kAllFilesFilter = QT_TRANSLATE_NOOP("Tavelo", "Tous les fichiers (*)");
inline constexpr const char* kYesButton = QT_TRANSLATE_NOOP("Tavelo", "&Oui");
inline constexpr const char* kNoButton = QT_TRANSLATE_NOOP("Tavelo", "&Non");
inline constexpr const char* kOkButton = QT_TRANSLATE_NOOP("Tavelo", "OK");
inline constexpr const char* kPreviewErrorTitle = QT_TRANSLATE_NOOP("Tavelo", "Aperçu impossible");
inline constexpr const char* kPdfUnreadable = QT_TRANSLATE_NOOP("Tavelo", "Le fichier PDF est illisible ou protégé.");
inline constexpr const char* kExampleFailed = QT_TRANSLATE_NOOP("Tavelo", "Impossible de créer le livre d'exemple dans le dossier temporaire.");
} // namespace text

} // namespace tavelo::gui
