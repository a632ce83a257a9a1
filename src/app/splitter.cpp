#include "app/splitter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QStackedWidget>
#include <QSplitter>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>

#include "app/read_only_bar.h"
#include "app/resource_ids.h"
#include "app/tenorel_doc.h"
#include "views/html_view.h"
#include "views/inbox_pane.h"
#include "views/liste_view.h"
#include "views/quick_search_field.h"
#include "views/subject_filter.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

CSplitter::CSplitter(CTenorelDoc* document, QWidget* parent) : QMdiSubWindow(parent), m_pDocument(document)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("bookWindow"));

    auto* holder = new QWidget(this);
    m_wndSplitter = new QSplitter(Qt::Horizontal, holder);
    m_wndSplitter->setObjectName(QStringLiteral("outerSplitter"));
    m_wndSplitter->setChildrenCollapsible(false);
    // Views are made in the order tree, preview, list: the book addresses them so.
    m_treePane = new QWidget(m_wndSplitter);
    m_tree = new CTenorelView(document, m_treePane);
    m_filter = new SubjectFilter(m_tree, m_treePane);
    m_quickSearch = new QuickSearchField(document, m_tree, m_treePane);
    auto* treeLayout = new QVBoxLayout(m_treePane);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->setSpacing(2);
    treeLayout->addWidget(new ReadOnlyBar(document, m_treePane));
    treeLayout->addWidget(m_quickSearch);
    treeLayout->addWidget(m_filter);
    treeLayout->addWidget(m_tree);
    m_wndSplitter2 = new QSplitter(Qt::Vertical, m_wndSplitter);
    m_wndSplitter2->setObjectName(QStringLiteral("innerSplitter"));
    m_wndSplitter2->setChildrenCollapsible(false);
    m_preview = new CHTMLView(document, m_wndSplitter2);
    m_list = new CListeView(document, m_wndSplitter2);
    // The inbox pane stands beside the tree; it shows itself once the book
    // has an inbox folder.
    m_inboxPane = new InboxPane(document, m_wndSplitter);
    m_wndSplitter->addWidget(m_treePane);
    m_wndSplitter->addWidget(m_inboxPane);
    m_wndSplitter->addWidget(m_wndSplitter2);
    m_wndSplitter2->addWidget(m_preview);
    m_wndSplitter2->addWidget(m_list);
    // The left and upper panes keep their size when the window is resized.
    m_wndSplitter->setStretchFactor(0, 0);
    m_wndSplitter->setStretchFactor(1, 0);
    m_wndSplitter->setStretchFactor(2, 1);
    m_wndSplitter2->setStretchFactor(0, 0);
    m_wndSplitter2->setStretchFactor(1, 1);
    m_tree->setMinimumWidth(40);
    m_preview->setMinimumHeight(40);
    m_list->setMinimumHeight(30);

    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_wndSplitter);
    setWidget(holder);

    auto* quickKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this);
    quickKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(quickKey, &QShortcut::activated, this, [this] {
        m_quickSearch->Edit()->setFocus(Qt::ShortcutFocusReason);
        m_quickSearch->Edit()->selectAll();
    });

    OnCommand(ID_NEXT_PANE, [this] { CyclePane(true); });
    OnCommand(ID_PREV_PANE, [this] { CyclePane(false); });

    m_focusConnection =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    m_pActiveView = m_tree;
    setFocusProxy(m_tree);
}

CSplitter::~CSplitter()
{
    // The panes are destroyed after this part of the object: no callback may
    // reach it meanwhile.
    disconnect(m_focusConnection);
}

void CSplitter::InitialUpdate()
{
    m_tree->OnInitialUpdate();
    m_preview->OnInitialUpdate();
    m_list->OnInitialUpdate();
    SetActiveView(m_tree);
    // The documents the quick search cannot see yet are read meanwhile.
    m_quickSearch->Runner()->StartReading();
}

void CSplitter::DetachViews()
{
    for (CView* view : {static_cast<CView*>(m_tree), static_cast<CView*>(m_preview), static_cast<CView*>(m_list)}) {
        if (CTenorelDoc* doc = view->GetDocument())
            doc->RemoveView(view);
        view->DetachDocument();
    }
}

void CSplitter::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
    if (!m_sized)
        QTimer::singleShot(0, this, [this] { ApplyInitialSizes(); });
}

void CSplitter::ApplyInitialSizes()
{
    if (m_sized)
        return;
    m_sized = true;
    const int width = std::max(m_wndSplitter->width(), kTreeWidth + 100);
    const int height = std::max(m_wndSplitter2->height(), kPreviewHeight + 60);
    const int inbox = m_inboxPane->isVisible() ? InboxPane::kPreferredWidth + m_wndSplitter->handleWidth() : 0;
    m_wndSplitter->setSizes({kTreeWidth, inbox > 0 ? InboxPane::kPreferredWidth : 0,
                             std::max(100, width - kTreeWidth - inbox - m_wndSplitter->handleWidth())});
    m_wndSplitter2->setSizes({kPreviewHeight, height - kPreviewHeight - m_wndSplitter2->handleWidth()});
}

void CSplitter::SetActiveView(CView* view, bool focus)
{
    if (!view)
        return;
    m_pActiveView = view;
    if (focus && view->GetWidget()) {
        QWidget* target = view->GetWidget();
        if (auto* stack = qobject_cast<QStackedWidget*>(target); stack && stack->currentWidget())
            target = stack->currentWidget();
        target->setFocus(Qt::OtherFocusReason);
    }
}

void CSplitter::OnFocusChanged(QWidget* now)
{
    for (QWidget* w = now; w && w != this; w = w->parentWidget()) {
        if (w == m_tree || w == m_treePane) {
            m_pActiveView = m_tree;
            return;
        }
        if (w == m_preview) {
            m_pActiveView = m_preview;
            return;
        }
        if (w == m_list) {
            m_pActiveView = m_list;
            return;
        }
    }
}

void CSplitter::CyclePane(bool forward)
{
    CView* panes[] = {m_tree, m_preview, m_list};
    int index = 0;
    for (int i = 0; i < 3; ++i) {
        if (panes[i] == m_pActiveView)
            index = i;
    }
    index = (index + (forward ? 1 : 2)) % 3;
    SetActiveView(panes[index]);
}

void CSplitter::closeEvent(QCloseEvent* event)
{
    if (canClose && !canClose(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT windowClosed(this);
}

} // namespace tavelo::gui
