#pragma once
// The quick search field at the top of a book window's tree pane: each
// keystroke, after a short pause, searches every word of the whole book (names,
// general titles, expected texts, the documents' names and texts) and the
// tree shows the subjects found at once; Escape goes back to every subject.
// The line under it says what was found, and how many documents are not read
// yet.

#include <QCoreApplication>
#include <QWidget>
#include <memory>

#include "views/quick_search_runner.h"

class QLabel;
class QLineEdit;
class QTimer;

namespace tavelo::gui {

class CTenorelDoc;
class CTenorelView;

class QuickSearchField : public QWidget {
    Q_OBJECT
public:
    QuickSearchField(CTenorelDoc* document, CTenorelView* tree, QWidget* parent = nullptr);
    ~QuickSearchField() override;

    QLineEdit* Edit() const { return m_edit; }
    QLabel* Status() const { return m_status; }
    QuickSearchRunner* Runner() const { return m_runner.get(); }
    // Empties the field and gives the tree every subject again.
    void Leave();
    // Searches the field's text now, without waiting for the pause.
    void SearchNow();

    inline static const char* const kPlaceholder = QT_TRANSLATE_NOOP("Tavelo", "Rechercher dans tout le livre (Ctrl+K)");

Q_SIGNALS:
    // An answer is shown (for tests and the status bar).
    void answered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnAnswer(const QuickSearchRunner::Answer& answer);

    CTenorelDoc* m_document;
    CTenorelView* m_tree;
    QLineEdit* m_edit;
    QLabel* m_status;
    QTimer* m_pause;
    std::unique_ptr<QuickSearchRunner> m_runner;
    QString m_shownText; // the text whose answer the tree shows
};

} // namespace tavelo::gui
