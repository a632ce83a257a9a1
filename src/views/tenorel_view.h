#pragma once
// The subject tree: the book's title, its general titles and its subjects with
// their state marks. Selecting a subject makes it the book's current subject and
// shows its documents and its expected text.

#include <QTreeWidget>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "search/query/quick_search.h"

#include "views/view.h"

class QMenu;
class QMimeData;
class QPagedPaintDevice;

namespace tavelo {
class CTenorels;
class HitMarker;
class SearchPattern;
}

namespace tavelo::gui {

class CTenorelView : public QTreeWidget, public CView {
    Q_OBJECT
public:
    enum ItemType { RootItem = QTreeWidgetItem::UserType + 1, GeneralTitleItem, SubjectItem };

    explicit CTenorelView(CTenorelDoc* document, QWidget* parent = nullptr);
    ~CTenorelView() override;

    QWidget* GetWidget() override { return this; }
    void OnInitialUpdate() override;

    // Shows one subject under its general title, making the root and the title
    // item when missing; selects it when asked.
    void AddSubjectToTree(CTenorels* subject, bool select);
    // The general-title item whose text is exactly this title, or none.
    QTreeWidgetItem* FindGeneralTitleItem(const std::string& generalTitle) const;
    void ShowExpectedText(CTenorels* subject);

    // Rebuilds the whole tree from the book's subject list (standard mode).
    void FillStandard();
    // "Navigation par recherche": shows only the hits of the last search.
    void OnSearchNavigation();
    // "Navigation Standard": shows every subject and selects again the
    // subject that was selected.
    void OnStandardNavigation();
    QTreeWidgetItem* GetRootItem() const;
    void SetRootText(const QString& title);
    // The record a subject item stands for, or none for other items.
    static CTenorels* SubjectOf(const QTreeWidgetItem* item);
    // The general title a title item stands for, or none for other items.
    static const std::string* GeneralTitleOf(const QTreeWidgetItem* item);
    // Lays the items out again in the tree's mode (general titles changed),
    // keeping the selected subject and the open general titles.
    void RelayOut();
    // What a subject dragged from this tree carries; the tree takes it back
    // when it is dropped on another general title.
    QMimeData* SubjectDragData(const CTenorels* subject) const;
    inline static const char* const kSubjectMime = "application/x-tavelo-subject";
    QTreeWidgetItem* FindSubjectItem(const CTenorels* subject) const;
    // Takes a subject's items and search hits out of the tree, and its
    // general-title item when that is left empty.
    void RemoveSubjectItem(const CTenorels* subject);
    // Appends a file to the book's current subject unless the subject already
    // holds it ("Ce document est déjà présent"); true when it was added.
    static bool AddDocumentToCurrentSubject(CTenorelDoc& doc, const QString& path, QWidget* messageParent);

    // The subject context menu at a screen position; a request without a
    // position (from the keyboard) places it at the selected item.
    void RunContextMenu(const QPoint& screenPos, bool fromKeyboard);
    // Draws what the tree holds on pages of `device`, within margins of at
    // least 15 mm, long texts wrapped; with each subject's expected text and
    // documents when asked. False when painting fails.
    bool PrintTree(QPagedPaintDevice& device) const;
    bool PrintsDetails() const { return m_printDetails; }
    void SetPrintDetails(bool details) { m_printDetails = details; }

    // What the first tree made after an import does to the imported book (set
    // by the import code; it marks the book modified itself).
    static std::function<void(CTenorelDoc&)>& ImportRepointing();

    bool m_bSearchMode = false;
    std::vector<CTenorels*> m_searchHits;
    // The pattern that found them; the preview highlights its matches.
    std::shared_ptr<const SearchPattern> m_searchPattern;

    // What the quick search found, while the tree shows it.
    struct QuickAnswer {
        std::shared_ptr<const query::Query> query;
        std::shared_ptr<const HitMarker> marker;
        // The hits of each subject: its own fields first, then its documents.
        std::unordered_map<const CTenorels*, std::vector<QuickHit>> hits;
        // Confirms a subject's hits and makes their extracts.
        std::function<std::vector<QuickHit>(std::vector<QuickHit>)> confirm;
    };
    // Search mode with the quick search's subjects, none at all when nothing
    // matched, and its words marked in the preview.
    void ShowQuickAnswer(std::vector<CTenorels*> subjects, std::shared_ptr<QuickAnswer> answer);
    bool InQuickSearch() const { return m_quick != nullptr; }
    // The quick search's hits among the subject's documents, confirmed, with
    // their extracts; nothing outside the quick search.
    std::vector<QuickHit> QuickHitsOf(const CTenorels* subject);
    // Leaves the quick search's answer (the tree is left as it is).
    void ForgetQuickAnswer() { m_quick.reset(); }

Q_SIGNALS:
    // A record was taken out of this tree because it left the book.
    void subjectRemoved(const tavelo::CTenorels* subject);
    // The items were all replaced (a refill for a navigation mode).
    void itemsReplaced();
    // One subject item was added, and is about to be selected when asked.
    void subjectItemAdded(QTreeWidgetItem* item, bool selected);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Replaces the tree's items by these subjects under their general titles.
    void FillSubjects(const std::vector<CTenorels*>& subjects);
    void OnSelectionChanged(QTreeWidgetItem* item);
    void OnAddDocument();
    void OnCloseReopenSubject();
    void OnFilePrint(bool withDialog);
    // Qt's print preview of the pages that printing lays out (tree_print.cpp).
    void OnFilePrintPreview();
    QTreeWidgetItem* EnsureRoot();
    QTreeWidgetItem* InsertGeneralTitle(const std::string& generalTitle);
    void InsertSubjectSorted(QTreeWidgetItem* titleItem, QTreeWidgetItem* subjectItem);
    bool HitsLabel(const QTreeWidgetItem* item, const QPoint& pos) const;

    // The subject a drag of this format carries, when it is one of this
    // book's, and the general title it would go under at `pos`.
    CTenorels* DraggedSubject(const QDropEvent* event) const;
    const std::string* DropTitleAt(const QPoint& pos) const;

    QTreeWidgetItem* m_hRightClickItem = nullptr;
    std::shared_ptr<QuickAnswer> m_quick;
    bool m_printDetails = false;
};

} // namespace tavelo::gui
