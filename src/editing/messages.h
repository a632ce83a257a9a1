#pragma once
// The French texts of the export, the subject copy and the folder change,
// marked for translation in the context "Editing": they are shown through
// Tr("Editing", ...). The report lines and the file names are data, written
// into the export as they are in every language.
// The " \n " sequences are part of the texts as the message boxes show them.

#include <string>
#include <string_view>

#include "base/tr.h"

namespace tavelo::messages {

inline constexpr std::string_view kExportPrompt = TAVELO_TR_NOOP("Editing", "Donner le dossier où exporter les fichiers");
inline constexpr std::string_view kFolderNotCreated =
    TAVELO_TR_NOOP("Editing", "Impossible de créer le dossier \n 1/ Assurez-vous d'avoir les droits \n 2/ Assurez-vous qu'aucun dossier n'existe dans le répertoire de sauvegarde");
inline constexpr std::string_view kFilesNotCreated = TAVELO_TR_NOOP("Editing", "Impossible de créer les fichiers \n Assurez-vous d'avoir les droits");
inline constexpr std::string_view kReportNotCreated = TAVELO_TR_NOOP("Editing", "Impossible de créer le fichier de compte rendu");
inline constexpr std::string_view kExportErrors =
    TAVELO_TR_NOOP("Editing", "Il existe des erreurs \n Vous pouvez consulter le fichier de compte-rendu pour les connaitre");
inline constexpr std::string_view kExportSuccess =
    TAVELO_TR_NOOP("Editing", "Le fichier a été exporté avec succès \n Vous pouvez consulter le fichier de compte-rendu");
inline constexpr std::string_view kExportTitle = TAVELO_TR_NOOP("Editing", "Exportation");
inline constexpr std::string_view kExportTopText = TAVELO_TR_NOOP("Editing", "Exportation vers le dossier ");
inline constexpr std::string_view kCopyingFile = TAVELO_TR_NOOP("Editing", "Copie du fichier ");

inline constexpr std::string_view kSubjectCopyPrompt = TAVELO_TR_NOOP("Editing", "Donner le dossier où copier les documents");
inline constexpr std::string_view kSubjectCopyTitle = TAVELO_TR_NOOP("Editing", "Copie du sujet");
inline constexpr std::string_view kSubjectCopySuccess =
    TAVELO_TR_NOOP("Editing", "Les documents ont été correctement copié dans le dossier spécifié");
inline constexpr std::string_view kSubjectCopyErrors =
    TAVELO_TR_NOOP("Editing", "Il existe au moins un document qui n'a pas été copié correctementé");

inline constexpr std::string_view kFolderChangePrompt = TAVELO_TR_NOOP("Editing", "Donner le dossier où se trouve désormais les fichiers");

inline constexpr std::string_view kReportFileName = "Compte_rendu.txt";
inline constexpr std::string_view kExpectedFileName = "Attendu.txt";

// "Attention le fichier N n'a pas pu être copié, vous devez le faire manuellement", translated.
std::string CopyWarning(std::string_view fileName);
// The two report lines of Compte_rendu.txt, each ended by a space, CR and LF,
// always in French.
std::string ReportCopied(std::string_view fileName);
std::string ReportNotCopied(std::string_view fileName);

// Texts of this program's own for cases where copying as asked would destroy a
// file, translated.
std::string BookFileExists(std::string_view bookFile);
std::string ReplaceQuestion(std::string_view fileName);
inline constexpr std::string_view kExpectedNotWritten =
    TAVELO_TR_NOOP("Editing", "Impossible de créer le fichier Attendu.txt dans le dossier spécifié");

} // namespace tavelo::messages
