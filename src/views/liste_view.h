#pragma once
// The document list: one row per document of the current subject, with its
// name and type icon, folder, kind, size and modification date. Rows come in
// the subject's order; a click on a column heading sorts by it, and a third
// click (or "Ordre du livre" in the heading's menu) brings the subject's order
// back. Each document is checked in the background and marked when it is
// missing or unreadable. A double click, Enter or Space shows the selected
// document in the preview.

#include <QCoreApplication>
#include <QTreeView>

#include "editing/probe_pool.h"
#include "views/document_list_model.h"
#include "views/view.h"
#include "views/window_mailbox.h"

class QSortFilterProxyModel;

namespace tavelo {
class CTenorels;
}

namespace tavelo::gui {

class CListeView : public QTreeView, public CView {
    Q_OBJECT
public:
    explicit CListeView(CTenorelDoc* document, QWidget* parent = nullptr);
    ~CListeView() override;

    QWidget* GetWidget() override { return this; }
    void OnInitialUpdate() override;

    // One row per document path of the subject (none for no subject).
    void ShowDocuments(const CTenorels* subject);
    // The index in the subject of the selected document, or -1.
    int GetSelectedRow() const;
    // Selects the row of the subject's document `index` and shows it.
    void SelectDocument(int index);
    void OpenInPreview();
    void RunContextMenu(const QPoint& screenPos);

    // Rows as shown (after sorting): their count, document path and place.
    int GetRowCount() const;
    QString DocumentPath(int shownRow) const;
    QRect RowRect(int shownRow) const;
    DocumentListModel* Model() const { return m_model; }
    // Back to the subject's order.
    void ShowBookOrder();

    inline static const char* const kBookOrder = QT_TRANSLATE_NOOP("Tavelo", "Ordre du livre");

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void RestoreColumnWidths();
    void SaveColumnWidths() const;
    void HeaderMenu(const QPoint& pos);

    DocumentListModel* m_model;
    QSortFilterProxyModel* m_proxy;
    WindowMailbox m_mailbox;
    ProbePool::Ticket m_checks;
    quint64 m_generation = 0;
};

} // namespace tavelo::gui
