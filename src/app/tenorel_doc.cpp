#include "app/tenorel_doc.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QPointer>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <new>
#include <thread>

#include "app/command_host.h"
#include "app/long_operation.h"
#include "app/main_frame.h"
#include "app/merge_review_dlg.h"
#include "app/reservation_dlg.h"
#include "app/splitter.h"
#include "app/resources.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "book/tenorels.h"
#include "book/version_merge.h"
#include "book/conflict_copies.h"
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
    WatchBookFile();
    Q_EMIT readOnlyChanged();
    // Conflict copies are offered once the window shows the book.
    QTimer::singleShot(0, this, [this] { CheckBookOnDisk(); });
    return true;
}

namespace {
int g_pollInterval = 5000;
std::function<void()> g_diskLookHook;
}

void CTenorelDoc::SetPollInterval(int milliseconds)
{
    g_pollInterval = milliseconds;
}

void CTenorelDoc::WatchBookFile()
{
    const HeldFile* held = m_storage->Held();
    if (!held)
        return;
    const QString path = QString::fromStdString(held->GetFilePath());
    if (!m_watcher) {
        // inotify where the file system gives it; a save by renaming replaces
        // the file, so its folder is watched as well. Network and FUSE folders
        // tell nothing of other machines' writes: the poll covers them.
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { CheckBookOnDisk(); });
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { CheckBookOnDisk(); });
        m_poll = new QTimer(this);
        connect(m_poll, &QTimer::timeout, this, [this] { CheckBookOnDisk(); });
    }
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_watcher->addPath(path);
    m_watcher->addPath(QFileInfo(path).absolutePath());
    m_poll->start(g_pollInterval);
}

QString CTenorelDoc::ReadOnlyLine() const
{
    const HeldFile* held = m_storage->Held();
    if (!held)
        return {};
    if (held->IsTakenOver() || held->GetReadOnlyReason() == ReadOnlyReason::kHeldElsewhere) {
        const HolderInfo who = ReadBookHolder(held->GetFilePath());
        const HolderInfo& info = who.Describes() ? who : held->OtherHolder();
        if (!info.user.empty()) {
            if (info.host.empty())
                return Tx(text::kReadOnlyHeldBy).arg(QString::fromStdString(info.user));
            return Tx(text::kReadOnlyHeldByOn).arg(QString::fromStdString(info.user), QString::fromStdString(info.host));
        }
    }
    return Tx(text::kReadOnlyBecause).arg(QString::fromStdString(held->DescribeReadOnly()));
}

bool CTenorelDoc::CanWaitForHolder() const
{
    const HeldFile* held = m_storage->Held();
    return held && (held->IsTakenOver() || held->GetReadOnlyReason() == ReadOnlyReason::kHeldElsewhere);
}

void CTenorelDoc::RequestNotify()
{
    if (m_bNotify || !CanWaitForHolder())
        return;
    m_bNotify = true;
    StartWaiting();
    Q_EMIT readOnlyChanged();
}

void CTenorelDoc::CheckBookOnDisk()
{
    const HeldFile* held = m_storage->Held();
    // One look at a time: a question asked below runs an event loop.
    if (!held || m_checking || m_looking || LongOperation::IsRunning())
        return;
    DiskLook look;
    look.path = held->GetFilePath();
    look.readOnly = IsReadOnly();
    look.seen = look.copied = held->SeenVersion();
    if (!look.readOnly && held->IsTakenOver()) {
        OnDiskLook(std::move(look)); // nothing to read: the taker is told at once
        return;
    }
    m_looking = true;
    const QPointer<CTenorelDoc> self(this);
    std::thread([self, look = std::move(look), hook = g_diskLookHook]() mutable {
        if (hook)
            hook();
        LookAtDisk(look);
        QMetaObject::invokeMethod(
            qApp,
            [self, look = std::move(look)]() mutable {
                if (!self)
                    return;
                self->m_looking = false;
                self->OnDiskLook(std::move(look));
            },
            Qt::QueuedConnection);
    }).detach();
}

void CTenorelDoc::SetDiskLookHook(std::function<void()> hook)
{
    g_diskLookHook = std::move(hook);
}

void CTenorelDoc::LookAtDisk(DiskLook& look)
{
    try {
        if (look.readOnly) {
            look.check = CheckBookVersion(look.path, look.seen);
            look.checked = true;
        } else {
            look.copies = FindConflictCopies(look.path);
        }
    } catch (const std::exception&) {
        look.checked = false; // unreadable for now: the next look tries again
    }
}

void CTenorelDoc::OnDiskLook(DiskLook look)
{
    const HeldFile* held = m_storage->Held();
    // The book went, or is another file now, or the answer comes during a
    // question: the next look asks again.
    if (!held || held->GetFilePath() != look.path || m_checking || LongOperation::IsRunning())
        return;
    m_checking = true;
    const QPointer<CTenorelDoc> self(this);
    const auto done = qScopeGuard([&] {
        if (self)
            m_checking = false;
    });
    if (!IsReadOnly()) {
        if (look.readOnly)
            return;
        if (!held->IsTakenOver())
            OfferConflictCopies(look.copies);
        if (held->IsTakenOver() && !m_takenOverTold) {
            m_takenOverTold = true;
            m_storage->MarkTakenOver();
            Q_EMIT readOnlyChanged();
            const std::string message = TakenOverMessage(held->GetFilePath(), ReadBookHolder(held->GetFilePath()));
            const QString notice = Tx(text::kTakenOverNotice).arg(QString::fromStdString(message));
            if (!IsModified()) {
                MessageBox::Show(DialogParent(), notice, MessageBox::Exclamation);
                return;
            }
            // Its edits may go into the taker's version at once, or later
            // into a copy.
            const auto answer = MessageBox::Show(DialogParent(), notice + QStringLiteral("\n\n") + Tx(text::kTakenOverMerge),
                                                 MessageBox::Exclamation, QMessageBox::Yes | QMessageBox::No,
                                                 QMessageBox::Yes);
            if (answer == QMessageBox::Yes && self)
                MergeFromDisk();
        }
        return;
    }
    if (!look.readOnly || !look.checked)
        return;
    held->NoteChecked(look.copied, look.seen);
    if (look.check != VersionCheck::kChanged)
        return;
    if (!IsModified()) {
        ReloadFromDisk();
        return;
    }
    // Edits of its own are never reloaded under: the merge is offered, once
    // for each version that appears.
    const long long version = StatBookVersion(held->GetFilePath()).modifiedNs;
    if (version == m_askedForVersion)
        return;
    m_askedForVersion = version;
    const auto answer = MessageBox::Show(DialogParent(), Tx(text::kChangedUnderEdits).arg(m_strTitle),
                                         MessageBox::Exclamation, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes && self)
        MergeFromDisk();
}

void CTenorelDoc::OfferConflictCopies(const std::vector<ConflictCopy>& copies)
{
    const HeldFile* held = m_storage->Held();
    if (!held)
        return;
    const std::string bookPath = held->GetFilePath();
    for (const ConflictCopy& copy : copies) {
        const std::string key = copy.path + '\n' + std::to_string(StatBookVersion(copy.path).modifiedNs);
        if (std::find(m_offeredCopies.begin(), m_offeredCopies.end(), key) != m_offeredCopies.end())
            continue;
        m_offeredCopies.push_back(key);
        const QString name = QString::fromStdString(GetDocumentFileName(copy.path));
        if (!copy.readable) {
            MessageBox::Show(DialogParent(), Tx(text::kConflictCopyDamaged).arg(name, QString::fromStdString(copy.problem)),
                             MessageBox::Exclamation);
            continue;
        }
        SubjectList theirs;
        SubjectList base;
        bool hasBase = false;
        try {
            const FileBytes copyBytes = ReadFileBytes(copy.path);
            theirs = ReadSubjectList(copyBytes.View());
            std::string baseBytes;
            if (FindCommonBase(bookPath, held->BaseBytes(), copyBytes.View(), baseBytes)) {
                base = ReadSubjectList(baseBytes);
                hasBase = true;
            }
        } catch (const std::exception&) {
            if (theirs.empty())
                continue;
        }
        MergeResult merge = MergeVersions(hasBase ? &base : nullptr, m_subjects, theirs);
        CMergeReviewDlg dlg(Tx(hasBase ? text::kConflictCopyIntro : text::kConflictCopyIntroTwoWay)
                                .arg(name, QString::fromStdString(copy.client)),
                            merge, Tx(text::kMergeThisBook), Tx(text::kMergeTheCopy), DialogParent());
        enum { kMerge = 2 };
        dlg.AddChoice(text::kMergeButton, kMerge, true);
        dlg.AddChoice(text::kLaterButton, QDialog::Rejected);
        const QPointer<CTenorelDoc> self(this);
        if (DialogRunner::Exec(dlg) != kMerge || !self)
            continue;
        const CTenorels* current = GetCurrentSubject();
        const std::string title = current ? current->GetGeneralTitle() : std::string();
        const std::string subjectName = current ? current->GetSubjectName() : std::string();
        ReplaceSubjects(std::move(merge.merged));
        ShowReloadedSubjects();
        if (current)
            ReselectSubject(title, subjectName);
        SetModifiedFlag(true);
        // The copy goes only once what it held is saved in the book.
        if (!DoFileSave() || !self)
            return;
        if (const int e = MoveToTrash(copy.path))
            MessageBox::Show(DialogParent(), Tx(text::kConflictCopyNotTrashed).arg(name, QString::fromStdString(DescribeError(e))),
                             MessageBox::Exclamation);
    }
}

void CTenorelDoc::ReloadFromDisk()
{
    const HeldFile* held = m_storage->Held();
    BookVersion version;
    SubjectList subjects;
    std::string bytes;
    try {
        const FileBytes read = held->ReadCurrent(version);
        bytes.assign(read.View());
        subjects = ReadSubjectList(bytes);
    } catch (const std::exception&) {
        // Only a file that reads whole is shown: one being written, or cut
        // by a sync client, is looked at again at the next change or poll.
        return;
    }
    ShowReplacedSubjects(std::move(subjects));
    m_storage->AdoptVersion(version, std::move(bytes));
    SetModifiedFlag(false);
    const QString when = QDateTime::fromMSecsSinceEpoch(version.modifiedNs / 1000000).toString(QStringLiteral("HH:mm"));
    const HolderInfo who = ReadBookHolder(held->GetFilePath());
    const QString line = who.user.empty() ? Tx(text::kReloaded).arg(when)
                                          : Tx(text::kReloadedBy).arg(QString::fromStdString(who.user), when);
    if (auto* frame = dynamic_cast<CMainFrame*>(CommandHost::Instance()))
        frame->SetMessageText(line);
    Q_EMIT readOnlyChanged();
}

void CTenorelDoc::MergeFromDisk()
{
    const HeldFile* held = m_storage->Held();
    if (!held)
        return;
    BookVersion version;
    SubjectList theirs;
    SubjectList base;
    std::string bytes;
    try {
        const FileBytes read = held->ReadCurrent(version);
        bytes.assign(read.View());
        theirs = ReadSubjectList(bytes);
        base = ReadSubjectList(held->BaseBytes());
    } catch (const std::exception&) {
        return;
    }
    MergeResult merge = MergeVersions(&base, m_subjects, theirs);
    ShowReplacedSubjects(std::move(merge.merged));
    m_storage->AdoptVersion(version, std::move(bytes));
    SetModifiedFlag(true);
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
    // A holder of this machine that is gone was replaced without a question;
    // one of another machine that has been silent is replaced once the user
    // says so.
    if (file->OtherVerdict().state == HolderState::kSilent)
        dlg.OfferTakeOver();
    if (DialogRunner::Exec(dlg) != QDialog::Accepted)
        return nullptr;
    if (dlg.GetChoice() == 2) {
        std::unique_ptr<HeldFile> taken = m_storage->OpenFile(ToStd(path), readOnly, status, TakeOver::kSilentHolder);
        if (!taken) {
            MessageBox::Show(DialogParent(), QString::fromStdString(OpenErrorMessage(path.toStdString())), MessageBox::NoIcon);
            return nullptr;
        }
        // Someone came back meanwhile: ask again.
        if (readOnly)
            return TakeBookFile(path, notify);
        return taken;
    }
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
    m_takenOverTold = false;
    ShowReloadedSubjects();
    if (m_bNotify)
        StartWaiting();
    WatchBookFile();
    Q_EMIT readOnlyChanged();
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
    case SaveOutcome::kChangedOnDisk:
        return ResolveChangedOnDisk(path, QString::fromStdString(result.message));
    }
    if (!m_storage->IsReadOnly())
        m_bNotify = false;
    SetModifiedFlag(false);
    WatchBookFile();
    Q_EMIT readOnlyChanged();
    return true;
}

bool CTenorelDoc::ResolveChangedOnDisk(const QString& path, const QString& why)
{
    enum { kMerge = 2, kCopy = 3 };
    const HeldFile* held = m_storage->Held();
    if (!held)
        return false;
    BookVersion version;
    SubjectList theirs;
    SubjectList base;
    std::string theirsBytes;
    QString unreadable;
    try {
        const FileBytes bytes = held->ReadCurrent(version);
        theirsBytes.assign(bytes.View());
        theirs = ReadSubjectList(theirsBytes);
        base = ReadSubjectList(held->BaseBytes());
    } catch (const std::bad_alloc&) {
        unreadable = Tx(text::kOutOfMemory);
    } catch (const std::exception& e) {
        unreadable = QString::fromUtf8(e.what());
    }
    MergeResult merge;
    if (unreadable.isEmpty())
        merge = MergeVersions(&base, m_subjects, theirs);
    const QString intro = unreadable.isEmpty() ? Tx(text::kChangedOnDiskIntro).arg(why)
                                               : Tx(text::kChangedOnDiskUnreadable).arg(why, unreadable);
    CMergeReviewDlg dlg(intro, merge, Tx(text::kMergeThisWindow), Tx(text::kMergeOnDisk), DialogParent());
    if (unreadable.isEmpty())
        dlg.AddChoice(text::kMergeButton, kMerge, true);
    dlg.AddChoice(text::kSaveCopyButton, kCopy, !unreadable.isEmpty());
    dlg.AddChoice(text::kCancelDialogButton, QDialog::Rejected);
    const QPointer<CTenorelDoc> self(this);
    const int answer = DialogRunner::Exec(dlg);
    if (!self)
        return false;
    if (answer == kCopy) {
        // The copy becomes this window's book; the file on disk stays as the
        // other side left it. The save that asked is not done.
        DoSave(QString());
        return false;
    }
    if (answer != kMerge)
        return false;
    ShowReplacedSubjects(std::move(merge.merged));
    m_storage->AdoptVersion(version, std::move(theirsBytes));
    SetModifiedFlag(true);
    return OnSaveDocument(path);
}

void CTenorelDoc::ShowReplacedSubjects(SubjectList subjects)
{
    const CTenorels* current = GetCurrentSubject();
    const std::string title = current ? current->GetGeneralTitle() : std::string();
    const std::string name = current ? current->GetSubjectName() : std::string();
    ReplaceSubjects(std::move(subjects));
    ShowReloadedSubjects();
    if (current)
        ReselectSubject(title, name);
}

void CTenorelDoc::ReselectSubject(const std::string& generalTitle, const std::string& name)
{
    CTenorelView* tree = GetTreeView();
    if (!tree)
        return;
    for (const auto& s : m_subjects) {
        if (s->GetGeneralTitle() == generalTitle && s->GetSubjectName() == name) {
            if (QTreeWidgetItem* item = tree->FindSubjectItem(s.get()))
                tree->setCurrentItem(item);
            return;
        }
    }
}

void CTenorelDoc::OnCloseDocument()
{
    // Closing any book ends the process's wait.
    BookStorage::StopWaiting();
    m_bNotify = false;
    if (m_poll)
        m_poll->stop();
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
