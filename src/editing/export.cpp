#include "editing/export.h"

#include <cerrno>
#include <sys/stat.h>

#include "book/file_io.h"
#include "editing/file_copy.h"
#include "editing/messages.h"
#include "editing/run_targets.h"
#include "editing/text_file.h"

namespace tavelo {
namespace {

bool CopyForExport(const std::string& path, const std::string& name, const std::string& exportFolder,
                   RunTargets& targets)
{
    FileFacts facts;
    if (StatPath(path, facts) != 0)
        return false;
    targets.AddSource(facts.id);
    if (!IsPlainFileName(name))
        return false;
    if (targets.TakenByOther(name, facts.id))
        return false;
    const CopyResult copy = CopyDocumentFile(path, JoinPath(exportFolder, name));
    if (copy.error != 0)
        return false;
    targets.RecordCopy(name, copy.source);
    return true;
}

} // namespace

ExportResult ExportBook(const SubjectBook& book, std::string_view title, const std::string& folder,
                        CopyObserver& ui)
{
    namespace msg = messages;
    ExportResult result;
    if (folder.empty())
        return result;

    const std::string exportFolder = JoinPath(folder, title);
    if (!IsPlainFileName(title) || ::mkdir(exportFolder.c_str(), 0777) != 0) {
        result.outcome = ExportResult::Outcome::FolderNotCreated;
        ui.Message(Tr("Editing", msg::kFolderNotCreated), MessageLook::Stop);
        return result;
    }

    // The exported book goes beside the folder. A file of that name may be the
    // open book itself or another book: it is left alone.
    const std::string bookName = std::string(title) + ".tvo";
    const std::string bookPath = JoinPath(folder, bookName);
    if (PathIsTaken(bookPath)) {
        result.outcome = ExportResult::Outcome::BookNotCreated;
        ui.Message(msg::BookFileExists(bookName), MessageLook::Stop);
        return result;
    }
    try {
        WriteNewFile(bookPath, book.Serialize(), true);
    } catch (const FileError&) {
        result.outcome = ExportResult::Outcome::BookNotCreated;
        ui.Message(Tr("Editing", msg::kFilesNotCreated), MessageLook::Stop);
        return result;
    }

    ui.ProgressOpen(Tr("Editing", msg::kExportTitle), Tr("Editing", msg::kExportTopText) + folder,
                    static_cast<int>(book.GetSubjectCount()));

    PendingFile report;
    if (report.Open(folder) != 0)
        ui.Message(Tr("Editing", msg::kReportNotCreated), MessageLook::Exclamation);

    std::string reportText;
    RunTargets targets;
    for (const auto& subject : book.Subjects()) {
        for (const std::string& path : subject->GetDocumentPaths()) {
            const std::string name = GetDocumentFileName(path);
            ui.ProgressText(Tr("Editing", msg::kCopyingFile) + name);
            ++result.documents;
            if (CopyForExport(path, name, exportFolder, targets)) {
                reportText += msg::ReportCopied(name);
            } else {
                ++result.failed;
                ui.Message(msg::CopyWarning(name), MessageLook::Exclamation);
                reportText += msg::ReportNotCopied(name);
            }
        }
        ui.ProgressStep();
    }
    ui.ProgressClose();

    if (report.IsOpen()) {
        const std::string reportPath = JoinPath(folder, msg::kReportFileName);
        // A document named Compte_rendu.txt that lives in F is a source: not replaced.
        if (!IsSourceAt(targets, reportPath) && report.Commit(EncodeTextFile(reportText), reportPath) == 0) {
            result.reportWritten = true;
        } else {
            report.Abandon();
            ui.Message(Tr("Editing", msg::kReportNotCreated), MessageLook::Exclamation);
        }
    }

    result.outcome = ExportResult::Outcome::Finished;
    if (result.failed > 0)
        ui.Message(Tr("Editing", msg::kExportErrors), MessageLook::Exclamation);
    else
        ui.Message(Tr("Editing", msg::kExportSuccess), MessageLook::Information);
    return result;
}

ExportResult RunExportCommand(SubjectBook& book, std::string_view title, CopyObserver& ui)
{
    ui.Message(Tr("Editing", messages::kExportPrompt), MessageLook::None);
    book.SetChosenFolder(ui.ChooseFolder());
    if (book.GetChosenFolder().empty())
        return {};
    return ExportBook(book, title, book.GetChosenFolder(), ui);
}

} // namespace tavelo
