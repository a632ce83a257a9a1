#pragma once
// The bar above a book's tree while the book is read-only: who holds it, "Me
// prévenir" (be told when it is free) and "Enregistrer une copie…".

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace tavelo::gui {

class CTenorelDoc;

class ReadOnlyBar : public QWidget {
    Q_OBJECT
public:
    ReadOnlyBar(CTenorelDoc* doc, QWidget* parent);

    QString Text() const;
    QPushButton* NotifyButton() const { return m_notify; }
    QPushButton* CopyButton() const { return m_copy; }
    // Follows the book's state.
    void Refresh();

private:
    QPointer<CTenorelDoc> m_doc;
    QLabel* m_text;
    QPushButton* m_notify;
    QPushButton* m_copy;
};

} // namespace tavelo::gui
