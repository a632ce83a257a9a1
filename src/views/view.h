#pragma once
// The common part of the three panes of a book window: each is a command target
// attached to its book, which lists its views in the order they were made.

#include "app/command.h"

class QWidget;

namespace tavelo::gui {

class CTenorelDoc;

class CView : public CCmdTarget {
public:
    explicit CView(CTenorelDoc* document);
    ~CView() override;

    CTenorelDoc* GetDocument() const { return m_pDocument; }
    virtual QWidget* GetWidget() = 0;
    // Called once the book window holds all three views.
    virtual void OnInitialUpdate() {}
    // The book is going away before this view.
    void DetachDocument() { m_pDocument = nullptr; }

private:
    CTenorelDoc* m_pDocument;
};

} // namespace tavelo::gui
