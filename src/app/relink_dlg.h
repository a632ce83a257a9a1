#pragma once
// "Outils ▸ Retrouver les documents déplacés…": the search for the missing
// documents of a book in a folder, run on another thread behind a window that
// shows how far it got and can stop it; then the list of what was found, where
// the user ticks the documents to re-point.

#include <QCoreApplication>
#include <QDialog>
#include <optional>

#include "editing/relink.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavelo::gui {

class CTenorelDoc;

inline constexpr const char* kRelinkTitle = QT_TRANSLATE_NOOP("Tavelo", "Retrouver les documents déplacés");

// Checks the book's documents, then walks `folder` for the missing ones.
// Returns none when the user stops it.
std::optional<RelinkScan> RunRelinkSearch(CTenorelDoc& doc, const QString& folder, const RelinkSources& sources,
                                          QWidget* parent);

// One row per missing document found, with one check box per file that may
// be it; ticking one file of a document unticks its others.
class CRelinkDlg : public QDialog {
    Q_OBJECT
public:
    CRelinkDlg(const RelinkScan& scan, const QString& folder, QWidget* parent = nullptr);

    // The re-pointings ticked.
    std::vector<Relink> Confirmed() const;

    QTreeWidget* Proposals() const { return m_list; }
    QLabel* Summary() const { return m_summary; }
    // "Tout cocher": in each document with nothing ticked, its proposed file
    // (or its only one, when it is not of another size); "Tout décocher".
    void CheckAll();
    void CheckNone();

private:
    void OnItemChanged(QTreeWidgetItem* item);

    std::vector<RelinkProposal> m_proposals;
    QLabel* m_summary;
    QTreeWidget* m_list;
    bool m_updating = false;
};

} // namespace tavelo::gui
