#include "views/liste_view.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "app/menu_builder.h"
#include "app/resources.h"
#include "app/tenorel_doc.h"
#include "book/tenorels.h"
#include "views/document_drop.h"
#include "views/html_view.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

CListeView::CListeView(CTenorelDoc* document, QWidget* parent) : QListWidget(parent), CView(document)
{
    setObjectName(QStringLiteral("documentList"));
    setFrameShape(QFrame::StyledPanel);
    AcceptDocumentDrops(this, this);
}

void CListeView::OnInitialUpdate()
{
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    viewport()->update();
}

void CListeView::ShowDocuments(const CTenorels* subject)
{
    clear();
    if (!subject)
        return;
    for (int i = 0; i < subject->GetDocumentCount(); ++i) {
        const std::string& path = subject->GetDocumentPath(i);
        insertItem(i, QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    }
}

int CListeView::GetSelectedRow() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return -1;
    int first = row(selected.front());
    for (QListWidgetItem* item : selected)
        first = std::min(first, row(item));
    return first;
}

void CListeView::OpenInPreview()
{
    CTenorelDoc* doc = GetDocument();
    if (!doc)
        return;
    CHTMLView* preview = doc->GetPreviewView();
    if (!preview)
        return;
    const int selected = GetSelectedRow();
    const CTenorels* subject = doc->GetCurrentSubject();
    if (selected < 0 || !subject || selected >= subject->GetDocumentCount())
        return;
    const std::string& path = subject->GetDocumentPath(selected);
    preview->Navigate(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
}

void CListeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    OpenInPreview();
}

void CListeView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    const QPoint pos = event->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : event->globalPos();
    RunContextMenu(pos);
}

void CListeView::RunContextMenu(const QPoint& screenPos)
{
    CTenorelDoc* doc = GetDocument();
    if (!doc)
        return;
    const CTenorelView* tree = doc->GetTreeView();
    if (!tree || tree->m_bSearchMode)
        return;
    if (GetSelectedRow() < 0)
        return;
    QMenu* menu = BuildPopup(MenuResource(IDR_POPUP_DOCUMENT).front(), this);
    const CommandRoute route{this, doc};
    UpdateMenuItems(menu, route);
    const int chosen = PopupMenu::Track(*menu, screenPos);
    if (chosen != 0)
        ExecuteCommand(route, chosen);
    delete menu;
}

} // namespace tavelo::gui
