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
inline constexpr const char* kReady = "Prêt";
inline constexpr const char* kModeSearch = "Mode Recherche";
inline constexpr const char* kModeStandard = "Mode Standard";
inline constexpr const char* kIndicatorCaps = "MAJ";
inline constexpr const char* kIndicatorNum = "NUM";
inline constexpr const char* kIndicatorScroll = "DEF";
inline constexpr const char* kSubjectsMenu = "&Sujets";
inline constexpr const char* kMenuReopenSubject = "&Ouvrir ce sujet";
inline constexpr const char* kMenuCloseSubject = "&Cloturer ce sujet";
inline constexpr const char* kPopupReopenSubject = "&Ouvrir le sujet";
inline constexpr const char* kPopupCloseSubject = "&Cloturer le sujet";
inline constexpr const char* kRecentPlaceholder = "Fichier récent";
inline constexpr const char* kDocumentName = "Tavelo";
inline constexpr const char* kFileFilter = "Fichiers Tavelo (*.tvo)";
inline constexpr const char* kFileExtension = "tvo";
inline constexpr const char* kTypeIdentifier = "Tavelo.Document";
inline constexpr const char* kTypeName = "Tavelo Document";
inline constexpr const char* kAboutTitle = "A propos de Tavelo";
inline constexpr const char* kAboutVersion = "Tavelo version 1.0.2.0";
inline constexpr const char* kOpenError = "Erreur lors de l'ouverture du fichier '%1'";
inline constexpr const char* kFileInUse = "Le fichier '%1' est utilisé.\nSauvegarder le sous un nom différent.";
inline constexpr const char* kLoadFailed = "Impossible de lire le livre '%1'.\n%2";
inline constexpr const char* kSaveFailed = "Impossible d'enregistrer le livre '%1'.\n%2";
inline constexpr const char* kSaveChanges = "Enregistrer les modifications de %1 ?";
inline constexpr const char* kDocumentPresent = "Ce document est déjà présent";
inline constexpr const char* kNewSubjectTitle = "Nouveau sujet";
inline constexpr const char* kNewSubjectGeneralTitle = "Titre Général (Ex : EDF - Impôts etc...)";
inline constexpr const char* kNewSubjectName = "Intitulé du sujet";
inline constexpr const char* kRenameSubjectTitle = "Modification du nom du sujet sélectionné";
inline constexpr const char* kRenameSubjectName = "Nom du sujet";
inline constexpr const char* kExpectedTextTitle =
    "Modification du texte permettant de savoir ce qui est attendu pour clôturer le sujet";
inline constexpr const char* kExpectedTextLabel = "Texte renseignant l'attente pour clôturer le sujet";
inline constexpr const char* kCancelDialogButton = "Annuler";
inline constexpr const char* kConfirmDeleteSubject = "Vous êtes sûr de supprimer ce sujet";
inline constexpr const char* kDocumentFilter = "Fichier (*.%1)";
inline constexpr const char* kAnyDocumentFilter = "Fichier (*)";
inline constexpr const char* kReservationTitle = "Réservation de fichier";
inline constexpr const char* kReservationLine = " est en modification";
inline constexpr const char* kReservationHint =
    "Ouvrez en lecture seule ou cliquez sur Notifier pour être averti quand ce dernier sera disponible";
inline constexpr const char* kReadOnlyButton = "&Lecture seule";
inline constexpr const char* kNotifyButton = "&Notifier";
inline constexpr const char* kCancelButton = "&Annuler";
inline constexpr const char* kAvailableLine = " est maintenant disponible pour modification";
inline constexpr const char* kAvailableHint = "Ouvrez le fichier en lecture-écriture pour le modifier";
inline constexpr const char* kReadWriteButton = "Lecture-Ecriture";
inline constexpr const char* kAvailableCancel = "Annuler";
inline constexpr const char* kReloadDropsChanges =
    "Les modifications de %1 seront perdues : le livre va être relu depuis son fichier. Continuer ?";
inline constexpr const char* kOutOfMemory = "Mémoire insuffisante.";
inline constexpr const char* kNoPreview = "Aucun aperçu n'est disponible pour le fichier « %1 ».";
inline constexpr const char* kOpenWithDefault = "Ouvrir avec l'application associée";
inline constexpr const char* kOpenWithDefaultFailed = "Aucune application ne sait ouvrir le fichier « %1 ».";
inline constexpr const char* kPreviewMissing = "Le fichier « %1 » est introuvable.";
inline constexpr const char* kPreviewUnreadable = "Le fichier « %1 » ne peut pas être affiché.\n%2";
inline constexpr const char* kPrintTitle = "Impression de %1";
inline constexpr const char* kStateClosed = "clôturé";
inline constexpr const char* kStateOpen = "en cours";
inline constexpr const char* kPrintFailed = "L'impression a échoué.";
inline constexpr const char* kOpenTitle = "Ouvrir";
inline constexpr const char* kSaveAsTitle = "Enregistrer sous";
inline constexpr const char* kAllFilesFilter = "Tous les fichiers (*)";
inline constexpr const char* kYesButton = "&Oui";
inline constexpr const char* kNoButton = "&Non";
inline constexpr const char* kOkButton = "OK";
inline constexpr const char* kPreviewErrorTitle = "Aperçu impossible";
inline constexpr const char* kPdfUnreadable = "Le fichier PDF est illisible ou protégé.";
inline constexpr const char* kExampleFailed = "Impossible de créer le livre d'exemple dans le dossier temporaire.";
} // namespace text

} // namespace tavelo::gui
