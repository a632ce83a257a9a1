#include "views/tenorel_view.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QSet>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <unordered_map>

#include "app/command_host.h"
#include "app/menu_builder.h"
#include "app/resources.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/tenorels.h"
#include "views/document_drop.h"
#include "views/expected_text_file.h"
#include "views/html_view.h"
#include "views/state_marks.h"
#include "views/tree_order.h"

namespace tavelo::gui {

namespace {

class TitleItem : public QTreeWidgetItem {
public:
    TitleItem(const std::string& title, std::string key)
        : QTreeWidgetItem(CTenorelView::GeneralTitleItem), m_title(title), m_key(std::move(key))
    {
        setText(0, ToQ(title));
    }
    const std::string& Title() const { return m_title; }
    const std::string& Key() const { return m_key; }

private:
    std::string m_title;
    std::string m_key;
};

class SubjectTreeItem : public QTreeWidgetItem {
public:
    explicit SubjectTreeItem(CTenorels* record) : QTreeWidgetItem(CTenorelView::SubjectItem), m_record(record)
    {
        setText(0, ToQ(record->GetSubjectName()));
        setIcon(0, record->GetState() != 0 ? ClosedSubjectMark() : OpenSubjectMark());
        setFlags(flags() | Qt::ItemIsDragEnabled);
    }
    CTenorels* Record() const { return m_record; }

    // The whole name, for a name the pane is too narrow to show.
    QVariant data(int column, int role) const override
    {
        if (role == Qt::ToolTipRole && column == 0)
            return text(0);
        return QTreeWidgetItem::data(column, role);
    }

private:
    CTenorels* m_record;
};

const TitleItem* AsTitle(const QTreeWidgetItem* item)
{
    return item && item->type() == CTenorelView::GeneralTitleItem ? static_cast<const TitleItem*>(item) : nullptr;
}

// The first child index whose key is not below `key` (children are kept sorted).
int LowerBoundTitle(const QTreeWidgetItem* root, const std::string& key)
{
    int lo = 0;
    int hi = root->childCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const TitleItem* t = AsTitle(root->child(mid));
        if (t && CompareGeneralTitleKeys(t->Key(), key) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

} // namespace

CTenorelView::CTenorelView(CTenorelDoc* document, QWidget* parent) : QTreeWidget(parent), CView(document)
{
    setObjectName(QStringLiteral("subjectTree"));
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setFrameShape(QFrame::StyledPanel);

    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnSelectionChanged(current); });

    OnCommand(ID_ADD_DOCUMENT, [this] { OnAddDocument(); });
    OnCommand(ID_CLOSE_SUBJECT, [this] { OnCloseReopenSubject(); });
    OnCommand(ID_FILE_PRINT, [this] { OnFilePrint(true); });
    OnCommand(ID_FILE_PRINT_DIRECT, [this] { OnFilePrint(false); });
    OnCommand(ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); });
    CommandRegistry<CTenorelView>::InstallInto(*this);
    AcceptDocumentDrops(this, this);
    // Subjects are dragged onto another general title (the drop is handled
    // here, the items are never moved by the view itself).
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

CTenorelView::~CTenorelView()
{
    // Deleting the items later would report selection changes to a view that
    // is no longer one.
    blockSignals(true);
    ExpectedTextFile::Remove();
}

void CTenorelView::OnInitialUpdate()
{
    FillStandard();
    CommandHost* host = CommandHost::Instance();
    if (host && host->IsImportPending() && ImportRepointing() && GetDocument()) {
        ImportRepointing()(*GetDocument());
        host->SetImportPending(false);
    }
}

std::function<void(CTenorelDoc&)>& CTenorelView::ImportRepointing()
{
    static std::function<void(CTenorelDoc&)> repointing;
    return repointing;
}

QTreeWidgetItem* CTenorelView::GetRootItem() const
{
    return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
}

void CTenorelView::SetRootText(const QString& title)
{
    if (QTreeWidgetItem* root = GetRootItem())
        root->setText(0, title);
}

QTreeWidgetItem* CTenorelView::EnsureRoot()
{
    if (QTreeWidgetItem* root = GetRootItem())
        return root;
    auto* root = new QTreeWidgetItem(RootItem);
    root->setText(0, GetDocument() ? GetDocument()->GetTitle() : QString());
    addTopLevelItem(root);
    return root;
}

void CTenorelView::FillStandard()
{
    std::vector<CTenorels*> subjects;
    if (CTenorelDoc* doc = GetDocument()) {
        subjects.reserve(doc->GetSubjectCount());
        for (std::size_t i = 0; i < doc->GetSubjectCount(); ++i)
            subjects.push_back(doc->GetSubject(i));
    }
    FillSubjects(subjects);
}

void CTenorelView::FillSubjects(const std::vector<CTenorels*>& subjects)
{
    QSignalBlocker blocker(this);
    clear();
    if (subjects.empty()) {
        blocker.unblock();
        Q_EMIT itemsReplaced();
        return;
    }

    struct Entry {
        QCollatorSortKey key;
        SubjectTreeItem* item;
    };
    struct Group {
        std::string title;
        std::string key;
        std::vector<Entry> entries;
    };
    std::vector<Group> groups;
    std::unordered_map<std::string, std::size_t> groupOf;
    const QCollator& collator = SubjectCollator();
    for (CTenorels* subject : subjects) {
        subject->RemoveDuplicatePaths();
        auto [it, inserted] = groupOf.try_emplace(subject->GetGeneralTitle(), groups.size());
        if (inserted)
            groups.push_back(Group{subject->GetGeneralTitle(), GeneralTitleKey(subject->GetGeneralTitle()), {}});
        auto* item = new SubjectTreeItem(subject);
        groups[it->second].entries.push_back(Entry{collator.sortKey(item->text(0)), item});
    }

    std::vector<std::size_t> order(groups.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&groups](std::size_t a, std::size_t b) {
        return CompareGeneralTitleKeys(groups[a].key, groups[b].key) < 0;
    });

    QTreeWidgetItem* root = EnsureRoot();
    QList<QTreeWidgetItem*> titleItems;
    titleItems.reserve(static_cast<qsizetype>(groups.size()));
    for (std::size_t g : order) {
        Group& group = groups[g];
        // Same result as inserting one by one after the last equal name.
        std::stable_sort(group.entries.begin(), group.entries.end(),
                         [](const Entry& a, const Entry& b) { return a.key.compare(b.key) < 0; });
        auto* titleItem = new TitleItem(group.title, group.key);
        QList<QTreeWidgetItem*> children;
        children.reserve(static_cast<qsizetype>(group.entries.size()));
        for (const Entry& e : group.entries)
            children.append(e.item);
        titleItem->addChildren(children);
        titleItems.append(titleItem);
    }
    root->addChildren(titleItems);
    blocker.unblock();
    Q_EMIT itemsReplaced();
}

QTreeWidgetItem* CTenorelView::FindGeneralTitleItem(const std::string& generalTitle) const
{
    const QTreeWidgetItem* root = GetRootItem();
    if (!root)
        return nullptr;
    const std::string key = GeneralTitleKey(generalTitle);
    for (int i = LowerBoundTitle(root, key); i < root->childCount(); ++i) {
        const TitleItem* t = AsTitle(root->child(i));
        if (!t || t->Key() != key)
            break;
        if (t->Title() == generalTitle)
            return root->child(i);
    }
    return nullptr;
}

QTreeWidgetItem* CTenorelView::InsertGeneralTitle(const std::string& generalTitle)
{
    QTreeWidgetItem* root = EnsureRoot();
    std::string key = GeneralTitleKey(generalTitle);
    // After the titles of equal key, as a stable sort of the appended item would.
    int pos = LowerBoundTitle(root, key);
    while (pos < root->childCount()) {
        const TitleItem* t = AsTitle(root->child(pos));
        if (!t || t->Key() != key)
            break;
        ++pos;
    }
    auto* item = new TitleItem(generalTitle, std::move(key));
    root->insertChild(pos, item);
    return item;
}

void CTenorelView::InsertSubjectSorted(QTreeWidgetItem* titleItem, QTreeWidgetItem* subjectItem)
{
    const QCollator& collator = SubjectCollator();
    const QString name = subjectItem->text(0);
    int lo = 0;
    int hi = titleItem->childCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (collator.compare(titleItem->child(mid)->text(0), name) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    titleItem->insertChild(lo, subjectItem);
}

void CTenorelView::AddSubjectToTree(CTenorels* subject, bool select)
{
    if (!subject)
        return;
    QTreeWidgetItem* titleItem = FindGeneralTitleItem(subject->GetGeneralTitle());
    if (!titleItem)
        titleItem = InsertGeneralTitle(subject->GetGeneralTitle());
    subject->RemoveDuplicatePaths();
    auto* item = new SubjectTreeItem(subject);
    InsertSubjectSorted(titleItem, item);
    Q_EMIT subjectItemAdded(item, select);
    if (select) {
        scrollToItem(item);
        setCurrentItem(item);
    }
}

CTenorels* CTenorelView::SubjectOf(const QTreeWidgetItem* item)
{
    if (!item || item->type() != SubjectItem)
        return nullptr;
    return static_cast<const SubjectTreeItem*>(item)->Record();
}

const std::string* CTenorelView::GeneralTitleOf(const QTreeWidgetItem* item)
{
    const TitleItem* title = AsTitle(item);
    return title ? &title->Title() : nullptr;
}

void CTenorelView::RelayOut()
{
    CTenorels* selected = SubjectOf(currentItem());
    const QTreeWidgetItem* root = GetRootItem();
    const bool rootOpen = root && root->isExpanded();
    std::vector<std::string> open;
    for (int i = 0; root && i < root->childCount(); ++i) {
        if (root->child(i)->isExpanded())
            if (const std::string* title = GeneralTitleOf(root->child(i)))
                open.push_back(*title);
    }
    if (m_bSearchMode)
        FillSubjects(m_searchHits);
    else
        FillStandard();
    if (QTreeWidgetItem* newRoot = GetRootItem())
        newRoot->setExpanded(rootOpen);
    for (const std::string& title : open) {
        if (QTreeWidgetItem* item = FindGeneralTitleItem(title))
            item->setExpanded(true);
    }
    if (QTreeWidgetItem* item = FindSubjectItem(selected)) {
        scrollToItem(item);
        setCurrentItem(item);
    } else {
        OnSelectionChanged(nullptr);
    }
}

QMimeData* CTenorelView::SubjectDragData(const CTenorels* subject) const
{
    const CTenorelDoc* doc = GetDocument();
    const long index = doc ? doc->IndexOf(subject) : -1;
    if (index < 0)
        return nullptr;
    // Which process, which book, which subject: only this book's windows
    // take it.
    const QByteArray data = QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
                            QByteArray::number(reinterpret_cast<quintptr>(doc)) + ' ' +
                            QByteArray::number(static_cast<qlonglong>(index));
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kSubjectMime), data);
    mime->setText(ToQ(subject->GetSubjectName()));
    return mime;
}

void CTenorelView::startDrag(Qt::DropActions)
{
    QMimeData* mime = SubjectDragData(SubjectOf(currentItem()));
    if (!mime)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

CTenorels* CTenorelView::DraggedSubject(const QDropEvent* event) const
{
    const QMimeData* mime = event->mimeData();
    CTenorelDoc* doc = GetDocument();
    if (!mime || !doc || !mime->hasFormat(QString::fromLatin1(kSubjectMime)))
        return nullptr;
    const QList<QByteArray> parts = mime->data(QString::fromLatin1(kSubjectMime)).split(' ');
    if (parts.size() != 3 || parts[0].toLongLong() != QCoreApplication::applicationPid() ||
        parts[1].toULongLong() != reinterpret_cast<quintptr>(doc))
        return nullptr;
    bool ok = false;
    const qlonglong index = parts[2].toLongLong(&ok);
    if (!ok || index < 0 || static_cast<std::size_t>(index) >= doc->GetSubjectCount())
        return nullptr;
    return doc->GetSubject(static_cast<std::size_t>(index));
}

const std::string* CTenorelView::DropTitleAt(const QPoint& pos) const
{
    const QTreeWidgetItem* item = itemAt(pos);
    if (const std::string* title = GeneralTitleOf(item))
        return title;
    // On a subject: the general title it stands under.
    if (const CTenorels* subject = SubjectOf(item))
        return &subject->GetGeneralTitle();
    return nullptr;
}

void CTenorelView::dragEnterEvent(QDragEnterEvent* event)
{
    if (DraggedSubject(event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CTenorelView::dragMoveEvent(QDragMoveEvent* event)
{
    const CTenorels* subject = DraggedSubject(event);
    const std::string* title = subject ? DropTitleAt(event->position().toPoint()) : nullptr;
    if (title && *title != subject->GetGeneralTitle()) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CTenorelView::dropEvent(QDropEvent* event)
{
    CTenorels* subject = DraggedSubject(event);
    const std::string* title = subject ? DropTitleAt(event->position().toPoint()) : nullptr;
    if (!title || *title == subject->GetGeneralTitle()) {
        event->ignore();
        return;
    }
    // The view would move the items itself on a move: the book moves the
    // subject and every tree lays itself out again.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    CTenorelDoc* doc = GetDocument();
    if (doc->RefuseReadOnlyEdit())
        return;
    const std::string target = *title;
    doc->MoveSubject(subject, target);
}

QTreeWidgetItem* CTenorelView::FindSubjectItem(const CTenorels* subject) const
{
    if (!subject)
        return nullptr;
    if (QTreeWidgetItem* titleItem = FindGeneralTitleItem(subject->GetGeneralTitle())) {
        for (int i = 0; i < titleItem->childCount(); ++i) {
            if (SubjectOf(titleItem->child(i)) == subject)
                return titleItem->child(i);
        }
    }
    // Not under its general title (a tree laid out for search hits).
    for (QTreeWidgetItemIterator it(const_cast<CTenorelView*>(this)); *it; ++it) {
        if (SubjectOf(*it) == subject)
            return *it;
    }
    return nullptr;
}

void CTenorelView::RemoveSubjectItem(const CTenorels* subject)
{
    while (QTreeWidgetItem* item = FindSubjectItem(subject)) {
        QTreeWidgetItem* titleItem = item->parent();
        delete item;
        if (titleItem && titleItem->type() == GeneralTitleItem && titleItem->childCount() == 0)
            delete titleItem;
    }
    m_searchHits.erase(std::remove(m_searchHits.begin(), m_searchHits.end(), subject), m_searchHits.end());
    Q_EMIT subjectRemoved(subject);
}

void CTenorelView::OnSelectionChanged(QTreeWidgetItem* item)
{
    CTenorelDoc* doc = GetDocument();
    if (!doc)
        return;
    if (!item || item->childCount() > 0) {
        doc->SetCurrentSubject(nullptr);
        doc->RefreshDocumentList();
        return;
    }
    CTenorels* subject = SubjectOf(item);
    if (!subject)
        return;
    doc->SetCurrentSubject(subject);
    doc->RefreshDocumentList();
    ShowExpectedText(subject);
}

void CTenorelView::ShowExpectedText(CTenorels* subject)
{
    if (!subject)
        return;
    if (!ExpectedTextFile::Write(subject->GetExpectedText()))
        return;
    if (CTenorelDoc* doc = GetDocument()) {
        if (CHTMLView* preview = doc->GetPreviewView())
            preview->Navigate(ExpectedTextFile::Path());
    }
}

bool CTenorelView::HitsLabel(const QTreeWidgetItem* item, const QPoint& pos) const
{
    const QRect cell = visualItemRect(item);
    if (!cell.contains(pos))
        return false;
    const int labelWidth = iconSize().width() + 8 + fontMetrics().horizontalAdvance(item->text(0)) + 8;
    return pos.x() < cell.left() + labelWidth;
}

void CTenorelView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(pos);
    if (!item || !HitsLabel(item, pos))
        return;
    m_hRightClickItem = item;
    if (item != currentItem())
        setCurrentItem(item);
    RunContextMenu(event->globalPosition().toPoint(), false);
}

void CTenorelView::contextMenuEvent(QContextMenuEvent* event)
{
    // Mouse requests were handled at the button press.
    if (event->reason() == QContextMenuEvent::Keyboard)
        RunContextMenu(QPoint(-1, -1), true);
    event->accept();
}

void CTenorelView::RunContextMenu(const QPoint& screenPos, bool fromKeyboard)
{
    if (m_bSearchMode) {
        m_hRightClickItem = nullptr;
        return;
    }
    CommandHost* host = CommandHost::Instance();
    QWidget* owner = host ? host->HostWindow() : this;
    QMenu* menu = BuildPopup(MenuResource(IDR_POPUP_SUBJECT).front(), owner);

    CTenorelDoc* doc = GetDocument();
    if (CTenorels* current = doc ? doc->GetCurrentSubject() : nullptr) {
        if (QAction* closeItem = FindCommandAction(menu, ID_CLOSE_SUBJECT)) {
            if (current->GetState() == CTenorels::kClosed)
                closeItem->setText(Tx(text::kPopupReopenSubject));
            else if (current->GetState() == CTenorels::kOpen)
                closeItem->setText(Tx(text::kPopupCloseSubject));
        }
    }

    QPoint position = screenPos;
    if (fromKeyboard) {
        const QRect r = currentItem() ? visualItemRect(currentItem()) : QRect();
        position = viewport()->mapToGlobal(QPoint(r.left() + 15, r.top() + 8));
    }

    QTreeWidgetItem* target = fromKeyboard ? currentItem() : m_hRightClickItem;
    if (target && target->childCount() == 0) {
        const CommandRoute route = host ? host->ActiveRoute() : CommandRoute{this, doc};
        UpdateMenuItems(menu, route);
        const int chosen = PopupMenu::Track(*menu, position);
        if (chosen != 0) {
            if (host)
                host->RunCommand(chosen);
            else
                ExecuteCommand(route, chosen);
        }
    }
    m_hRightClickItem = nullptr;
    delete menu;
}

void CTenorelView::OnAddDocument()
{
    CTenorelDoc* doc = GetDocument();
    CTenorels* subject = doc ? doc->GetCurrentSubject() : nullptr;
    if (!subject)
        return;
    const QString path = FileDialog::GetOpenFileName(window(), Tx(text::kOpenTitle), QString(), QString());
    if (path.isEmpty())
        return;
    AddDocumentToCurrentSubject(*doc, path, window());
}

bool CTenorelView::AddDocumentToCurrentSubject(CTenorelDoc& doc, const QString& path, QWidget* messageParent)
{
    CTenorels* subject = doc.GetCurrentSubject();
    if (!subject)
        return false;
    const std::string chosen = path.toStdString();
    if (subject->HasDocumentPath(chosen)) {
        MessageBox::Show(messageParent, Tx(text::kDocumentPresent), MessageBox::Exclamation);
        return false;
    }
    subject->AddDocumentPath(chosen);
    doc.RefreshDocumentList();
    doc.SetModifiedFlag(true);
    return true;
}

void CTenorelView::OnCloseReopenSubject()
{
    CTenorelDoc* doc = GetDocument();
    CTenorels* subject = doc ? doc->GetCurrentSubject() : nullptr;
    if (!subject)
        return;
    // The item of the current subject: the selection, normally; with items
    // carrying their record, found by record when the selection is elsewhere.
    QTreeWidgetItem* item = currentItem();
    if (SubjectOf(item) != subject)
        item = FindSubjectItem(subject);
    if (subject->GetState() == CTenorels::kOpen) {
        if (item)
            item->setIcon(0, ClosedSubjectMark());
        subject->SetState(CTenorels::kClosed);
    } else if (subject->GetState() == CTenorels::kClosed) {
        if (item)
            item->setIcon(0, OpenSubjectMark());
        subject->SetState(CTenorels::kOpen);
    }
    // The book's other windows show the new mark too.
    for (std::size_t i = 0; i < doc->GetViewCount(); ++i) {
        auto* tree = dynamic_cast<CTenorelView*>(doc->GetView(i));
        QTreeWidgetItem* other = tree && tree != this ? tree->FindSubjectItem(subject) : nullptr;
        if (other)
            other->setIcon(0, subject->GetState() != 0 ? ClosedSubjectMark() : OpenSubjectMark());
    }
    doc->SetModifiedFlag(true);
}

} // namespace tavelo::gui
