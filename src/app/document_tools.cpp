#include "app/document_tools.h"

#include <QHash>
#include <QMdiArea>
#include <QPointer>

#include "app/check_documents_dlg.h"
#include "app/command_host.h"
#include "app/folder_chooser.h"
#include "app/long_operation.h"
#include "app/main_frame.h"
#include "app/relink_dlg.h"
#include "app/resource_ids.h"
#include "app/splitter.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/tenorels.h"
#include "editing/relink_cache.h"
#include "reading/text_cache.h"
#include "reading/text_source.h"
#include "views/liste_view.h"
#include "views/subject_filter.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

constexpr const char* kNothingMissing = QT_TRANSLATE_NOOP("Tavelo", "Aucun document du livre n'est absent ou illisible.");
constexpr const char* kNothingFound = QT_TRANSLATE_NOOP("Tavelo", "Aucun des %1 documents absents n'a été retrouvé dans « %2 ».");

CMainFrame* MainFrame()
{
    CommandHost* host = CommandHost::Instance();
    return host ? qobject_cast<CMainFrame*>(host->HostWindow()) : nullptr;
}

// The window of the book's first views (the ones the book refreshes).
CSplitter* FirstWindow(CTenorelDoc& doc)
{
    CTenorelView* tree = doc.GetTreeView();
    for (QWidget* w = tree; w; w = w->parentWidget()) {
        if (auto* window = qobject_cast<CSplitter*>(w))
            return window;
    }
    return nullptr;
}

} // namespace

std::function<RelinkSources()>& RelinkContentSources()
{
    static std::function<RelinkSources()> sources = [] {
        // The search's own cache, which lives as long as the program.
        TextCache& cache = DefaultTextSource().Cache();
        return CacheRelinkSources(std::shared_ptr<TextCache>(&cache, [](TextCache*) {}));
    };
    return sources;
}

bool ShowDocumentInBook(CTenorelDoc& doc, const CTenorels* subject, int index, const std::string& path)
{
    CSplitter* window = FirstWindow(doc);
    const long place = doc.IndexOf(subject);
    if (!window || place < 0)
        return false;
    CTenorels* record = doc.GetSubject(static_cast<std::size_t>(place));
    if (CMainFrame* frame = MainFrame())
        frame->MdiArea()->setActiveSubWindow(window);
    CTenorelView* tree = window->Tree();
    QTreeWidgetItem* item = tree->FindSubjectItem(record);
    if (!item && tree->m_bSearchMode) {
        tree->OnStandardNavigation();
        item = tree->FindSubjectItem(record);
    }
    if (!item)
        return false;
    if (item->isHidden() || (item->parent() && item->parent()->isHidden()))
        window->Filter()->clear();
    tree->scrollToItem(item);
    tree->setCurrentItem(item);
    int row = index >= 0 && index < record->GetDocumentCount() && record->GetDocumentPath(index) == path ? index : -1;
    for (int i = 0; row < 0 && i < record->GetDocumentCount(); ++i) {
        if (record->GetDocumentPath(i) == path)
            row = i;
    }
    if (row >= 0) {
        window->List()->SelectDocument(row);
        window->SetActiveView(window->List());
    }
    return true;
}

CCheckDocumentsDlg* OnCheckDocuments(CTenorelDoc& doc)
{
    // One window per book: asking again starts the check again.
    static QHash<const CTenorelDoc*, QPointer<CCheckDocumentsDlg>> open;
    if (QPointer<CCheckDocumentsDlg> before = open.take(&doc))
        delete before.data();
    auto* dialog = new CCheckDocumentsDlg(doc, MainFrame());
    dialog->setWindowFlag(Qt::Window);
    open.insert(&doc, dialog);
    // Gone with its book.
    QObject::connect(&doc, &QObject::destroyed, dialog, &QWidget::close);
    const QPointer<CTenorelDoc> book(&doc);
    dialog->onChosen = [book](const CTenorels* subject, int index, const std::string& path) {
        if (book)
            ShowDocumentInBook(*book, subject, index, path);
    };
    dialog->show();
    return dialog;
}

void OnRelinkDocuments(CTenorelDoc& doc)
{
    QWidget* parent = CTenorelDoc::DialogParent();
    const QString folder =
        FileDialog::GetExistingDirectory(parent, Tx(kChooseFolderTitle), QString());
    if (folder.isEmpty())
        return;
    const LongOperation busy;
    const std::optional<RelinkScan> scan = RunRelinkSearch(doc, folder, RelinkContentSources()(), parent);
    if (!scan)
        return;
    const std::size_t missing = scan->proposals.size() + scan->notFound.size();
    if (missing == 0) {
        MessageBox::Show(parent, Tx(kNothingMissing), MessageBox::Information);
        return;
    }
    if (scan->proposals.empty()) {
        MessageBox::Show(parent, Tx(kNothingFound).arg(missing).arg(folder), MessageBox::Information);
        return;
    }
    CRelinkDlg confirm(*scan, folder, parent);
    if (DialogRunner::Exec(confirm) != QDialog::Accepted)
        return;
    if (ApplyRelinks(doc, confirm.Confirmed()) > 0)
        doc.RefreshDocumentList();
}

void RegisterDocumentTools()
{
    using Books = CommandRegistry<CTenorelDoc>;
    Books::Register(ID_CHECK_DOCUMENTS, [](CTenorelDoc& doc) { OnCheckDocuments(doc); });
    Books::Register(ID_RELINK_DOCUMENTS, OnRelinkDocuments);
}

} // namespace tavelo::gui
