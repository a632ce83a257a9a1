#include "app/merge_review_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/resources.h"
#include "app/translation.h"

namespace tavelo::gui {

namespace {

QString ChangeText(MergeChange change)
{
    switch (change) {
    case MergeChange::kAdded:
        return Tx(text::kMergeAdded);
    case MergeChange::kChanged:
        return Tx(text::kMergeChanged);
    case MergeChange::kRemoved:
        return Tx(text::kMergeRemoved);
    case MergeChange::kUnited:
        return Tx(text::kMergeUnited);
    case MergeChange::kKeptOverRemoval:
        return Tx(text::kMergeKeptOverRemoval);
    }
    return {};
}

} // namespace

CMergeReviewDlg::CMergeReviewDlg(const QString& intro, const MergeResult& merge, const QString& mineSide,
                                 const QString& theirsSide, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Tx(text::kMergeReviewTitle));
    setModal(true);
    m_intro = new QLabel(intro, this);
    m_intro->setTextFormat(Qt::PlainText);
    m_intro->setWordWrap(true);
    m_lines = new QListWidget(this);
    m_lines->setObjectName(QStringLiteral("mergeLines"));
    for (const MergeEntry& e : merge.entries) {
        const QString side = e.side == MergeSide::kMine     ? mineSide
                             : e.side == MergeSide::kTheirs ? theirsSide
                                                            : Tx(text::kMergeBothSides);
        const QString subject =
            QString::fromStdString(e.generalTitle) + QStringLiteral(" / ") + QString::fromStdString(e.name);
        auto* item = new QListWidgetItem(Tx(text::kMergeLine).arg(side, ChangeText(e.change), subject), m_lines);
        // What both sides changed is what the user should look at.
        if (e.change == MergeChange::kUnited || e.change == MergeChange::kKeptOverRemoval) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
    }
    if (merge.entries.empty())
        new QListWidgetItem(Tx(text::kMergeNothing), m_lines);
    m_buttons = new QHBoxLayout;
    m_buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_intro);
    layout->addWidget(m_lines);
    layout->addLayout(m_buttons);
    resize(560, 420);
}

QPushButton* CMergeReviewDlg::AddChoice(const char* label, int code, bool isDefault)
{
    auto* button = new QPushButton(Tx(label), this);
    button->setDefault(isDefault);
    button->setAutoDefault(isDefault);
    connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
    m_buttons->addWidget(button);
    m_choices.push_back(button);
    return button;
}

QString CMergeReviewDlg::Intro() const
{
    return m_intro->text();
}

QStringList CMergeReviewDlg::Lines() const
{
    QStringList lines;
    for (int i = 0; i < m_lines->count(); ++i)
        lines << m_lines->item(i)->text();
    return lines;
}

QPushButton* CMergeReviewDlg::Choice(const QString& label) const
{
    for (QPushButton* b : m_choices) {
        if (b->text().remove(QLatin1Char('&')) == QString(label).remove(QLatin1Char('&')))
            return b;
    }
    return nullptr;
}

} // namespace tavelo::gui
