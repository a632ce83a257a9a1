#pragma once
// The three modal dialogs of the subject commands: a new subject (132), the
// new name of a subject (140) and its expected text (141). Each has "OK" as its
// default button and "Annuler" as its cancel button; the edits have no length
// limit.

#include <QDialog>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tavelo::gui {

// Dialog 132: general title (1000) and subject name (1001). OK is enabled
// exactly while both edits hold text, taken as typed (no trimming).
class CNewSubjectDlg : public QDialog {
    Q_OBJECT
public:
    explicit CNewSubjectDlg(QWidget* parent = nullptr);

    QString GetGeneralTitle() const;
    QString GetSubjectName() const;
    // The control with a numeric identifier (1, 2, 1000, 1001).
    QWidget* Control(int id) const;

private:
    void UpdateOk();

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
