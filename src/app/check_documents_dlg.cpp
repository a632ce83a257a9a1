#include "app/check_documents_dlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <mutex>
#include <thread>

#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "book/tenorels.h"

namespace tavelo::gui {

namespace {

constexpr const char* kRunning = QT_TRANSLATE_NOOP("Tavelo", "Vérification de %1 documents…");
constexpr const char* kAllGood = QT_TRANSLATE_NOOP("Tavelo", "Les %1 documents du livre sont présents et lisibles.");
constexpr const char* kFoundOne = QT_TRANSLATE_NOOP("Tavelo", "1 document absent ou illisible sur %1.");
constexpr const char* kFoundMany = QT_TRANSLATE_NOOP("Tavelo", "%1 documents absents ou illisibles sur %2.");
constexpr const char* kStopped = QT_TRANSLATE_NOOP("Tavelo", "Vérification arrêtée après %1 documents sur %2 ; absents ou illisibles : %3.");
constexpr const char* kStop = QT_TRANSLATE_NOOP("Tavelo", "Arrêter");
constexpr const char* kClose = QT_TRANSLATE_NOOP("Tavelo", "Fermer");
const char* const kColumns[] = {QT_TRANSLATE_NOOP("Tavelo", "Sujet"), QT_TRANSLATE_NOOP("Tavelo", "Document"),
                                QT_TRANSLATE_NOOP("Tavelo", "Raison")};
constexpr int kSubjectRole = Qt::UserRole + 1;
constexpr int kIndexRole = Qt::UserRole + 2;

std::mutex g_proberMutex;
DocumentProber g_prober;

} // namespace

void CCheckDocumentsDlg::SetProber(DocumentProber prober)
{
    std::lock_guard lock(g_proberMutex);
    g_prober = std::move(prober);
}

CCheckDocumentsDlg::CCheckDocumentsDlg(CTenorelDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(&doc), m_mailbox(this), m_cancel(std::make_shared<std::atomic<bool>>(false))
{
    setObjectName(QStringLiteral("checkDocuments"));
    setWindowTitle(Tx(kCheckTitle) + QStringLiteral(" - ") + doc.GetTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    m_summary = new QLabel(this);
    m_results = new QTreeWidget(this);
    m_results->setColumnCount(3);
    QStringList headers;
    for (const char* h : kColumns)
        headers << Tx(h);
    m_results->setHeaderLabels(headers);
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->header()->resizeSection(0, 220);
    m_results->header()->resizeSection(1, 380);
    m_bar = new QProgressBar(this);
    auto* buttons = new QDialogButtonBox(this);
    m_button = buttons->addButton(Tx(kStop), QDialogButtonBox::RejectRole);
    connect(m_button, &QPushButton::clicked, this, [this] { OnButton(); });
    connect(m_results, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (onChosen)
            onChosen(reinterpret_cast<const CTenorels*>(item->data(0, kSubjectRole).value<quintptr>()),
                     item->data(0, kIndexRole).toInt(), item->text(1).toStdString());
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_results, 1);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
    resize(860, 420);
    Start();
}

CCheckDocumentsDlg::~CCheckDocumentsDlg()
{
    m_cancel->store(true);
    m_mailbox.Close();
}

void CCheckDocumentsDlg::Start()
{
    // The paths are copied out: the thread never touches the book, which
    // may change meanwhile.
    std::vector<DocumentRef> documents = ListDocuments(*m_doc);
    for (const auto& subject : m_doc->Subjects())
        m_labels.insert(subject.get(), ToQ(subject->GetGeneralTitle()) + QStringLiteral(" ▸ ") + ToQ(subject->GetSubjectName()));
    m_total = documents.size();
    m_bar->setRange(0, static_cast<int>(std::max<std::size_t>(m_total, 1)));
    m_bar->setValue(0);
    m_summary->setText(Tx(kRunning).arg(m_total));
    m_running = true;

    DocumentProber prober;
    {
        std::lock_guard lock(g_proberMutex);
        prober = g_prober;
    }
    const WindowMailbox mailbox = m_mailbox;
    const std::shared_ptr<std::atomic<bool>> cancel = m_cancel;
    // Detached: a check stuck on a folder that never answers must not hold
    // the window's closing; what it finds after that goes nowhere.
    std::thread([this, documents = std::move(documents), prober, mailbox, cancel] {
        const std::size_t step = std::max<std::size_t>(1, documents.size() / 200);
        CheckControl control;
        control.cancel = cancel.get();
        control.prober = prober;
        control.progress = [&](std::size_t done) {
            if (done % step == 0 || done == documents.size())
                mailbox.Post([this, done] { OnProgress(done); });
        };
        control.found = [&](const MissingDocument& m) { mailbox.Post([this, m] { OnFound(m); }); };
        CheckDocuments(documents, control);
        const bool cancelled = cancel->load();
        mailbox.Post([this, cancelled] { OnFinished(cancelled); });
    }).detach();
}

void CCheckDocumentsDlg::OnFound(const MissingDocument& missing)
{
    if (!m_running)
        return;
    auto* item = new QTreeWidgetItem(m_results);
    item->setText(0, m_labels.value(missing.subject));
    item->setText(1, ToQ(missing.path));
    item->setText(2, ToQ(DescribeProbe(missing.probe)));
    item->setToolTip(1, item->text(1));
    item->setData(0, kSubjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(missing.subject)));
    item->setData(0, kIndexRole, missing.index);
}

void CCheckDocumentsDlg::OnProgress(std::size_t done)
{
    if (!m_running)
        return;
    m_done = done;
    m_bar->setValue(static_cast<int>(done));
}

void CCheckDocumentsDlg::OnFinished(bool cancelled)
{
    if (!m_running)
        return;
    m_running = false;
    m_button->setText(Tx(kClose));
    const int found = m_results->topLevelItemCount();
    if (cancelled)
        m_summary->setText(Tx(kStopped).arg(m_done).arg(m_total).arg(found));
    else if (found == 0)
        m_summary->setText(Tx(kAllGood).arg(m_total));
    else if (found == 1)
        m_summary->setText(Tx(kFoundOne).arg(m_total));
    else
        m_summary->setText(Tx(kFoundMany).arg(found).arg(m_total));
    if (!cancelled)
        m_bar->setValue(m_bar->maximum());
}

void CCheckDocumentsDlg::OnButton()
{
    if (m_running) {
        // Stopped at once, even while a folder keeps the check waiting.
        m_cancel->store(true);
        OnFinished(true);
        return;
    }
    close();
}

} // namespace tavelo::gui
