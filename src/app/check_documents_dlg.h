#pragma once
// "Outils ▸ Vérifier les documents": a window that lists every missing or
// unreadable document of a book (subject, document, reason) as the check
// finds them, with a bar and a button that stops it. The check runs on
// another thread, so a folder that does not answer holds the bar, never the
// windows. A double click selects that subject and document in the book's
// window.

#include <QCoreApplication>
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

#include "editing/document_check.h"
#include "views/window_mailbox.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavelo::gui {

class CTenorelDoc;

inline constexpr const char* kCheckTitle = QT_TRANSLATE_NOOP("Tavelo", "Vérification des documents");

class CCheckDocumentsDlg : public QDialog {
    Q_OBJECT
public:
    // Shows the window for the book and starts the check.
    explicit CCheckDocumentsDlg(CTenorelDoc& doc, QWidget* parent = nullptr);
    ~CCheckDocumentsDlg() override;

    // What a double click does (selecting the document in the book's window).
    std::function<void(const CTenorels* subject, int index, const std::string& path)> onChosen;

    QTreeWidget* Results() const { return m_results; }
    QLabel* Summary() const { return m_summary; }
    QProgressBar* Bar() const { return m_bar; }
    QPushButton* Button() const { return m_button; }
    bool IsRunning() const { return m_running; }
    // How paths are checked (ProbeDocument unless set), for the tests.
    static void SetProber(DocumentProber prober);

private:
    void Start();
    void OnFound(const MissingDocument& missing);
    void OnProgress(std::size_t done);
    void OnFinished(bool cancelled);
    void OnButton();

    QPointer<CTenorelDoc> m_doc;
    QLabel* m_summary;
    QTreeWidget* m_results;
    QProgressBar* m_bar;
    QPushButton* m_button;
    WindowMailbox m_mailbox;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    // "Titre général ▸ intitulé", taken when the check starts.
    QHash<const CTenorels*, QString> m_labels;
    std::size_t m_total = 0;
    std::size_t m_done = 0;
    bool m_running = false;
};

} // namespace tavelo::gui
