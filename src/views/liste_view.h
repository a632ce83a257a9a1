#pragma once
// The document list: the full paths of the current subject's documents, in
// list mode. A double click shows the selected document in the preview.

#include <QListWidget>

#include "views/view.h"

namespace tavelo {
class CTenorels;
}

namespace tavelo::gui {

class CListeView : public QListWidget, public CView {
    Q_OBJECT
public:
    explicit CListeView(CTenorelDoc* document, QWidget* parent = nullptr);

    QWidget* GetWidget() override { return this; }
    void OnInitialUpdate() override;

    // One row per document path of the subject (none for no subject).
    void ShowDocuments(const CTenorels* subject);
    // The selected row, or -1.
    int GetSelectedRow() const;
    void OpenInPreview();
    void RunContextMenu(const QPoint& screenPos);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace tavelo::gui
