#pragma once
// The field above the subject tree: typing narrows the tree at once to the
// subjects whose general title or name holds the text, case and accents
// ignored; Escape empties it. It acts on what the tree shows, so in search
// navigation it narrows the found subjects.
//
// A tree may hold 100,000 subjects, and hiding a row costs the view: titles
// without a match are hidden whole, and the rows of a title's subjects are
// hidden only once the title is open (when it opens, for a closed one).

#include <QCoreApplication>
#include <QHash>
#include <QLineEdit>
#include <QSet>
#include <vector>

class QTreeWidgetItem;

namespace tavelo {
class CTenorels;
}

namespace tavelo::gui {

class CTenorelView;

class SubjectFilter : public QLineEdit {
    Q_OBJECT
public:
    explicit SubjectFilter(CTenorelView* tree, QWidget* parent = nullptr);

    // Hides the tree's items that do not match the text (all shown again for
    // an empty text).
    void Apply();
    // Reads the tree's names ahead of the first key (done when the field
    // takes the focus).
    void Prepare();
    // The text as it is compared: accents dropped, case folded.
    static QString Fold(const QString& text);

    inline static const char* const kPlaceholder = QT_TRANSLATE_NOOP("Tavelo", "Filtrer les sujets");

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    struct Subject {
        QTreeWidgetItem* item;
        const CTenorels* record;
        // Its folded name in m_names, which holds them all one after the
        // other: the scan for a key reads memory in order.
        qsizetype offset = 0;
        qsizetype length = 0;
        bool match = true;
        bool hidden = false; // as the view has it
    };
    struct Title {
        QTreeWidgetItem* item;
        QString folded;
        std::size_t first = 0; // its subjects in m_subjects
        std::size_t count = 0;
        bool hidden = false;
        bool synced = true; // its subjects' rows follow their match
    };

    void Rebuild();
    void RefoldNames();
    void SyncSubjects(std::size_t title);
    void OnSubjectAdded(QTreeWidgetItem* item, bool selected);
    void AppendFoldedName(const Subject& subject);

    CTenorelView* m_tree;
    QString m_needle;
    bool m_filtering = false;
    // The tree's items changed (added, removed, refilled): look again.
    bool m_stale = true;
    // A name may have changed (renamed): fold again where it did.
    bool m_namesStale = false;
    std::vector<Title> m_titles;
    std::vector<Subject> m_subjects;
    QHash<QTreeWidgetItem*, std::size_t> m_titleOf;
    // Titles open before the filter was typed: they are open again when it
    // is emptied.
    QSet<QString> m_openBefore;
    QString m_names;
};

} // namespace tavelo::gui
