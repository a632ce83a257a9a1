#include "app/read_only_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/resources.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"

namespace tavelo::gui {

ReadOnlyBar::ReadOnlyBar(CTenorelDoc* doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("readOnlyBar"));
    setAutoFillBackground(true);
    QPalette look = palette();
    look.setColor(QPalette::Window, look.color(QPalette::ToolTipBase));
    look.setColor(QPalette::WindowText, look.color(QPalette::ToolTipText));
    setPalette(look);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_notify = new QPushButton(Tx(text::kNotifyMeButton), this);
    m_copy = new QPushButton(Tx(text::kSaveCopyEllipsis), this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_notify);
    layout->addWidget(m_copy);
    connect(m_notify, &QPushButton::clicked, this, [this] {
        if (m_doc)
            m_doc->RequestNotify();
    });
    connect(m_copy, &QPushButton::clicked, this, [this] {
        if (m_doc)
            m_doc->DoSave(QString());
    });
    if (doc)
        connect(doc, &CTenorelDoc::readOnlyChanged, this, &ReadOnlyBar::Refresh);
    Refresh();
}

QString ReadOnlyBar::Text() const
{
    return m_text->text();
}

void ReadOnlyBar::Refresh()
{
    const bool readOnly = m_doc && m_doc->IsReadOnly();
    setVisible(readOnly);
    if (!readOnly)
        return;
    m_text->setText(m_doc->ReadOnlyLine());
    m_notify->setVisible(m_doc->CanWaitForHolder());
    m_notify->setEnabled(!m_doc->IsNotifyRequested());
}

} // namespace tavelo::gui
