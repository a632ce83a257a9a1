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
inline constexpr const char* kTakeOverButton = QT_TRANSLATE_NOOP("Tavelo", "Prendre la main");
inline constexpr const char* kMergeTheCopy = QT_TRANSLATE_NOOP("Tavelo", "La copie");
inline constexpr const char* kLaterButton = QT_TRANSLATE_NOOP("Tavelo", "Plus tard");
inline constexpr const char* kConflictCopyIntro = QT_TRANSLATE_NOOP(
    "Tavelo", "« %1 » est une copie en conflit de ce livre, laissée par %2 quand deux postes l'ont modifié chacun de "
              "son côté. Fusionner réunit les deux versions (la version commune est connue), enregistre le livre, "
              "puis met la copie à la corbeille.");
inline constexpr const char* kConflictCopyIntroTwoWay = QT_TRANSLATE_NOOP(
    "Tavelo", "« %1 » est une copie en conflit de ce livre, laissée par %2 quand deux postes l'ont modifié chacun de "
              "son côté. Leur version commune n'est pas connue : Fusionner ajoute ce que la copie a de plus et ne "
              "supprime rien, enregistre le livre, puis met la copie à la corbeille.");
inline constexpr const char* kConflictCopyDamaged = QT_TRANSLATE_NOOP(
    "Tavelo", "La copie en conflit « %1 » n'est pas fusionnée : %2 Elle est laissée telle quelle.");
inline constexpr const char* kConflictCopyNotTrashed = QT_TRANSLATE_NOOP(
    "Tavelo", "Le livre est fusionné et enregistré, mais la copie « %1 » n'a pas pu être mise à la corbeille : %2.");
inline constexpr const char* kNotifyMeButton = QT_TRANSLATE_NOOP("Tavelo", "Me prévenir");
inline constexpr const char* kSaveCopyEllipsis = QT_TRANSLATE_NOOP("Tavelo", "Enregistrer une copie…");
inline constexpr const char* kReadOnlyHeldBy = QT_TRANSLATE_NOOP("Tavelo", "Lecture seule : réservé par %1");
inline constexpr const char* kReadOnlyHeldByOn = QT_TRANSLATE_NOOP("Tavelo", "Lecture seule : réservé par %1 sur le poste %2");
inline constexpr const char* kReadOnlyBecause = QT_TRANSLATE_NOOP("Tavelo", "Lecture seule : %1");
inline constexpr const char* kReloadedBy = QT_TRANSLATE_NOOP("Tavelo", "Livre rechargé : enregistré par %1 à %2");
inline constexpr const char* kReloaded = QT_TRANSLATE_NOOP("Tavelo", "Livre rechargé : enregistré à %1");
inline constexpr const char* kChangedUnderEdits = QT_TRANSLATE_NOOP(
    "Tavelo", "Le livre « %1 » vient d'être enregistré ailleurs, alors que vous l'avez modifié ici. Fusionner ses "
              "changements avec les vôtres ? (Rien n'est écrit : vous pourrez enregistrer le tout sous un autre nom.)");
inline constexpr const char* kTakenOverNotice = QT_TRANSLATE_NOOP(
    "Tavelo", "%1\n\nLe livre est maintenant en lecture seule dans cette fenêtre ; vos modifications restent affichées.");
inline constexpr const char* kTakenOverMerge = QT_TRANSLATE_NOOP(
    "Tavelo", "Fusionner vos modifications avec la version du livre qui est sur le disque ? (Rien n'est écrit : vous "
              "pourrez enregistrer le tout sous un autre nom.)");
inline constexpr const char* kMergeReviewTitle = QT_TRANSLATE_NOOP("Tavelo", "Fusion de deux versions du livre");
inline constexpr const char* kMergeLine = QT_TRANSLATE_NOOP("Tavelo", "%1 — %2 : %3");
inline constexpr const char* kMergeAdded = QT_TRANSLATE_NOOP("Tavelo", "ajouté");
inline constexpr const char* kMergeChanged = QT_TRANSLATE_NOOP("Tavelo", "modifié");
inline constexpr const char* kMergeRemoved = QT_TRANSLATE_NOOP("Tavelo", "supprimé");
inline constexpr const char* kMergeUnited =
    QT_TRANSLATE_NOOP("Tavelo", "modifié des deux côtés, réuni (documents des deux, attendus des deux)");
inline constexpr const char* kMergeKeptOverRemoval =
    QT_TRANSLATE_NOOP("Tavelo", "supprimé d'un côté mais modifié de l'autre : gardé");
inline constexpr const char* kMergeBothSides = QT_TRANSLATE_NOOP("Tavelo", "Des deux côtés");
inline constexpr const char* kMergeNothing = QT_TRANSLATE_NOOP("Tavelo", "Aucune différence.");
inline constexpr const char* kMergeThisWindow = QT_TRANSLATE_NOOP("Tavelo", "Ici");
inline constexpr const char* kMergeOnDisk = QT_TRANSLATE_NOOP("Tavelo", "Sur le disque");
inline constexpr const char* kMergeThisBook = QT_TRANSLATE_NOOP("Tavelo", "Ce livre");
inline constexpr const char* kMergeOtherBook = QT_TRANSLATE_NOOP("Tavelo", "L'autre livre");
inline constexpr const char* kMergeButton = QT_TRANSLATE_NOOP("Tavelo", "Fusionner");
inline constexpr const char* kSaveCopyButton = QT_TRANSLATE_NOOP("Tavelo", "Enregistrer une copie");
inline constexpr const char* kUniteButton = QT_TRANSLATE_NOOP("Tavelo", "Réunir");
inline constexpr const char* kAppendDuplicatesButton = QT_TRANSLATE_NOOP("Tavelo", "Ajouter en double");
inline constexpr const char* kChangedOnDiskIntro = QT_TRANSLATE_NOOP(
    "Tavelo", "%1\n\nFusionner réunit vos modifications et celles du fichier (la version que vous aviez ouverte "
              "sert de base), puis enregistre. Enregistrer une copie garde les deux versions.");
inline constexpr const char* kChangedOnDiskUnreadable = QT_TRANSLATE_NOOP(
    "Tavelo", "%1\n\nLa version du disque ne peut pas être lue (%2) : enregistrez vos modifications sous un autre nom.");
inline constexpr const char* kUniteIntro = QT_TRANSLATE_NOOP(
    "Tavelo", "Le livre « %1 » a des sujets de même titre général et de même intitulé que ce livre. Réunir les "
              "fusionne (documents réunis dans l'ordre, attendus gardés tous les deux quand ils diffèrent) ; "
              "Ajouter en double les ajoute à côté des sujets existants.");
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
