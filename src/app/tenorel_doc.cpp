#include "app/tenorel_doc.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>
#include <cerrno>
#include <new>

#include "app/command_host.h"
#include "app/main_frame.h"
#include "app/reservation_dlg.h"
#include "app/splitter.h"
#include "app/resources.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "book/tenorels.h"
#include "views/html_view.h"
#include "views/liste_view.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {
const char* const kSavedMessage = QT_TRANSLATE_NOOP("Tavelo", "Livre enregistré : %1");

std::string ToStd(const QString& s)
{
    return s.toStdString();
}

// The title a book takes from its path: the file's name without the book
// extension.
QString TitleFromPath(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    const QString suffix = QStringLiteral(".") + Tx(text::kFileExtension);
    if (name.endsWith(suffix, Qt::CaseInsensitive) && name.size() > suffix.size())
        name.chop(suffix.size());
    return name;
}
} // namespace

CTenorelDoc::CTenorelDoc(QObject* parent) : QObject(parent), m_storage(BookStorage::Make())
{
    InstallCommands();
}

CTenorelDoc::~CTenorelDoc()
{
    // Views are destroyed with their windows before the book; any left over
    // must not call back into a destroyed book.
    for (CView* view : m_viewList)
        view->DetachDocument();
}

QWidget* CTenorelDoc::DialogParent()
{
    return QApplication::activeWindow();
}

void CTenorelDoc::InstallCommands()
{
    OnCommand(ID_FILE_CLOSE, [this] {
        if (SaveModified())
            OnCloseDocument();
    });
    OnCommand(ID_FILE_SAVE, [this] { DoFileSave(); });
    OnCommand(ID_FILE_SAVE_AS, [this] { DoSave(QString()); });
    OnUpdate(ID_CLOSE_SUBJECT, [this](CCmdUI& ui) { UpdateNeedsCurrentSubject(*this, ui); });
    OnUpdate(ID_MERGE, [this](CCmdUI& ui) { UpdateNotReadOnly(*this, ui); });
    // Printing is the tree's, and reachable from every pane of the window.
    for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW}) {
        OnCommand(id, [this, id] {
            if (CTenorelView* tree = CommandTree())
                tree->RunCommand(id);
        });
    }
    CommandRegistry<CTenorelDoc>::InstallInto(*this);
}

void CTenorelDoc::UpdateNeedsCurrentSubject(CTenorelDoc& doc, CCmdUI& ui)
{
    ui.Enable(doc.GetCurrentSubject() != nullptr);
}

void CTenorelDoc::UpdateNeedsPath(CTenorelDoc& doc, CCmdUI& ui)
{
    ui.Enable(!doc.GetPathName().isEmpty());
}

void CTenorelDoc::UpdateNotReadOnly(CTenorelDoc& doc, CCmdUI& ui)
{
    ui.Enable(!doc.IsReadOnly());
}

void CTenorelDoc::SetTitle(const QString& title)
{
    m_strTitle = title;
    if (CTenorelView* tree = GetTreeView())
        tree->SetRootText(title);
    Q_EMIT titleChanged(title);
}

void CTenorelDoc::SetPathName(const QString& path)
{
    m_strPathName = QFileInfo(path).absoluteFilePath();
    SetTitle(TitleFromPath(m_strPathName));
}

bool CTenorelDoc::OnNewDocument()
{
    // Making a book ends the process's wait for another book.
    BookStorage::StopWaiting();
    ReplaceSubjects({});
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CTenorelDoc::OnOpenDocument(const QString& path)
{
    BookStorage::StopWaiting();
    bool notify = false;
    std::unique_ptr<HeldFile> file = TakeBookFile(path, notify);
    if (!file || !ReadBookFile(*file, path))
        return false;
    m_storage->Hold(std::move(file));
    m_bNotify = notify;
    if (m_bNotify)
        StartWaiting();
    return true;
}

std::unique_ptr<HeldFile> CTenorelDoc::TakeBookFile(const QString& path, bool& notify)
{
    notify = false;
    bool readOnly = false;
    HeldFileStatus status;
    std::unique_ptr<HeldFile> file = m_storage->OpenFile(ToStd(path), readOnly, status);
    if (!file) {
        MessageBox::Show(DialogParent(), QString::fromStdString(OpenErrorMessage(path.toStdString())), MessageBox::NoIcon);
        return nullptr;
    }
    if (!readOnly)
        return file;
    const QString why = QString::fromStdString(file->DescribeReadOnly());
    if (file->GetReadOnlyReason() != ReadOnlyReason::kHeldElsewhere) {
        // Nobody else holds it, so there is nothing to wait for: only say why
        // it cannot be saved here.
        MessageBox::Show(DialogParent(), why, MessageBox::Information);
        return file;
    }
    CReservationDlg dlg(QString::fromStdString(file->GetFileName()), DialogParent());
    dlg.SetHolderLine(why);
    if (DialogRunner::Exec(dlg) != QDialog::Accepted)
        return nullptr;
    notify = dlg.GetChoice() == 1;
    return file;
}

bool CTenorelDoc::ReadBookFile(const HeldFile& file, const QString& path)
{
    bool unknownFormat = false;
    const FormatNotice notice = [&unknownFormat](std::string_view message) {
        // A file with several records of an unknown schema is told once.
        if (unknownFormat)
            return;
        unknownFormat = true;
        MessageBox::Show(DialogParent(), QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())),
                         MessageBox::Stop);
    };
    QString reason;
    try {
        const FileBytes bytes = file.Load();
        Deserialize(bytes.View(), notice);
        return true;
    } catch (const std::bad_alloc&) {
        reason = Tx(text::kOutOfMemory);
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
    }
    MessageBox::Show(DialogParent(), Tx(text::kLoadFailed).arg(path, reason), MessageBox::Stop);
    return false;
}

void CTenorelDoc::StartWaiting()
{
    m_storage->StartWaiting(this, [this] { OnBookAvailable(); });
}

void CTenorelDoc::OnBookAvailable()
{
    const HeldFile* held = m_storage->Held();
    if (!m_bNotify || !held || !m_storage->IsReadOnly())
        return;
    m_bNotify = false;
    const QString path = QString::fromStdString(held->GetFilePath());
    const QPointer<CTenorelDoc> self(this);
    CAvailableDlg dlg(QString::fromStdString(held->GetFileName()), DialogParent());
    if (DialogRunner::Exec(dlg) != QDialog::Accepted || !self)
        return;
    // Reading the file again replaces what was changed here; the user may
    // rather keep it (and save it under another name).
    if (IsModified()) {
        const auto answer = MessageBox::Show(DialogParent(), Tx(text::kReloadDropsChanges).arg(m_strTitle),
                                             MessageBox::Exclamation, QMessageBox::Yes | QMessageBox::No,
                                             QMessageBox::No);
        if (answer != QMessageBox::Yes || !self)
            return;
    }
    ReopenReadWrite(path);
}

void CTenorelDoc::ReopenReadWrite(const QString& path)
{
    bool notify = false;
    std::unique_ptr<HeldFile> file = TakeBookFile(path, notify);
    if (!file || !ReadBookFile(*file, path))
        return;
    m_storage->Hold(std::move(file));
    m_bNotify = notify;
    ShowReloadedSubjects();
    if (m_bNotify)
        StartWaiting();
}

void CTenorelDoc::ShowReloadedSubjects()
{
    // The records the views pointed at are gone: every tree of the book is
    // rebuilt in standard mode, without the search hits.
    SetCurrentSubject(nullptr);
    bool leftSearchMode = false;
    for (CView* view : m_viewList) {
        if (auto* tree = dynamic_cast<CTenorelView*>(view)) {
            leftSearchMode |= tree->m_bSearchMode;
            tree->m_bSearchMode = false;
            tree->m_searchHits.clear();
            tree->FillStandard();
            tree->SetRootText(m_strTitle);
        } else if (auto* list = dynamic_cast<CListeView*>(view)) {
            list->ShowDocuments(nullptr);
        } else if (auto* preview = dynamic_cast<CHTMLView*>(view)) {
            preview->LoadBlankPage();
        }
    }
    if (leftSearchMode) {
        if (auto* frame = dynamic_cast<CMainFrame*>(CommandHost::Instance())) {
            frame->EnableSubjectsMenu(true);
            frame->SetModePaneText(Tx(text::kModeStandard));
        }
    }
}

bool CTenorelDoc::OnSaveDocument(const QString& path)
{
    const std::string target = ToStd(QFileInfo(path).absoluteFilePath());
    SaveResult result;
    try {
        result = m_storage->Save(target, [this](const tavelo::ByteSink& sink) { Serialize(sink); });
    } catch (const std::bad_alloc&) {
        result = {SaveOutcome::kFailed, text::kOutOfMemory, ENOMEM};
    }
    switch (result.outcome) {
    case SaveOutcome::kSaved:
        break;
    case SaveOutcome::kInUse:
        MessageBox::Show(DialogParent(), QString::fromStdString(InUseMessage(path.toStdString())), MessageBox::NoIcon);
        return false;
    case SaveOutcome::kFailed:
        MessageBox::Show(DialogParent(), Tx(text::kSaveFailed).arg(path, QString::fromStdString(result.message)),
                         MessageBox::Stop);
        return false;
    }
    if (!m_storage->IsReadOnly())
        m_bNotify = false;
    SetModifiedFlag(false);
    return true;
}

void CTenorelDoc::OnCloseDocument()
{
    // Closing any book ends the process's wait.
    BookStorage::StopWaiting();
    m_bNotify = false;
    m_storage->Close();
    Q_EMIT closeRequested(this);
}

bool CTenorelDoc::DoFileSave()
{
    if (IsReadOnly() || m_strPathName.isEmpty())
        return DoSave(QString());
    return DoSave(m_strPathName);
}

bool CTenorelDoc::DoSave(const QString& path, bool replace)
{
    QString target = path;
    if (target.isEmpty()) {
        QString initial = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
        if (QFileInfo(initial).suffix().isEmpty())
            initial += QStringLiteral(".") + Tx(text::kFileExtension);
        target = FileDialog::GetSaveFileName(DialogParent(), Tx(text::kSaveAsTitle), initial,
                                             Tx(text::kFileFilter),
                                             Tx(text::kFileExtension));
        if (target.isEmpty())
            return false;
    }
    if (!OnSaveDocument(target))
        return false;
    if (replace) {
        SetPathName(target);
        Q_EMIT saved(m_strPathName);
    }
    CommandHost::Tell(Tx(kSavedMessage).arg(QFileInfo(target).absoluteFilePath()));
    return true;
}

bool CTenorelDoc::SaveModified()
{
    if (!IsModified())
        return true;
    const auto answer =
        MessageBox::Show(DialogParent(), Tx(text::kSaveChanges).arg(m_strTitle), MessageBox::Exclamation,
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::No)
        return true;
    return DoFileSave();
}

void CTenorelDoc::AddView(CView* view)
{
    m_viewList.push_back(view);
}

void CTenorelDoc::RemoveView(CView* view)
{
    m_viewList.erase(std::remove(m_viewList.begin(), m_viewList.end(), view), m_viewList.end());
}

CTenorelView* CTenorelDoc::GetTreeView() const
{
    return dynamic_cast<CTenorelView*>(GetView(0));
}

CListeView* CTenorelDoc::GetListView() const
{
    return dynamic_cast<CListeView*>(GetView(2));
}

CHTMLView* CTenorelDoc::GetPreviewView() const
{
    for (CView* view : m_viewList) {
        if (auto* preview = dynamic_cast<CHTMLView*>(view))
            return preview;
    }
    return nullptr;
}

QStringList CTenorelDoc::GeneralTitles() const
{
    QStringList titles;
    for (const auto& subject : Subjects())
        titles << ToQ(subject->GetGeneralTitle());
    titles.removeDuplicates();
    return titles;
}

bool CTenorelDoc::RenameGeneralTitle(const std::string& from, const std::string& to)
{
    bool changed = false;
    for (const auto& subject : Subjects()) {
        if (subject->GetGeneralTitle() == from) {
            subject->SetGeneralTitle(to);
            changed = true;
        }
    }
    if (!changed || from == to)
        return false;
    SetModifiedFlag(true);
    RelayOutTrees();
    return true;
}

bool CTenorelDoc::MoveSubject(CTenorels* subject, const std::string& generalTitle)
{
    if (IndexOf(subject) < 0 || subject->GetGeneralTitle() == generalTitle)
        return false;
    subject->SetGeneralTitle(generalTitle);
    SetModifiedFlag(true);
    RelayOutTrees();
    return true;
}

bool CTenorelDoc::RefuseReadOnlyEdit() const
{
    if (!IsReadOnly())
        return false;
    MessageBox::Show(DialogParent(), Tx(text::kReadOnlyRefused), MessageBox::Exclamation);
    return true;
}

CTenorelView* CTenorelDoc::CommandTree() const
{
    if (CommandHost* host = CommandHost::Instance()) {
        for (CCmdTarget* target : host->ActiveRoute()) {
            auto* window = dynamic_cast<CSplitter*>(target);
            if (window && window->GetDocument() == this)
                return window->Tree();
        }
    }
    return GetTreeView();
}

void CTenorelDoc::RelayOutTrees()
{
    for (CView* view : m_viewList) {
        if (auto* tree = dynamic_cast<CTenorelView*>(view))
            tree->RelayOut();
    }
}

void CTenorelDoc::RefreshDocumentList()
{
    if (m_viewList.empty())
        return;
    CListeView* list = GetListView();
    if (!list)
        return;
    list->ShowDocuments(GetCurrentSubject());
    if (CHTMLView* preview = GetPreviewView())
        preview->LoadBlankPage();
}

} // namespace tavelo::gui
