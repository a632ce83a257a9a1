#include "app/tenorel_doc.h"

#include <QApplication>
#include <QFileInfo>
#include <algorithm>

#include "app/reservation_dlg.h"
#include "app/resources.h"
#include "app/ui_prompts.h"
#include "book/file_io.h"
#include "views/html_view.h"
#include "views/liste_view.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {
std::string ToStd(const QString& s)
{
    return s.toStdString();
}

// The title a book takes from its path: the file's name without the book
// extension.
QString TitleFromPath(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    const QString suffix = QStringLiteral(".") + QString::fromUtf8(text::kFileExtension);
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
    ReplaceSubjects({});
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CTenorelDoc::OnOpenDocument(const QString& path)
{
    BookStorage::Opened opened;
    try {
        opened = m_storage->Open(ToStd(path));
    } catch (const FileError&) {
        MessageBox::Show(DialogParent(), QString::fromUtf8(text::kOpenError).arg(path), MessageBox::NoIcon);
        return false;
    }
    m_bReadOnly = opened.readOnly;
    m_bNotify = false;
    if (m_bReadOnly) {
        CReservationDlg dlg(QFileInfo(path).fileName(), DialogParent());
        if (DialogRunner::Exec(dlg) != QDialog::Accepted) {
            m_storage->Close();
            m_bReadOnly = false;
            return false;
        }
        m_bNotify = dlg.GetChoice() == 1;
    }

    bool unknownFormat = false;
    const FormatNotice notice = [&unknownFormat](std::string_view message) {
        // A file with several records of an unknown schema is told once.
        if (unknownFormat)
            return;
        unknownFormat = true;
        MessageBox::Show(DialogParent(), QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())),
                         MessageBox::Stop);
    };
    try {
        Deserialize(opened.bytes, notice);
    } catch (const BookFormatError& e) {
        m_storage->Close();
        if (!unknownFormat) {
            MessageBox::Show(DialogParent(), QString::fromUtf8(text::kLoadFailed).arg(path, QString::fromUtf8(e.what())),
                             MessageBox::Stop);
        }
        return false;
    }
    return true;
}

bool CTenorelDoc::OnSaveDocument(const QString& path)
{
    const std::string target = ToStd(QFileInfo(path).absoluteFilePath());
    if (m_bReadOnly && target == m_storage->HeldPath()) {
        MessageBox::Show(DialogParent(), QString::fromUtf8(text::kFileInUse).arg(path), MessageBox::NoIcon);
        return false;
    }
    try {
        m_storage->Save(target, Serialize());
    } catch (const FileError& e) {
        MessageBox::Show(DialogParent(), QString::fromUtf8(text::kSaveFailed).arg(path, QString::fromUtf8(e.what())),
                         MessageBox::Stop);
        return false;
    }
    m_bReadOnly = m_storage->IsReadOnly();
    if (!m_bReadOnly)
        m_bNotify = false;
    SetModifiedFlag(false);
    return true;
}

void CTenorelDoc::OnCloseDocument()
{
    m_bNotify = false;
    m_storage->Close();
    Q_EMIT closeRequested(this);
}

bool CTenorelDoc::DoFileSave()
{
    if (m_bReadOnly || m_strPathName.isEmpty())
        return DoSave(QString());
    return DoSave(m_strPathName);
}

bool CTenorelDoc::DoSave(const QString& path, bool replace)
{
    QString target = path;
    if (target.isEmpty()) {
        QString initial = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
        if (QFileInfo(initial).suffix().isEmpty())
            initial += QStringLiteral(".") + QString::fromUtf8(text::kFileExtension);
        target = FileDialog::GetSaveFileName(DialogParent(), QString::fromUtf8(text::kSaveAsTitle), initial,
                                             QString::fromUtf8(text::kFileFilter),
                                             QString::fromUtf8(text::kFileExtension));
        if (target.isEmpty())
            return false;
    }
    if (!OnSaveDocument(target))
        return false;
    if (replace) {
        SetPathName(target);
        Q_EMIT saved(m_strPathName);
    }
    return true;
}

bool CTenorelDoc::SaveModified()
{
    if (!IsModified())
        return true;
    const auto answer =
        MessageBox::Show(DialogParent(), QString::fromUtf8(text::kSaveChanges).arg(m_strTitle), MessageBox::Exclamation,
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
