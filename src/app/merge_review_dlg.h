#pragma once
// The review of a merge of two versions of a book, before anything is written:
// what each side added, changed and removed, and what both changed (united).
// The buttons are the caller's: "Fusionner" / "Enregistrer une copie" after a
// save that found another version on disk, "Réunir" / "Ajouter en double" for
// the merge command, "Fusionner" for a conflict copy.

#include <QDialog>
#include <QString>
#include <vector>

#include "book/version_merge.h"

class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;

namespace tavelo::gui {

class CMergeReviewDlg : public QDialog {
    Q_OBJECT
public:
    // `mineSide` and `theirsSide` name the two versions in the lines.
    CMergeReviewDlg(const QString& intro, const MergeResult& merge, const QString& mineSide, const QString& theirsSide,
                    QWidget* parent);

    // Adds a button that closes the dialog with `code` as its result.
    QPushButton* AddChoice(const char* label, int code, bool isDefault = false);

    QString Intro() const;
    QStringList Lines() const;
    // The button whose text (accelerator marks removed) is `label`.
    QPushButton* Choice(const QString& label) const;

private:
    QLabel* m_intro;
    QListWidget* m_lines;
    std::vector<QPushButton*> m_choices;
    QHBoxLayout* m_buttons;
};

} // namespace tavelo::gui
