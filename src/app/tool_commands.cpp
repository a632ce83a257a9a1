#include "app/tool_commands.h"

#include <QFileInfo>
#include <algorithm>
#include <unordered_set>

#include "app/command_host.h"
#include "app/export_progress_dlg.h"
#include "app/folder_chooser.h"
#include "app/merge_review_dlg.h"
#include "app/resources.h"
#include "app/resource_ids.h"
#include "app/tenorel_app.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/held_file.h"
#include "book/merge.h"
#include "book/version_merge.h"
#include "editing/export.h"
#include "editing/repoint.h"
#include "editing/subject_copy.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

const char* const kExported = QT_TRANSLATE_NOOP("Tavelo", "Livre exporté dans %1");
const char* const kExportedWithFailures = QT_TRANSLATE_NOOP("Tavelo", "Livre exporté dans %1 : %2 document(s) non copié(s)");
const char* const kImported = QT_TRANSLATE_NOOP("Tavelo", "Livre importé : %1");
const char* const kMergedNone = QT_TRANSLATE_NOOP("Tavelo", "Aucun sujet ajouté");
const char* const kMergedOne = QT_TRANSLATE_NOOP("Tavelo", "1 sujet ajouté");
const char* const kMergedMany = QT_TRANSLATE_NOOP("Tavelo", "%1 sujets ajoutés");

MessageBox::Look LookOf(tavelo::MessageLook look)
{
    switch (look) {
    case tavelo::MessageLook::None:
        return MessageBox::NoIcon;
    case tavelo::MessageLook::Stop:
        return MessageBox::Stop;
    case tavelo::MessageLook::Exclamation:
        return MessageBox::Exclamation;
    case tavelo::MessageLook::Information:
        return MessageBox::Information;
    }
    return MessageBox::NoIcon;
}

// A name typed without extension in the merge dialog means the book file.
QString WithBookExtension(const QString& path)
{
    if (QFileInfo::exists(path) || !QFileInfo(path).suffix().isEmpty())
        return path;
    const QString withExtension = path + QStringLiteral(".tvo");
    return QFileInfo::exists(withExtension) ? withExtension : path;
}

// Whether a book of this instance has the file open. Other instances are the
// merge reader's to detect.
bool IsOpenHere(const QString& path)
{
    const CTenorelApp* app = CTenorelApp::Instance();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!app || canonical.isEmpty())
        return false;
    for (const CTenorelDoc* doc : app->Documents()) {
        if (!doc->GetPathName().isEmpty() && QFileInfo(doc->GetPathName()).canonicalFilePath() == canonical)
            return true;
    }
    return false;
}

} // namespace

WindowCopyObserver::WindowCopyObserver(CTenorelDoc& doc) : m_doc(doc) {}

WindowCopyObserver::~WindowCopyObserver()
{
    ProgressClose();
}

void WindowCopyObserver::Message(const std::string& text, tavelo::MessageLook look)
{
    MessageBox::Show(CTenorelDoc::DialogParent(), ToQ(text), LookOf(look));
}

bool WindowCopyObserver::AskYesNo(const std::string& text)
{
    return MessageBox::Show(CTenorelDoc::DialogParent(), ToQ(text), MessageBox::Exclamation,
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

std::string WindowCopyObserver::ChooseFolder()
{
    gui::ChooseFolder(m_doc);
    return m_doc.GetChosenFolder();
}

void WindowCopyObserver::ProgressOpen(const std::string& title, const std::string& topText, int maximum)
{
    ProgressClose();
    CView* first = m_doc.GetView(0);
    if (!first)
        return;
    m_progress = new CExportProgressDlg;
    m_progress->SetMaximum(maximum);
    m_progress->m_strFolderText = ToQ(topText);
    // The subject copy's title is there from the first paint on.
    m_progress->setWindowTitle(ToQ(title));
    m_progress->Create(first->GetWidget());
}

void WindowCopyObserver::ProgressText(const std::string& secondText)
{
    if (!m_progress)
        return;
    m_progress->m_strFileText = ToQ(secondText);
    m_progress->PushTexts();
}

void WindowCopyObserver::ProgressStep()
{
    if (m_progress)
        m_progress->Step();
}

void WindowCopyObserver::ProgressClose()
{
    delete m_progress.data();
    m_progress = nullptr;
}

void OnExport(CTenorelDoc& doc)
{
    if (doc.GetPathName().isEmpty())
        return;
    WindowCopyObserver ui(doc);
    const tavelo::ExportResult result = tavelo::RunExportCommand(doc, doc.GetTitle().toStdString(), ui);
    if (result.outcome != tavelo::ExportResult::Outcome::Finished)
        return;
    const QString folder = ToQ(doc.GetChosenFolder());
    CommandHost::Tell(result.failed == 0 ? Tx(kExported).arg(folder) : Tx(kExportedWithFailures).arg(folder).arg(result.failed));
}

void OnCopySubject(CTenorelDoc& doc)
{
    WindowCopyObserver ui(doc);
    tavelo::RunSubjectCopyCommand(doc, ui);
}

void OnChangeFolder(CTenorelDoc& doc)
{
    WindowCopyObserver ui(doc);
    if (tavelo::RunFolderChangeCommand(doc, ui))
        doc.RefreshDocumentList();
}

void OnImport(CTenorelView& /*tree*/)
{
    CommandHost* host = CommandHost::Instance();
    if (!host)
        return;
    const CTenorelApp* app = CTenorelApp::Instance();
    const std::size_t before = app ? app->Documents().size() : 0;
    host->SetImportPending(true);
    host->RunCommand(ID_FILE_OPEN);
    // A cancelled dialog, a failed open or a book already open made no new
    // tree: nothing may stay pending for the next book.
    host->SetImportPending(false);
    if (app && app->Documents().size() > before)
        CommandHost::Tell(Tx(kImported).arg(app->Documents().back()->GetPathName()));
}

void RepointImportedDocuments(CTenorelDoc& doc)
{
    const std::string path = doc.GetPathName().toStdString();
    if (path.empty())
        return;
    const std::string folder = tavelo::ImportFolder(path, doc.GetTitle().toStdString());
    for (const auto& subject : doc.Subjects())
        tavelo::RepointImportedSubject(doc, *subject, folder);
}

void MergeBook(CTenorelView& tree)
{
    CTenorelDoc* doc = tree.GetDocument();
    if (!doc)
        return;
    QWidget* parent = tree.window();
    QString path = FileDialog::GetOpenFileName(parent, Tx(kMergeTitle), QString(),
                                               Tx(kMergeFilter));
    if (path.isEmpty())
        return;
    path = WithBookExtension(path);

    bool unknownFormat = false;
    const FormatNotice notice = [&unknownFormat, parent](std::string_view message) {
        if (unknownFormat)
            return;
        unknownFormat = true;
        MessageBox::Show(parent, ToQ(message), MessageBox::Stop);
    };
    if (IsOpenHere(path)) {
        MessageBox::Show(parent, ToQ(tavelo::Tr("Book", tavelo::kMergeRefusedMessage)), MessageBox::Stop);
        return;
    }
    tavelo::MergeRead read = tavelo::ReadBookForMerge(path.toStdString(), notice);
    switch (read.outcome) {
    case tavelo::MergeReadOutcome::kRefused:
        MessageBox::Show(parent, ToQ(read.message), MessageBox::Stop);
        return;
    case tavelo::MergeReadOutcome::kDamaged:
        if (!unknownFormat)
            MessageBox::Show(parent, ToQ(read.message), MessageBox::Stop);
        return;
    case tavelo::MergeReadOutcome::kRead:
        break;
    }
    // Subjects of one general title and name on both sides may be united
    // rather than put side by side.
    std::unordered_set<std::string> ours;
    for (const auto& s : doc->Subjects())
        ours.insert(s->GetGeneralTitle() + '\0' + s->GetSubjectName());
    const bool shared = std::any_of(read.subjects.begin(), read.subjects.end(), [&](const auto& s) {
        return ours.count(s->GetGeneralTitle() + '\0' + s->GetSubjectName()) > 0;
    });
    if (shared) {
        enum { kUnite = 2, kDuplicates = 3 };
        tavelo::MergeResult united = tavelo::MergeVersions(nullptr, doc->Subjects(), read.subjects);
        CMergeReviewDlg dlg(Tx(text::kUniteIntro).arg(QFileInfo(path).fileName()), united, Tx(text::kMergeThisBook),
                            Tx(text::kMergeOtherBook), parent);
        dlg.AddChoice(text::kUniteButton, kUnite, true);
        dlg.AddChoice(text::kAppendDuplicatesButton, kDuplicates);
        dlg.AddChoice(text::kCancelDialogButton, QDialog::Rejected);
        const int answer = DialogRunner::Exec(dlg);
        if (answer == kUnite) {
            const tavelo::CTenorels* current = doc->GetCurrentSubject();
            const std::string title = current ? current->GetGeneralTitle() : std::string();
            const std::string name = current ? current->GetSubjectName() : std::string();
            doc->ReplaceSubjects(std::move(united.merged));
            doc->SetModifiedFlag();
            tree.OnStandardNavigation();
            if (current)
                doc->ReselectSubject(title, name);
            return;
        }
        if (answer != kDuplicates)
            return;
    }
    const std::size_t added = read.subjects.size();
    tavelo::AppendMergedSubjects(*doc, std::move(read.subjects));
    tree.OnStandardNavigation();
    CommandHost::Tell(added == 0 ? Tx(kMergedNone) : added == 1 ? Tx(kMergedOne) : Tx(kMergedMany).arg(added));
}

void RegisterToolCommands()
{
    using Books = CommandRegistry<CTenorelDoc>;
    using Trees = CommandRegistry<CTenorelView>;
    Books::Register(ID_EXPORT, OnExport, CTenorelDoc::UpdateNeedsPath);
    Books::Register(ID_COPY_SUBJECT, OnCopySubject, CTenorelDoc::UpdateNeedsCurrentSubject);
    Books::Register(ID_CHANGE_FOLDER, OnChangeFolder);
    // The merge acts from every pane of the book window: the tree handles it
    // when active, the book (with its first tree) otherwise.
    Books::Register(
        ID_MERGE,
        [](CTenorelDoc& doc) {
            if (CTenorelView* tree = doc.GetTreeView())
                MergeBook(*tree);
        },
        CTenorelDoc::UpdateNotReadOnly);
    Trees::Register(ID_IMPORT, OnImport);
    Trees::Register(ID_MERGE, MergeBook);
    CTenorelView::ImportRepointing() = RepointImportedDocuments;
}

} // namespace tavelo::gui
