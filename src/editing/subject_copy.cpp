#include "editing/subject_copy.h"

#include "book/file_io.h"
#include "editing/file_copy.h"
#include "editing/messages.h"
#include "editing/run_targets.h"
#include "editing/text_file.h"

namespace tavelo {
namespace {

bool SameTimestamp(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

class SubjectCopier {
public:
    SubjectCopier(const std::string& folder, bool expectedFileComes, CopyObserver& ui)
        : m_folder(folder), m_expectedFileComes(expectedFileComes), m_ui(ui)
    {
    }

    bool Copy(const std::string& path)
    {
        const std::string name = GetDocumentFileName(path);
        FileFacts source;
        if (StatPath(path, source) != 0 || !source.regular)
            return false;
        // Known as a source even when not copied, so Attendu.txt never replaces it.
        m_targets.AddSource(source.id);
        if (!IsPlainFileName(name))
            return false;
        if (m_expectedFileComes && name == messages::kExpectedFileName)
            return false;
        if (m_targets.TakenByOther(name, source.id))
            return false;

        const std::string target = JoinPath(m_folder, name);
        if (!m_targets.WasCopied(name) && PathIsTaken(target)) {
            FileFacts there;
            const bool known = StatPath(target, there) == 0;
            if (known && there.id == source.id) {
                // The document already lives in F: copying it onto itself would
                // only put a new file in its place.
                m_targets.RecordCopy(name, source.id);
                return true;
            }
            if (known && there.directory)
                return false;
            const bool earlierCopy = known && there.regular && there.size == source.size
                && SameTimestamp(there.modified, source.modified);
            if (!earlierCopy && !m_ui.AskYesNo(messages::ReplaceQuestion(name)))
                return false;
        }
        const CopyResult copy = CopyDocumentFile(path, target);
        if (copy.error != 0)
            return false;
        m_targets.RecordCopy(name, copy.source);
        return true;
    }

    const RunTargets& Targets() const { return m_targets; }

private:
    const std::string& m_folder;
    bool m_expectedFileComes;
    CopyObserver& m_ui;
    RunTargets m_targets;
};

bool WriteExpectedText(const std::string& text, const std::string& folder, const RunTargets& targets)
{
    const std::string path = JoinPath(folder, messages::kExpectedFileName);
    if (IsSourceAt(targets, path))
        return false;
    try {
        WriteNewFile(path, EncodeTextFile(text), true);
        return true;
    } catch (const FileError&) {
        return false;
    }
}

} // namespace

SubjectCopyResult CopySubject(const CTenorels& subject, const std::string& folder, CopyObserver& ui)
{
    namespace msg = messages;
    SubjectCopyResult result;
    if (folder.empty())
        return result;
    result.ran = true;

    ui.ProgressOpen(Tr("Editing", msg::kSubjectCopyTitle), Tr("Editing", msg::kExportTopText) + folder,
                    subject.GetDocumentCount());
    const std::string& expected = subject.GetExpectedText();
    SubjectCopier copier(folder, !expected.empty(), ui);
    for (const std::string& path : subject.GetDocumentPaths()) {
        ++result.documents;
        if (!copier.Copy(path))
            ++result.failed;
        ui.ProgressText(Tr("Editing", msg::kCopyingFile) + path);
        ui.ProgressStep();
    }

    bool expectedFailed = false;
    if (!expected.empty()) {
        result.expectedWritten = WriteExpectedText(expected, folder, copier.Targets());
        expectedFailed = !result.expectedWritten;
    }
    ui.ProgressClose();

    if (expectedFailed)
        ui.Message(Tr("Editing", msg::kExpectedNotWritten), MessageLook::Exclamation);
    if (result.AllCopied())
        ui.Message(Tr("Editing", msg::kSubjectCopySuccess), MessageLook::Information);
    else
        ui.Message(Tr("Editing", msg::kSubjectCopyErrors), MessageLook::Exclamation);
    return result;
}

SubjectCopyResult RunSubjectCopyCommand(SubjectBook& book, CopyObserver& ui)
{
    const CTenorels* subject = book.GetCurrentSubject();
    if (subject == nullptr)
        return {};
    ui.Message(Tr("Editing", messages::kSubjectCopyPrompt), MessageLook::None);
    book.SetChosenFolder(ui.ChooseFolder());
    if (book.GetChosenFolder().empty())
        return {};
    return CopySubject(*subject, book.GetChosenFolder(), ui);
}

} // namespace tavelo
