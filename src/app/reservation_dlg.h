#pragma once
// The two dialogs of a book that another holder has open: the choice at opening
// (read-only, read-only with notification, give up) and the notice that the
// book has become free.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace tavelo::gui {

// Dialog 143. Exec result: Accepted with GetChoice() 0 (read-only), 1
// (notify) or 2 (take the book over from a silent holder), or Rejected.
class CReservationDlg : public QDialog {
    Q_OBJECT
public:
    CReservationDlg(const QString& fileName, QWidget* parent);

    int GetChoice() const { return m_nChoice; }
    QString GetLine() const { return m_strLine; }
    // A line under the dialog's own texts saying who holds the book.
    void SetHolderLine(const QString& line);
    QString GetHolderLine() const;
    // Offers "Prendre la main" (choice 2): the holder has been silent.
    void OfferTakeOver();
    // The control with a numeric identifier (1, 2, 1008 or the static 1009).
    QWidget* Control(int id) const;

private:
    int m_nChoice = 0;
    QLabel* m_holder;
    QString m_strFileName;
    QString m_strLine;
    QPushButton* m_readOnly;
    QPushButton* m_notify;
    QPushButton* m_cancel;
    QPushButton* m_takeOver;
    QLabel* m_line;
};

// Dialog 144. Exec result: Accepted ("Lecture-Ecriture") or Rejected.
class CAvailableDlg : public QDialog {
    Q_OBJECT
public:
    CAvailableDlg(const QString& fileName, QWidget* parent);

    QString GetLine() const { return m_strLine; }
    QWidget* Control(int id) const;

private:
    QString m_strFileName;
    QString m_strLine;
    QPushButton* m_readWrite;
    QPushButton* m_cancel;
    QLabel* m_line;
};

} // namespace tavelo::gui
