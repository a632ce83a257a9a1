#pragma once
// The French texts of the export, the subject copy and the folder change.
// The " \n " sequences are part of the texts as the message boxes show them.

#include <string>
#include <string_view>

namespace tavelo::messages {

inline constexpr std::string_view kExportPrompt = "Donner le dossier où exporter les fichiers";
inline constexpr std::string_view kFolderNotCreated =
    "Impossible de créer le dossier \n 1/ Assurez-vous d'avoir les droits \n 2/ Assurez-vous qu'aucun dossier n'existe dans le répertoire de sauvegarde";
inline constexpr std::string_view kFilesNotCreated = "Impossible de créer les fichiers \n Assurez-vous d'avoir les droits";
inline constexpr std::string_view kReportNotCreated = "Impossible de créer le fichier de compte rendu";
inline constexpr std::string_view kExportErrors =
    "Il existe des erreurs \n Vous pouvez consulter le fichier de compte-rendu pour les connaitre";
inline constexpr std::string_view kExportSuccess =
    "Le fichier a été exporté avec succès \n Vous pouvez consulter le fichier de compte-rendu";
inline constexpr std::string_view kExportTitle = "Exportation";
inline constexpr std::string_view kExportTopText = "Exportation vers le dossier ";
inline constexpr std::string_view kCopyingFile = "Copie du fichier ";

inline constexpr std::string_view kSubjectCopyPrompt = "Donner le dossier où copier les documents";
inline constexpr std::string_view kSubjectCopyTitle = "Copie du sujet";
inline constexpr std::string_view kSubjectCopySuccess =
    "Les documents ont été correctement copié dans le dossier spécifié";
inline constexpr std::string_view kSubjectCopyErrors =
    "Il existe au moins un document qui n'a pas été copié correctementé";

inline constexpr std::string_view kFolderChangePrompt = "Donner le dossier où se trouve désormais les fichiers";

inline constexpr std::string_view kReportFileName = "Compte_rendu.txt";
inline constexpr std::string_view kExpectedFileName = "Attendu.txt";

// "Attention le fichier N n'a pas pu être copié, vous devez le faire manuellement"
std::string CopyWarning(std::string_view fileName);
// The two report lines, each ended by a space, CR and LF.
std::string ReportCopied(std::string_view fileName);
std::string ReportNotCopied(std::string_view fileName);

// Texts of this program's own for cases where copying as asked would destroy a file.
std::string BookFileExists(std::string_view bookFile);
std::string ReplaceQuestion(std::string_view fileName);
inline constexpr std::string_view kExpectedNotWritten =
    "Impossible de créer le fichier Attendu.txt dans le dossier spécifié";

} // namespace tavelo::messages
