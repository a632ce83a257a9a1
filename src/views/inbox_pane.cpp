#include "views/inbox_pane.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

#include "app/resource_ids.h"
#include "app/subject_dialogs.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/tenorels.h"
#include "views/inbox.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

const char* const kTitle = QT_TRANSLATE_NOOP("Tavelo", "Boîte de réception");
const char* const kMoveCheck = QT_TRANSLATE_NOOP("Tavelo", "Ranger dans le dossier du sujet");
const char* const kNewSubjectButton = QT_TRANSLATE_NOOP("Tavelo", "Nouveau sujet…");
const char* const kNewSubjectRow = QT_TRANSLATE_NOOP("Tavelo", "Nouveau sujet…\naucun sujet ne convient assez");
const char* const kLooking = QT_TRANSLATE_NOOP("Tavelo", "Recherche des nouveaux fichiers…");
const char* const kNone = QT_TRANSLATE_NOOP("Tavelo", "Aucun nouveau fichier");
const char* const kCount = QT_TRANSLATE_NOOP("Tavelo", "%1 nouveau(x) fichier(s) ; Entrée range sous le premier sujet, 1 à 3 sous l'un des trois");
const char* const kUnreadable = QT_TRANSLATE_NOOP("Tavelo", "%1 — illisible : %2");
// The reason goes on a line of its own: the pane is narrow.
const char* const kSuggestion = QT_TRANSLATE_NOOP("Tavelo", "%1. %2 (%3 %)\n%4");

// What a row stands for: its file, and which choice (-1: a new subject,
// 0 to 2: a suggestion, kFileRow: the file itself).
constexpr int kPathRole = Qt::UserRole;
constexpr int kChoiceRole = Qt::UserRole + 1;
constexpr int kFileRow = 100;
constexpr int kNewSubjectChoice = -1;

QTreeWidgetItem* FileItem(QTreeWidgetItem* item)
{
    return item && item->parent() ? item->parent() : item;
}

} // namespace

InboxPane::InboxPane(CTenorelDoc* document, QWidget* parent)
    : QWidget(parent), m_doc(document), m_inbox(Inbox::For(document))
{
    setObjectName(QStringLiteral("inboxPane"));
    auto* title = new QLabel(Tx(kTitle), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    m_lines = new QLabel(this);
    m_lines->setObjectName(QStringLiteral("inboxLines"));
    m_lines->setWordWrap(true);
    m_lines->setTextFormat(Qt::PlainText);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("inboxList"));
    m_list->setHeaderHidden(true);
    m_list->setColumnCount(1);
    m_list->setRootIsDecorated(false);
    m_list->setWordWrap(true);
    m_list->installEventFilter(this);
    m_move = new QCheckBox(Tx(kMoveCheck), this);
    m_move->setChecked(Inbox::MovesIntoSubjectFolder());
    m_newSubject = new QPushButton(Tx(kNewSubjectButton), this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(title);
    layout->addWidget(m_status);
    layout->addWidget(m_lines);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_move);
    layout->addWidget(m_newSubject);

    connect(m_move, &QCheckBox::toggled, this, [](bool on) { Inbox::SetMovesIntoSubjectFolder(on); });
    connect(m_newSubject, &QPushButton::clicked, this, [this] { FileSelectedInNewSubject(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { Activate(item); });
    if (m_inbox)
        connect(m_inbox, &Inbox::changed, this, [this] { Fill(); });
    Fill();
}

void InboxPane::Fill()
{
    if (!m_inbox) {
        hide();
        return;
    }
    const bool shown = !m_inbox->Folders().isEmpty();
    const bool appearing = shown && isHidden();
    setVisible(shown);
    if (appearing)
        QTimer::singleShot(0, this, [this] { TakeWidth(); });
    m_move->setChecked(Inbox::MovesIntoSubjectFolder());
    const QStringList lines = m_inbox->Lines();
    m_lines->setText(lines.join(QLatin1Char('\n')));
    m_lines->setVisible(!lines.isEmpty());

    // The same answer again (a network folder looked at) leaves the rows,
    // their scrolling and the selection alone.
    QStringList shownNow;
    for (const InboxEntry& entry : m_inbox->Entries()) {
        shownNow << entry.path << entry.problem << entry.note << QString::number(entry.newSubject);
        for (const InboxSuggestion& s : entry.suggestions)
            shownNow << s.label << QString::number(s.score) << s.reason;
    }
    const QString signature = shownNow.join(QChar(0));
    if (signature != m_shown || m_list->topLevelItemCount() != static_cast<int>(m_inbox->Entries().size())) {
        m_shown = signature;
        FillRows();
    }
    const std::size_t count = m_inbox->Entries().size();
    m_status->setText(m_inbox->Waiting() ? Tx(kLooking) : count == 0 ? Tx(kNone) : Tx(kCount).arg(count));
    m_newSubject->setEnabled(count > 0);
}

void InboxPane::FillRows()
{
    // The selection stays on its file, or on the row that took its place.
    const QString selected = SelectedPath();
    const int selectedRow = m_list->indexOfTopLevelItem(FileItem(m_list->currentItem()));
    m_list->clear();
    QTreeWidgetItem* reselect = nullptr;
    for (const InboxEntry& entry : m_inbox->Entries()) {
        const QString name = QFileInfo(entry.path).fileName();
        auto* item = new QTreeWidgetItem(m_list);
        item->setData(0, kPathRole, entry.path);
        item->setData(0, kChoiceRole, kFileRow);
        item->setText(0, entry.readable ? name : Tx(kUnreadable).arg(name, entry.problem));
        const QDateTime modified = QDateTime::fromMSecsSinceEpoch(entry.modifiedNs / 1000000);
        item->setToolTip(0, entry.path + QLatin1Char('\n') + QLocale().toString(modified, QLocale::ShortFormat));
        QFont font = item->font(0);
        font.setBold(true);
        item->setFont(0, font);
        if (entry.newSubject && entry.readable) {
            auto* row = new QTreeWidgetItem(item);
            row->setText(0, Tx(kNewSubjectRow));
            row->setData(0, kPathRole, entry.path);
            row->setData(0, kChoiceRole, kNewSubjectChoice);
        }
        for (std::size_t i = 0; i < entry.suggestions.size(); ++i) {
            const InboxSuggestion& s = entry.suggestions[i];
            auto* row = new QTreeWidgetItem(item);
            row->setText(0, Tx(kSuggestion)
                                .arg(i + 1)
                                .arg(s.label)
                                .arg(static_cast<int>(std::lround(s.score * 100)))
                                .arg(s.reason));
            row->setToolTip(0, s.reason);
            row->setData(0, kPathRole, entry.path);
            row->setData(0, kChoiceRole, static_cast<int>(i));
        }
        if (!entry.note.isEmpty()) {
            auto* row = new QTreeWidgetItem(item);
            row->setText(0, entry.note);
            row->setData(0, kPathRole, entry.path);
            row->setData(0, kChoiceRole, kFileRow);
        }
        item->setExpanded(true);
        if (entry.path == selected)
            reselect = item;
    }
    if (!reselect && m_list->topLevelItemCount() > 0)
        reselect = m_list->topLevelItem(std::clamp(selectedRow, 0, m_list->topLevelItemCount() - 1));
    if (reselect)
        m_list->setCurrentItem(reselect);
}

void InboxPane::TakeWidth()
{
    // Shown beside the tree, it takes its width from the panes on its right.
    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    const int at = splitter ? splitter->indexOf(this) : -1;
    if (at < 0 || at + 1 >= splitter->count())
        return;
    QList<int> sizes = splitter->sizes();
    if (sizes[at] >= kPreferredWidth)
        return;
    const int wanted = std::min(kPreferredWidth - sizes[at], std::max(0, sizes[at + 1] - 200));
    sizes[at] += wanted;
    sizes[at + 1] -= wanted;
    splitter->setSizes(sizes);
}

QString InboxPane::SelectedPath() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->data(0, kPathRole).toString() : QString();
}

bool InboxPane::FileSelected(int n)
{
    const QString path = SelectedPath();
    if (!m_inbox || path.isEmpty())
        return false;
    for (const InboxEntry& entry : m_inbox->Entries()) {
        if (entry.path != path)
            continue;
        if (n < 0 || static_cast<std::size_t>(n) >= entry.suggestions.size())
            return false;
        const InboxSuggestion choice = entry.suggestions[static_cast<std::size_t>(n)];
        return m_inbox->File(path, choice.record, window());
    }
    return false;
}

bool InboxPane::FileSelectedInNewSubject()
{
    const QString path = SelectedPath();
    if (!m_inbox || !m_doc || path.isEmpty() || m_doc->RefuseReadOnlyEdit())
        return false;
    QString generalTitle;
    for (const InboxEntry& entry : m_inbox->Entries())
        if (entry.path == path && !entry.suggestions.empty())
            generalTitle = entry.suggestions.front().generalTitle;
    CNewSubjectDlg dlg(CTenorelDoc::DialogParent(), m_doc->GeneralTitles());
    if (auto* edit = qobject_cast<QLineEdit*>(dlg.Control(IDC_GENERAL_TITLE)))
        edit->setText(generalTitle);
    if (DialogRunner::Exec(dlg) != QDialog::Accepted || !m_doc)
        return false;
    CTenorels* subject = m_doc->AppendSubject(std::make_unique<CTenorels>(
        dlg.GetGeneralTitle().toStdString(), dlg.GetSubjectName().toStdString(), CTenorels::kOpen));
    m_doc->SetModifiedFlag(true);
    // Shown as the new-subject command shows it: selected in the first tree,
    // listed in the others.
    for (std::size_t i = 0; i < m_doc->GetViewCount(); ++i) {
        auto* tree = dynamic_cast<CTenorelView*>(m_doc->GetView(i));
        if (!tree)
            continue;
        if (tree == m_doc->GetTreeView())
            tree->AddSubjectToTree(subject, true);
        else if (!tree->m_bSearchMode)
            tree->AddSubjectToTree(subject, false);
    }
    return m_inbox->File(path, subject, window());
}

void InboxPane::Activate(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_list->setCurrentItem(item);
    const int choice = item->data(0, kChoiceRole).toInt();
    if (choice == kNewSubjectChoice) {
        FileSelectedInNewSubject();
        return;
    }
    if (choice != kFileRow) {
        FileSelected(choice);
        return;
    }
    const QString path = SelectedPath();
    for (const InboxEntry& entry : m_inbox->Entries()) {
        if (entry.path != path)
            continue;
        // Nothing likely enough: a new subject comes first.
        if (entry.newSubject || entry.suggestions.empty())
            FileSelectedInNewSubject();
        else
            FileSelected(0);
        return;
    }
}

bool InboxPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return QWidget::eventFilter(watched, event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Activate(m_list->currentItem());
            return true;
        case Qt::Key_1:
        case Qt::Key_2:
        case Qt::Key_3:
            FileSelected(key->key() - Qt::Key_1);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tavelo::gui
