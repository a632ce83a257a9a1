#include "editing/repoint.h"

#include "editing/messages.h"

namespace tavelo {

void RepointDocuments(CTenorels& subject, std::string_view folder)
{
    for (int i = 0; i < subject.GetDocumentCount(); ++i)
        subject.SetDocumentPath(i, JoinPath(folder, subject.GetDocumentFileName(i)));
}

void ChangeFolder(SubjectBook& book, std::string_view folder)
{
    for (const auto& subject : book.Subjects())
        RepointDocuments(*subject, folder);
    book.SetModifiedFlag(true);
}

bool RunFolderChangeCommand(SubjectBook& book, CopyObserver& ui)
{
    ui.Message(Tr("Editing", messages::kFolderChangePrompt), MessageLook::None);
    book.SetChosenFolder(ui.ChooseFolder());
    if (book.GetChosenFolder().empty())
        return false;
    ChangeFolder(book, book.GetChosenFolder());
    return true;
}

std::string BookTitleFromPath(std::string_view bookPath)
{
    const auto slash = bookPath.rfind('/');
    std::string_view name = slash == std::string_view::npos ? bookPath : bookPath.substr(slash + 1);
    constexpr std::string_view kExtension = ".tvo";
    if (name.size() > kExtension.size()) {
        const std::string_view tail = name.substr(name.size() - kExtension.size());
        bool same = true;
        for (std::size_t i = 0; i < tail.size(); ++i) {
            const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] - 'A' + 'a') : tail[i];
            same = same && c == kExtension[i];
        }
        if (same)
            name.remove_suffix(kExtension.size());
    }
    return std::string(name);
}

std::string ImportFolder(std::string_view bookPath, std::string_view title)
{
    const auto slash = bookPath.rfind('/');
    std::string folder(slash == std::string_view::npos ? std::string_view{} : bookPath.substr(0, slash + 1));
    folder.append(title);
    return folder;
}

void RepointImportedSubject(SubjectBook& book, CTenorels& subject, std::string_view importFolder)
{
    RepointDocuments(subject, importFolder);
    book.SetModifiedFlag(true);
}

void RepointImportedBook(SubjectBook& book, std::string_view bookPath, std::string_view title)
{
    const std::string folder = ImportFolder(bookPath, title);
    for (const auto& subject : book.Subjects())
        RepointImportedSubject(book, *subject, folder);
}

} // namespace tavelo
