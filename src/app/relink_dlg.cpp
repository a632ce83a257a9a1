#include "app/relink_dlg.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <thread>

#include "app/resources.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "book/tenorels.h"
#include "views/window_mailbox.h"

namespace tavelo::gui {

namespace {

constexpr const char* kChecking = QT_TRANSLATE_NOOP("Tavelo", "Vérification des documents du livre : %1 sur %2");
constexpr const char* kWalking = QT_TRANSLATE_NOOP("Tavelo", "Parcours de « %1 » : %2 fichiers dans %3 dossiers");
constexpr const char* kStop = QT_TRANSLATE_NOOP("Tavelo", "Arrêter");
constexpr const char* kFoundSummary = QT_TRANSLATE_NOOP("Tavelo", "Documents absents retrouvés dans « %1 » : %2 sur %3. "
                                                        "Cochez ceux à faire pointer vers le fichier retrouvé.");
constexpr const char* kNotFoundOne = QT_TRANSLATE_NOOP("Tavelo", "1 document absent n'a pas été retrouvé.");
constexpr const char* kNotFoundMany = QT_TRANSLATE_NOOP("Tavelo", "%1 documents absents n'ont pas été retrouvés.");
constexpr const char* kUnreadableOne = QT_TRANSLATE_NOOP("Tavelo", "1 dossier n'a pas pu être lu.");
constexpr const char* kUnreadableMany = QT_TRANSLATE_NOOP("Tavelo", "%1 dossiers n'ont pas pu être lus.");
constexpr const char* kCheckAll = QT_TRANSLATE_NOOP("Tavelo", "Tout cocher");
constexpr const char* kCheckNone = QT_TRANSLATE_NOOP("Tavelo", "Tout décocher");
const char* const kColumns[] = {QT_TRANSLATE_NOOP("Tavelo", "Document absent"), QT_TRANSLATE_NOOP("Tavelo", "Fichier retrouvé"),
                                QT_TRANSLATE_NOOP("Tavelo", "Correspondance")};
constexpr int kProposalRole = Qt::UserRole + 1;
constexpr int kCandidateRole = Qt::UserRole + 2;

QString DescribeMatch(MatchKind kind)
{
    switch (kind) {
    case MatchKind::kSameNameAndSize:
        return Tx(QT_TRANSLATE_NOOP("Tavelo", "même nom et même taille"));
    case MatchKind::kSameContent:
        return Tx(QT_TRANSLATE_NOOP("Tavelo", "même contenu"));
    case MatchKind::kSameName:
        return Tx(QT_TRANSLATE_NOOP("Tavelo", "même nom"));
    case MatchKind::kSameNameOtherSize:
        return Tx(QT_TRANSLATE_NOOP("Tavelo", "même nom, autre taille"));
    }
    return {};
}

} // namespace

std::optional<RelinkScan> RunRelinkSearch(CTenorelDoc& doc, const QString& folder, const RelinkSources& sources,
                                          QWidget* parent)
{
    QDialog progress(parent);
    progress.setObjectName(QStringLiteral("relinkProgress"));
    progress.setWindowTitle(Tx(kRelinkTitle));
    progress.setWindowModality(Qt::ApplicationModal);
    auto* line = new QLabel(&progress);
    auto* bar = new QProgressBar(&progress);
    auto* buttons = new QDialogButtonBox(&progress);
    QPushButton* stop = buttons->addButton(Tx(kStop), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(&progress);
    layout->addWidget(line);
    layout->addWidget(bar);
    layout->addWidget(buttons);
    progress.resize(520, progress.sizeHint().height());

    std::vector<DocumentRef> documents = ListDocuments(doc);
    const std::size_t total = documents.size();
    bar->setRange(0, static_cast<int>(std::max<std::size_t>(total, 1)));
    line->setText(Tx(kChecking).arg(0).arg(total));

    std::optional<RelinkScan> result;
    QEventLoop loop;
    const WindowMailbox mailbox(&progress);
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    // Stopping does not wait for the thread, which may be held by a folder
    // that does not answer; what it finds then goes nowhere.
    QObject::connect(stop, &QPushButton::clicked, &progress, [&] {
        cancel->store(true);
        loop.quit();
    });
    QObject::connect(&progress, &QDialog::rejected, &progress, [&] {
        cancel->store(true);
        loop.quit();
    });
    std::thread([documents = std::move(documents), folder = folder.toStdString(), sources, mailbox, cancel, total,
                 &result, &loop, line, bar] {
        const std::size_t step = std::max<std::size_t>(1, total / 200);
        CheckControl check;
        check.cancel = cancel.get();
        check.progress = [&](std::size_t done) {
            if (done % step == 0 || done == total)
                mailbox.Post([line, bar, done, total] {
                    bar->setValue(static_cast<int>(done));
                    line->setText(Tx(kChecking).arg(done).arg(total));
                });
        };
        const std::vector<MissingDocument> missing = CheckDocuments(documents, check);
        RelinkScan scan;
        if (!missing.empty() && !cancel->load()) {
            mailbox.Post([bar] { bar->setRange(0, 0); });
            RelinkControl walk;
            walk.cancel = cancel.get();
            const QString shownFolder = QString::fromStdString(folder);
            walk.progress = [&](const ScanProgress& p) {
                mailbox.Post([line, shownFolder, p] {
                    line->setText(Tx(kWalking).arg(shownFolder).arg(p.files).arg(p.folders));
                });
            };
            scan = FindMovedDocuments(missing, folder, sources, walk);
        }
        scan.cancelled = scan.cancelled || cancel->load();
        mailbox.Post([&result, &loop, scan = std::move(scan)]() mutable {
            if (!scan.cancelled)
                result = std::move(scan);
            loop.quit();
        });
    }).detach();

    progress.show();
    loop.exec();
    mailbox.Close();
    return result;
}

CRelinkDlg::CRelinkDlg(const RelinkScan& scan, const QString& folder, QWidget* parent)
    : QDialog(parent), m_proposals(scan.proposals)
{
    setObjectName(QStringLiteral("relinkDocuments"));
    setWindowTitle(Tx(kRelinkTitle));
    const std::size_t missing = scan.proposals.size() + scan.notFound.size();
    QString summary = Tx(kFoundSummary).arg(folder).arg(scan.proposals.size()).arg(missing);
    const auto line = [&summary](std::size_t n, const char* one, const char* many) {
        if (n > 0)
            summary += QLatin1Char('\n') + (n == 1 ? Tx(one) : Tx(many).arg(n));
    };
    line(scan.notFound.size(), kNotFoundOne, kNotFoundMany);
    line(scan.scan.unreadableFolders.size(), kUnreadableOne, kUnreadableMany);
    m_summary = new QLabel(summary, this);
    m_summary->setWordWrap(true);

    m_list = new QTreeWidget(this);
    QStringList headers;
    for (const char* h : kColumns)
        headers << Tx(h);
    m_list->setHeaderLabels(headers);
    m_list->header()->resizeSection(0, 300);
    m_list->header()->resizeSection(1, 380);
    for (std::size_t p = 0; p < m_proposals.size(); ++p) {
        const RelinkProposal& proposal = m_proposals[p];
        auto* document = new QTreeWidgetItem(m_list);
        const CTenorels* subject = proposal.document.subject;
        document->setText(0, ToQ(proposal.document.path));
        document->setToolTip(0, ToQ(subject->GetGeneralTitle()) + QStringLiteral(" ▸ ") + ToQ(subject->GetSubjectName()) +
                                    QLatin1Char('\n') + ToQ(proposal.document.path));
        document->setFlags(Qt::ItemIsEnabled);
        for (std::size_t c = 0; c < proposal.candidates.size(); ++c) {
            const RelinkCandidate& candidate = proposal.candidates[c];
            auto* file = new QTreeWidgetItem(document);
            file->setText(1, ToQ(candidate.path));
            file->setToolTip(1, file->text(1));
            file->setText(2, DescribeMatch(candidate.kind));
            file->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            file->setCheckState(1, static_cast<int>(c) == proposal.chosen ? Qt::Checked : Qt::Unchecked);
            file->setData(0, kProposalRole, static_cast<qulonglong>(p));
            file->setData(0, kCandidateRole, static_cast<qulonglong>(c));
        }
    }
    m_list->expandAll();
    connect(m_list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) { OnItemChanged(item); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(Tx(text::kCancelDialogButton));
    QPushButton* all = buttons->addButton(Tx(kCheckAll), QDialogButtonBox::ActionRole);
    QPushButton* none = buttons->addButton(Tx(kCheckNone), QDialogButtonBox::ActionRole);
    all->setObjectName(QStringLiteral("checkAll"));
    none->setObjectName(QStringLiteral("checkNone"));
    connect(all, &QPushButton::clicked, this, [this] { CheckAll(); });
    connect(none, &QPushButton::clicked, this, [this] { CheckNone(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(900, 480);
}

void CRelinkDlg::OnItemChanged(QTreeWidgetItem* item)
{
    if (m_updating || !item->parent() || item->checkState(1) != Qt::Checked)
        return;
    // One file per document.
    m_updating = true;
    QTreeWidgetItem* document = item->parent();
    for (int i = 0; i < document->childCount(); ++i) {
        if (document->child(i) != item)
            document->child(i)->setCheckState(1, Qt::Unchecked);
    }
    m_updating = false;
}

void CRelinkDlg::CheckAll()
{
    for (int d = 0; d < m_list->topLevelItemCount(); ++d) {
        QTreeWidgetItem* document = m_list->topLevelItem(d);
        bool any = false;
        for (int i = 0; i < document->childCount(); ++i)
            any = any || document->child(i)->checkState(1) == Qt::Checked;
        if (any || document->childCount() == 0)
            continue;
        const RelinkProposal& proposal = m_proposals[document->child(0)->data(0, kProposalRole).toULongLong()];
        int pick = proposal.chosen;
        if (pick < 0 && proposal.candidates.size() == 1 && proposal.candidates[0].kind != MatchKind::kSameNameOtherSize)
            pick = 0;
        if (pick >= 0)
            document->child(pick)->setCheckState(1, Qt::Checked);
    }
}

void CRelinkDlg::CheckNone()
{
    for (int d = 0; d < m_list->topLevelItemCount(); ++d) {
        QTreeWidgetItem* document = m_list->topLevelItem(d);
        for (int i = 0; i < document->childCount(); ++i)
            document->child(i)->setCheckState(1, Qt::Unchecked);
    }
}

std::vector<Relink> CRelinkDlg::Confirmed() const
{
    std::vector<Relink> relinks;
    for (int d = 0; d < m_list->topLevelItemCount(); ++d) {
        QTreeWidgetItem* document = m_list->topLevelItem(d);
        for (int i = 0; i < document->childCount(); ++i) {
            QTreeWidgetItem* file = document->child(i);
            if (file->checkState(1) != Qt::Checked)
                continue;
            const RelinkProposal& p = m_proposals[file->data(0, kProposalRole).toULongLong()];
            const RelinkCandidate& c = p.candidates[file->data(0, kCandidateRole).toULongLong()];
            relinks.push_back({p.document.subject, p.document.index, p.document.path, c.path});
        }
    }
    return relinks;
}

} // namespace tavelo::gui
