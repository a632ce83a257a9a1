#pragma once
// The three modal dialogs of the subject commands: a new subject (132), the
// new name of a subject (140) and its expected text (141). Each has "OK" as its
// default button and "Annuler" as its cancel button; the edits have no length
// limit.

#include <QDialog>
#include <QString>
#include <QStringList>

class QCompleter;
class QLineEdit;
class QStringListModel;
class QPlainTextEdit;
class QPushButton;

namespace tavelo::gui {

// Offers, as a general title is typed, the book's general titles that begin
// with it or hold it, ignoring case and accents: "impots" proposes "Impôts".
class GeneralTitleCompletion : public QObject {
    Q_OBJECT
public:
    GeneralTitleCompletion(QLineEdit* edit, QStringList titles);

    QCompleter* Completer() const { return m_completer; }
    // The titles offered for this text, those that begin with it first.
    QStringList Matches(const QString& typed) const;

private:
    QLineEdit* m_edit;
    QStringList m_titles;
    QStringList m_folded;
    QStringListModel* m_model;
    QCompleter* m_completer;
};

// Dialog 132: general title (1000) and subject name (1001). OK is enabled
// exactly while both edits hold text, taken as typed (no trimming). The book's
// general titles are offered as the first is typed.
class CNewSubjectDlg : public QDialog {
    Q_OBJECT
public:
    explicit CNewSubjectDlg(QWidget* parent = nullptr, const QStringList& generalTitles = {});

    QString GetGeneralTitle() const;
    QString GetSubjectName() const;
    // The control with a numeric identifier (1, 2, 1000, 1001).
    QWidget* Control(int id) const;
    GeneralTitleCompletion* Completion() const { return m_completion; }

private:
    void UpdateOk();

    GeneralTitleCompletion* m_completion;
    QLineEdit* m_generalTitle;
    QLineEdit* m_subjectName;
    QPushButton* m_ok;
};

// Dialog 140: the subject name (1006), starting with the current name. OK is
// enabled exactly while the edit holds text.
class CRenameSubjectDlg : public QDialog {
    Q_OBJECT
public:
    explicit CRenameSubjectDlg(const QString& name, QWidget* parent = nullptr);

    QString GetName() const;
    QWidget* Control(int id) const;

private:
    QLineEdit* m_name;
    QPushButton* m_ok;
};

// A general title to type or choose among the book's (1010), with the same
// completion: the new name of a general title, or the one a subject moves
// under. OK is enabled while the edit holds text other than `unchanged`.
class CGeneralTitleDlg : public QDialog {
    Q_OBJECT
public:
    CGeneralTitleDlg(const QString& title, const QString& label, const QString& initial, const QString& unchanged,
                     const QStringList& generalTitles, QWidget* parent = nullptr);

    QString GetGeneralTitle() const;
    QWidget* Control(int id) const;
    GeneralTitleCompletion* Completion() const { return m_completion; }

private:
    QLineEdit* m_edit;
    GeneralTitleCompletion* m_completion;
    QPushButton* m_ok;
};

// Dialog 141: the expected text (1007), multi-line; Return inserts a line
// break. The stored text separates its lines with CR LF.
class CExpectedTextDlg : public QDialog {
    Q_OBJECT
public:
    explicit CExpectedTextDlg(const QString& storedText, QWidget* parent = nullptr);

    // The text in its stored form (CR LF line breaks). A text left as shown
    // comes back exactly as it was given, whatever its line breaks.
    QString GetText() const;
    QWidget* Control(int id) const;

    static QString ToDisplay(const QString& stored);
    static QString ToStored(const QString& shown);

private:
    QString m_storedText;
    QString m_shownText;
    QPlainTextEdit* m_edit;
};

} // namespace tavelo::gui
