#include "editing/messages.h"

namespace tavelo::messages {

namespace {
std::string Concat(std::string_view a, std::string_view b, std::string_view c)
{
    std::string out;
    out.reserve(a.size() + b.size() + c.size());
    out.append(a).append(b).append(c);
    return out;
}
} // namespace

std::string CopyWarning(std::string_view fileName)
{
    return Format(Tr("Editing", "Attention le fichier %1 n'a pas pu être copié, vous devez le faire manuellement"), {fileName});
}

std::string ReportCopied(std::string_view fileName)
{
    return Concat("Le fichier ", fileName, " a été copié \r\n");
}

std::string ReportNotCopied(std::string_view fileName)
{
    return Concat("Le fichier ", fileName, " n'a pas été copié, vous devez le faire manuellement \r\n");
}

std::string BookFileExists(std::string_view bookFile)
{
    return Format(Tr("Editing", "Impossible de créer les fichiers \n Le fichier %1 existe déjà dans le dossier choisi, il n'est pas remplacé"),
                  {bookFile});
}

std::string ReplaceQuestion(std::string_view fileName)
{
    return Format(Tr("Editing", "Le fichier %1 existe déjà dans le dossier spécifié \n Voulez-vous le remplacer ?"), {fileName});
}

} // namespace tavelo::messages
