#include "app/reservation_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/resource_ids.h"
#include "app/resources.h"
#include "app/translation.h"

namespace tavelo::gui {

namespace {
QLabel* MakeLine(QWidget* parent, const QString& textValue)
{
    auto* label = new QLabel(textValue, parent);
    label->setProperty("controlId", int{IDC_FILE_LINE});
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* label, int id)
{
    auto* button = new QPushButton(Tx(label), parent);
    button->setProperty("controlId", id);
    return button;
}

QWidget* FindControl(const QWidget* dialog, int id)
{
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        if (child->property("controlId").toInt() == id)
            return child;
    }
    return nullptr;
}
} // namespace

CReservationDlg::CReservationDlg(const QString& fileName, QWidget* parent)
    : QDialog(parent), m_strFileName(fileName)
{
    setWindowTitle(Tx(text::kReservationTitle));
    setModal(true);
    m_strLine = m_strFileName + Tx(text::kReservationLine);
    m_line = MakeLine(this, m_strLine);
    auto* hint = new QLabel(Tx(text::kReservationHint), this);
    hint->setWordWrap(true);
    m_holder = new QLabel(this);
    m_holder->setObjectName(QStringLiteral("holderLine"));
    m_holder->setTextFormat(Qt::PlainText);
    m_holder->setWordWrap(true);
    m_holder->hide();
    m_readOnly = MakeButton(this, text::kReadOnlyButton, IDOK);
    m_notify = MakeButton(this, text::kNotifyButton, IDC_NOTIFY);
    m_cancel = MakeButton(this, text::kCancelButton, IDCANCEL);
    m_takeOver = MakeButton(this, text::kTakeOverButton, IDC_TAKE_OVER);
    m_takeOver->hide();
    m_readOnly->setDefault(true);
    m_readOnly->setAutoDefault(true);

    connect(m_readOnly, &QPushButton::clicked, this, [this] {
        m_nChoice = 0;
        accept();
    });
    connect(m_notify, &QPushButton::clicked, this, [this] {
        m_nChoice = 1;
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_takeOver, &QPushButton::clicked, this, [this] {
        m_nChoice = 2;
        accept();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_takeOver);
    buttons->addStretch();
    buttons->addWidget(m_readOnly);
    buttons->addWidget(m_notify);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_line);
    layout->addWidget(hint);
    layout->addWidget(m_holder);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void CReservationDlg::SetHolderLine(const QString& line)
{
    m_holder->setText(line);
    m_holder->setVisible(!line.isEmpty());
}

void CReservationDlg::OfferTakeOver()
{
    m_takeOver->show();
}

QString CReservationDlg::GetHolderLine() const
{
    return m_holder->text();
}

QWidget* CReservationDlg::Control(int id) const
{
    return FindControl(this, id);
}

CAvailableDlg::CAvailableDlg(const QString& fileName, QWidget* parent) : QDialog(parent), m_strFileName(fileName)
{
    setWindowTitle(Tx(text::kReservationTitle));
    setModal(true);
    m_strLine = m_strFileName + Tx(text::kAvailableLine);
    m_line = MakeLine(this, m_strLine);
    auto* hint = new QLabel(Tx(text::kAvailableHint), this);
    hint->setWordWrap(true);
    m_readWrite = MakeButton(this, text::kReadWriteButton, IDOK);
    m_cancel = MakeButton(this, text::kAvailableCancel, IDCANCEL);
    m_readWrite->setDefault(true);
    m_readWrite->setAutoDefault(true);
    connect(m_readWrite, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_readWrite);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_line);
    layout->addWidget(hint);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

QWidget* CAvailableDlg::Control(int id) const
{
    return FindControl(this, id);
}

} // namespace tavelo::gui
