#include "views/liste_view.h"

#include <QApplication>
#include <QClipboard>
#include <QCollator>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QSettings>
#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <iterator>

#include "app/menu_builder.h"
#include "app/resources.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "book/tenorels.h"
#include "views/document_drop.h"
#include "views/html_view.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

const QString kSettingsGroup = QStringLiteral("Document List");
const QString kWidthsKey = QStringLiteral("ColumnWidths");
const int kDefaultWidths[] = {240, 320, 170, 90, 130, 480};
static_assert(std::size(kDefaultWidths) == DocumentListModel::kColumnCount);

// The quick search's extracts, with the words found in bold.
class ExtractDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString marked = index.data(DocumentListModel::kMarkedRole).toString();
        if (marked.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        item.text.clear();
        QStyle* style = item.widget ? item.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
        QTextDocument document;
        document.setDocumentMargin(1);
        document.setDefaultFont(item.font);
        document.setHtml(marked);
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
        painter->save();
        painter->translate(area.topLeft());
        painter->setClipRect(area.translated(-area.topLeft()));
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = item.palette;
        if (item.state & QStyle::State_Selected)
            context.palette.setColor(QPalette::Text, item.palette.color(QPalette::HighlightedText));
        document.documentLayout()->draw(painter, context);
        painter->restore();
    }
};

// Texts in the French order, case ignored, numbers by value ("scan 2" before
// "scan 10"); sizes and dates by value.
class DocumentSortProxy : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const QVariant l = left.data(DocumentListModel::kSortRole);
        const QVariant r = right.data(DocumentListModel::kSortRole);
        if (l.typeId() == QMetaType::QString)
            return Collator().compare(l.toString(), r.toString()) < 0;
        return l.toLongLong() < r.toLongLong();
    }

private:
    static const QCollator& Collator()
    {
        static const QCollator collator = [] {
            QCollator c{QLocale(QLocale::French, QLocale::France)};
            c.setCaseSensitivity(Qt::CaseInsensitive);
            c.setNumericMode(true);
            return c;
        }();
        return collator;
    }
};

} // namespace

CListeView::CListeView(CTenorelDoc* document, QWidget* parent)
    : QTreeView(parent)
    , CView(document)
    , m_model(new DocumentListModel(this))
    , m_proxy(new DocumentSortProxy(this))
    , m_mailbox(this)
{
    setObjectName(QStringLiteral("documentList"));
    setFrameShape(QFrame::StyledPanel);
    m_proxy->setSourceModel(m_model);
    setModel(m_proxy);

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));

    // The subject's order until a heading is clicked; a third click on it
    // comes back to that order.
    header()->setSortIndicatorClearable(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    header()->setSectionsMovable(false);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header(), &QHeaderView::customContextMenuRequested, this, [this](const QPoint& pos) { HeaderMenu(pos); });
    RestoreColumnWidths();
    setItemDelegateForColumn(DocumentListModel::kExtract, new ExtractDelegate(this));
    setColumnHidden(DocumentListModel::kExtract, true);
    connect(header(), &QHeaderView::sectionResized, this, [this] { SaveColumnWidths(); });

    AcceptDocumentDrops(this, this);
}

CListeView::~CListeView()
{
    m_mailbox.Close();
}

void CListeView::OnInitialUpdate()
{
    viewport()->update();
}

void CListeView::RestoreColumnWidths()
{
    QSettings settings(QStringLiteral("Morv"), QStringLiteral("Tavelo"));
    const QVariantList saved = settings.value(kSettingsGroup + QLatin1Char('/') + kWidthsKey).toList();
    for (int c = 0; c < DocumentListModel::kColumnCount; ++c) {
        const int width = c < saved.size() ? saved[c].toInt() : 0;
        header()->resizeSection(c, width > 0 ? width : kDefaultWidths[c]);
    }
}

void CListeView::SaveColumnWidths() const
{
    QVariantList widths;
    for (int c = 0; c < DocumentListModel::kColumnCount; ++c)
        widths << header()->sectionSize(c);
    QSettings settings(QStringLiteral("Morv"), QStringLiteral("Tavelo"));
    settings.setValue(kSettingsGroup + QLatin1Char('/') + kWidthsKey, widths);
}

void CListeView::HeaderMenu(const QPoint& pos)
{
    QMenu menu(this);
    constexpr int kBookOrderItem = 1;
    QAction* bookOrder = menu.addAction(Tx(kBookOrder));
    bookOrder->setEnabled(header()->sortIndicatorSection() >= 0);
    bookOrder->setData(kBookOrderItem);
    if (PopupMenu::Track(menu, header()->viewport()->mapToGlobal(pos)) == kBookOrderItem)
        ShowBookOrder();
}

void CListeView::ShowBookOrder()
{
    header()->setSortIndicator(-1, Qt::AscendingOrder);
}

void CListeView::ShowDocuments(const CTenorels* subject)
{
    // Checks still running for the rows shown before are of no use now, and
    // their answers are dropped when they come.
    m_checks.Cancel();
    ++m_generation;
    std::vector<std::string> paths;
    if (subject)
        paths = subject->GetDocumentPaths();
    m_model->SetDocuments(paths);
    // In the quick search, what each document holds of the words sought.
    CTenorelView* tree = GetDocument() ? GetDocument()->GetTreeView() : nullptr;
    const bool quick = tree != nullptr && tree->InQuickSearch();
    std::vector<std::pair<int, DocumentListModel::Found>> found;
    if (quick)
        for (QuickHit& hit : tree->QuickHitsOf(subject))
            found.push_back({hit.document, {hit.hits, std::move(hit.extract.text), std::move(hit.extract.marks)}});
    m_model->SetFound(quick, std::move(found));
    setColumnHidden(DocumentListModel::kExtract, !quick);
    if (paths.empty())
        return;
    const quint64 generation = m_generation;
    const WindowMailbox mailbox = m_mailbox;
    m_checks = ProbePool::Shared().Submit(std::move(paths), [this, mailbox, generation](std::size_t row,
                                                                                          const DocumentProbe& probe) {
        mailbox.Post([this, generation, row, probe] {
            if (generation == m_generation)
                m_model->SetProbe(static_cast<int>(row), probe);
        });
    });
}

int CListeView::GetSelectedRow() const
{
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    int first = -1;
    for (const QModelIndex& index : selected) {
        const int row = m_proxy->mapToSource(index).row();
        if (first < 0 || row < first)
            first = row;
    }
    return first;
}

void CListeView::SelectDocument(int index)
{
    if (index < 0 || index >= m_model->rowCount())
        return;
    const QModelIndex shown = m_proxy->mapFromSource(m_model->index(index, 0));
    setCurrentIndex(shown);
    selectionModel()->select(shown, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(shown);
}

int CListeView::GetRowCount() const
{
    return m_proxy->rowCount();
}

QString CListeView::DocumentPath(int shownRow) const
{
    const QModelIndex source = m_proxy->mapToSource(m_proxy->index(shownRow, 0));
    return source.isValid() ? m_model->PathAt(source.row()) : QString();
}

QRect CListeView::RowRect(int shownRow) const
{
    return visualRect(m_proxy->index(shownRow, 0));
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
    QTreeView::mouseDoubleClickEvent(event);
    OpenInPreview();
}

void CListeView::keyPressEvent(QKeyEvent* event)
{
    // The copy key copies the selected document's full path.
    if (event->matches(QKeySequence::Copy)) {
        const int row = GetSelectedRow();
        if (row >= 0)
            QApplication::clipboard()->setText(m_model->PathAt(row));
        event->accept();
        return;
    }
    // Enter and Space show the selected document, as a double click does.
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && GetSelectedRow() >= 0) {
        OpenInPreview();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
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
