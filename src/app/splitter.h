#pragma once
// A book window: the subject tree on the left (250 px), the preview (500 px)
// above the document list on the right. It tracks which of its panes is the
// active view and cycles the focus through them (F6, Shift+F6).

#include <QMdiSubWindow>
#include <QPointer>
#include <functional>

#include "app/command.h"

class QSplitter;

namespace tavelo::gui {

class CTenorelDoc;
class CTenorelView;
class CHTMLView;
class CListeView;
class CView;
class SubjectFilter;
class InboxPane;
class QuickSearchField;

class CSplitter : public QMdiSubWindow, public CCmdTarget {
    Q_OBJECT
public:
    static constexpr int kTreeWidth = 250;
    static constexpr int kPreviewHeight = 500;

    explicit CSplitter(CTenorelDoc* document, QWidget* parent = nullptr);
    ~CSplitter() override;

    CTenorelDoc* GetDocument() const { return m_pDocument.data(); }
    CTenorelView* Tree() const { return m_tree; }
    CHTMLView* Preview() const { return m_preview; }
    CListeView* List() const { return m_list; }
    // The filter field above the tree; it belongs to the tree's pane.
    SubjectFilter* Filter() const { return m_filter; }
    // The quick search field at the top of the tree's pane (Ctrl+K).
    QuickSearchField* QuickSearch() const { return m_quickSearch; }
    // The book's inbox, beside the tree (hidden while it has no folder).
    InboxPane* Inbox() const { return m_inboxPane; }
    QSplitter* OuterSplitter() const { return m_wndSplitter; }
    QSplitter* InnerSplitter() const { return m_wndSplitter2; }

    CView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* view, bool focus = true);
    // Moves the focus to the next (or previous) pane: tree, preview, list.
    void CyclePane(bool forward);
    // Runs the views' initial update.
    void InitialUpdate();
    // Takes the three views out of the book as the window closes.
    void DetachViews();

    // Asked before the window closes; false keeps it open.
    std::function<bool(CSplitter*)> canClose;

Q_SIGNALS:
    void windowClosed(tavelo::gui::CSplitter* window);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ApplyInitialSizes();
    void OnFocusChanged(QWidget* now);

    QPointer<CTenorelDoc> m_pDocument;
    QSplitter* m_wndSplitter;
    QSplitter* m_wndSplitter2;
    CTenorelView* m_tree;
    CHTMLView* m_preview;
    CListeView* m_list;
    QWidget* m_treePane;
    SubjectFilter* m_filter;
    QuickSearchField* m_quickSearch;
    InboxPane* m_inboxPane;
    CView* m_pActiveView = nullptr;
    bool m_sized = false;
    QMetaObject::Connection m_focusConnection;
};

} // namespace tavelo::gui
