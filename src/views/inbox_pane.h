#pragma once
// The inbox pane of a book window, beside the subject tree: the new files of
// the book's inbox, newest first, each with its three best subjects and why.
// Enter or a double click files the selected file under the first one (or
// opens "Nouveau sujet…" when none is likely enough), 1 to 3 under one of the
// three. Hidden while the book has no inbox folder.

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavelo::gui {

class CTenorelDoc;
class Inbox;

class InboxPane : public QWidget {
    Q_OBJECT
public:
    explicit InboxPane(CTenorelDoc* document, QWidget* parent = nullptr);

    // The width it takes beside the tree when it appears.
    static constexpr int kPreferredWidth = 340;

    QTreeWidget* List() const { return m_list; }
    QLabel* Status() const { return m_status; }
    QLabel* LinesLabel() const { return m_lines; }
    QCheckBox* MoveCheck() const { return m_move; }
    QPushButton* NewSubjectButton() const { return m_newSubject; }

    // The file of the selected row, or empty.
    QString SelectedPath() const;
    // Files the selected file under its suggestion `n` (0 to 2); false when
    // there is none or it was not filed.
    bool FileSelected(int n);
    // "Nouveau sujet…" for the selected file: the subject is made, then the
    // file is filed there.
    bool FileSelectedInNewSubject();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void FillRows();
    void TakeWidth();
    // What Enter or a double click on this row does.
    void Activate(QTreeWidgetItem* item);

    QPointer<CTenorelDoc> m_doc;
    QPointer<Inbox> m_inbox;
    QLabel* m_status;
    QLabel* m_lines;
    QTreeWidget* m_list;
    QCheckBox* m_move;
    QPushButton* m_newSubject;
    QString m_shown; // what the rows show, to leave them be when it is the same
};

} // namespace tavelo::gui
