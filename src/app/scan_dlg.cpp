#include "app/scan_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <ctime>

#include "app/command_host.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/tenorels.h"
#include "scan/scan_run.h"
#include "views/inbox.h"
#include "views/inbox_files.h"

namespace tavelo::gui {

namespace {

const char* const kTitle = QT_TRANSLATE_NOOP("Tavelo", "Numériser");
const char* const kDevice = QT_TRANSLATE_NOOP("Tavelo", "Scanner :");
const char* const kSource = QT_TRANSLATE_NOOP("Tavelo", "Source :");
const char* const kResolution = QT_TRANSLATE_NOOP("Tavelo", "Résolution :");
const char* const kMode = QT_TRANSLATE_NOOP("Tavelo", "Couleurs :");
const char* const kDpi = QT_TRANSLATE_NOOP("Tavelo", "%1 ppp");
const char* const kDropBlank = QT_TRANSLATE_NOOP("Tavelo", "Supprimer les pages blanches");
const char* const kToInbox = QT_TRANSLATE_NOOP("Tavelo", "Enregistrer dans la boîte de réception");
const char* const kToSubject = QT_TRANSLATE_NOOP("Tavelo", "Ranger dans le sujet sélectionné");
const char* const kScanButton = QT_TRANSLATE_NOOP("Tavelo", "&Numériser");
const char* const kStopButton = QT_TRANSLATE_NOOP("Tavelo", "&Arrêter");
const char* const kCloseButton = QT_TRANSLATE_NOOP("Tavelo", "&Fermer");
const char* const kLooking = QT_TRANSLATE_NOOP("Tavelo", "Recherche des scanners…");
const char* const kNoDevice = QT_TRANSLATE_NOOP("Tavelo", "Aucun scanner n'a été trouvé.");
const char* const kOpening = QT_TRANSLATE_NOOP("Tavelo", "Ouverture du scanner…");
const char* const kDeviceDefault = QT_TRANSLATE_NOOP("Tavelo", "(celui du scanner)");
const char* const kReading = QT_TRANSLATE_NOOP("Tavelo", "Page %1 : lecture…");
const char* const kReadingPercent = QT_TRANSLATE_NOOP("Tavelo", "Page %1 : lecture… %2 %");
const char* const kRecognising = QT_TRANSLATE_NOOP("Tavelo", "Page %1 : reconnaissance du texte…");
const char* const kPageDone = QT_TRANSLATE_NOOP("Tavelo", "Page %1 faite : %2 gardée(s), %3 blanche(s) retirée(s)");
const char* const kStopping = QT_TRANSLATE_NOOP("Tavelo", "Arrêt demandé…");
const char* const kWritten = QT_TRANSLATE_NOOP("Tavelo", "%1 page(s) enregistrée(s) dans « %2 »");
const char* const kWrittenBlank =
    QT_TRANSLATE_NOOP("Tavelo", "%1 page(s) enregistrée(s) dans « %2 », %3 page(s) blanche(s) retirée(s)");
const char* const kFiledUnder = QT_TRANSLATE_NOOP("Tavelo", "Rangé sous %1.");
const char* const kNothing = QT_TRANSLATE_NOOP("Tavelo", "Aucune page n'a été numérisée.");
const char* const kChooseFolder = QT_TRANSLATE_NOOP("Tavelo", "Dossier où enregistrer la numérisation");
const char* const kLeftReadOnly =
    QT_TRANSLATE_NOOP("Tavelo", "Le livre est en lecture seule : la numérisation est restée dans « %1 » sans être rangée.");
const char* const kInboxFolder = QT_TRANSLATE_NOOP("Tavelo", "Dossier de la boîte de réception");
const char* const kSubjectLeft =
    QT_TRANSLATE_NOOP("Tavelo", "Le sujet n'est plus dans le livre : la numérisation est restée dans « %1 ».");

QString Q(const std::string& s)
{
    return ToQ(s);
}

} // namespace

CScanDlg::CScanDlg(CTenorelDoc* doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("scanDlg"));
    setWindowTitle(Tx(kTitle));
    setModal(true);
    m_devices = new QComboBox(this);
    m_sources = new QComboBox(this);
    m_resolutions = new QComboBox(this);
    m_modes = new QComboBox(this);
    m_dropBlank = new QCheckBox(Tx(kDropBlank), this);
    m_dropBlank->setChecked(true);
    m_toInbox = new QRadioButton(Tx(kToInbox), this);
    m_toSubject = new QRadioButton(Tx(kToSubject), this);
    m_toInbox->setChecked(true);
    m_toSubject->setEnabled(doc && doc->GetCurrentSubject() != nullptr);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("scanProgress"));
    m_report = new QLabel(this);
    m_report->setObjectName(QStringLiteral("scanReport"));
    m_report->setWordWrap(true);
    m_report->setTextFormat(Qt::PlainText);

    auto* form = new QFormLayout;
    form->addRow(Tx(kDevice), m_devices);
    form->addRow(Tx(kSource), m_sources);
    form->addRow(Tx(kResolution), m_resolutions);
    form->addRow(Tx(kMode), m_modes);
    auto* buttons = new QDialogButtonBox(this);
    m_scan = buttons->addButton(Tx(kScanButton), QDialogButtonBox::ActionRole);
    m_stop = buttons->addButton(Tx(kStopButton), QDialogButtonBox::ActionRole);
    m_close = buttons->addButton(Tx(kCloseButton), QDialogButtonBox::RejectRole);
    m_scan->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_dropBlank);
    layout->addWidget(m_toInbox);
    layout->addWidget(m_toSubject);
    layout->addWidget(m_progress);
    layout->addWidget(m_report);
    layout->addWidget(buttons);
    setMinimumWidth(460);

    connect(m_scan, &QPushButton::clicked, this, [this] { StartScan(); });
    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_cancel = true;
        m_progress->setText(Tx(kStopping));
    });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_devices, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            OpenDevice(m_devices->itemData(index).toString());
    });

    m_worker = std::thread([this] { WorkerLoop(); });
    ListDevices();
    UpdateButtons();
}

CScanDlg::~CScanDlg()
{
    m_cancel = true;
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void CScanDlg::reject()
{
    // Closing stops a run; the window closes once the pages already scanned
    // are written (and filed).
    if (m_scanning) {
        m_cancel = true;
        m_closeWhenDone = true;
        m_progress->setText(Tx(kStopping));
        return;
    }
    QDialog::reject();
}

void CScanDlg::Post(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_all();
}

void CScanDlg::WorkerLoop()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_tasks.empty(); });
            if (m_quit)
                break;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
    // The device goes before SANE, both on this thread.
    m_device.reset();
    m_library.reset();
}

void CScanDlg::ListDevices()
{
    m_progress->setText(Tx(kLooking));
    Post([this] {
        m_library = std::make_unique<scan::ScannerLibrary>();
        std::vector<scan::DeviceInfo> devices;
        std::string reason;
        const bool listed = m_library->Started() ? m_library->Devices(devices, reason) : false;
        if (!m_library->Started())
            reason = m_library->Failure();
        QMetaObject::invokeMethod(this, [this, listed, devices, reason] {
            m_progress->clear();
            if (!listed) {
                m_report->setText(Q(reason));
                return;
            }
            if (devices.empty()) {
                m_report->setText(Tx(kNoDevice));
                return;
            }
            const QSignalBlocker blocker(m_devices);
            for (const scan::DeviceInfo& d : devices) {
                const QString label = Q(d.vendor + " " + d.model).trimmed();
                m_devices->addItem(label.isEmpty() ? Q(d.name) : label + QStringLiteral(" (") + Q(d.name) + QLatin1Char(')'),
                                   Q(d.name));
            }
            m_devices->setCurrentIndex(0);
            OpenDevice(m_devices->itemData(0).toString());
        }, Qt::QueuedConnection);
    });
}

void CScanDlg::OpenDevice(const QString& name)
{
    m_ready = false;
    m_progress->setText(Tx(kOpening));
    m_report->clear();
    UpdateButtons();
    const std::string device = name.toStdString();
    Post([this, device] {
        m_device.reset();
        std::string reason;
        m_device = m_library ? m_library->Open(device, reason) : nullptr;
        scan::DeviceChoices choices;
        if (m_device)
            choices = m_device->Choices();
        const bool opened = m_device != nullptr;
        QMetaObject::invokeMethod(this, [this, opened, choices, reason] {
            m_progress->clear();
            if (!opened) {
                m_report->setText(Q(reason));
                return;
            }
            ShowChoices(choices);
        }, Qt::QueuedConnection);
    });
}

void CScanDlg::ShowChoices(const scan::DeviceChoices& choices)
{
    const auto fill = [this](QComboBox* box, const std::vector<std::string>& items, const std::string& current) {
        box->clear();
        for (const std::string& item : items)
            box->addItem(Q(item), Q(item));
        if (items.empty())
            box->addItem(Tx(kDeviceDefault), QString());
        const int at = box->findData(Q(current));
        box->setCurrentIndex(at >= 0 ? at : 0);
        box->setEnabled(items.size() > 1);
    };
    fill(m_sources, choices.sources, choices.source);
    fill(m_modes, choices.modes, choices.mode);
    m_resolutions->clear();
    for (int dpi : choices.resolutions)
        m_resolutions->addItem(Tx(kDpi).arg(dpi), dpi);
    if (choices.resolutions.empty())
        m_resolutions->addItem(Tx(kDeviceDefault), 0);
    const int at = m_resolutions->findData(choices.resolution);
    m_resolutions->setCurrentIndex(at >= 0 ? at : 0);
    m_resolutions->setEnabled(choices.resolutions.size() > 1);
    m_ready = true;
    UpdateButtons();
}

void CScanDlg::UpdateButtons()
{
    m_scan->setEnabled(m_ready && !m_scanning);
    m_stop->setEnabled(m_scanning);
    m_devices->setEnabled(!m_scanning && m_devices->count() > 1);
}

void CScanDlg::StartScan()
{
    if (!m_ready || m_scanning || !m_doc)
        return;
    Inbox* inbox = Inbox::For(m_doc);
    CTenorels* subject = nullptr;
    QString folder;
    if (m_toSubject->isChecked()) {
        subject = m_doc->GetCurrentSubject();
        if (!subject || m_doc->RefuseReadOnlyEdit())
            return;
        folder = Q(SubjectFolder(*subject));
    }
    if (folder.isEmpty() && !inbox->Folders().isEmpty())
        folder = inbox->Folders().front();
    if (folder.isEmpty()) {
        // A book without an inbox gets the folder chosen as its inbox, so
        // that the scan is listed there; a book never saved only saves it.
        const bool keep = !subject && !m_doc->GetPathName().isEmpty();
        folder = FileDialog::GetExistingDirectory(this, Tx(keep ? kInboxFolder : kChooseFolder), QDir::homePath());
        if (folder.isEmpty())
            return;
        if (keep)
            inbox->SetFolders({folder});
    }
    const std::string pdf = ScanFileName(folder.toStdString(), std::time(nullptr));
    if (pdf.empty())
        return;

    scan::ScanSettings settings;
    settings.source = m_sources->currentData().toString().toStdString();
    settings.mode = m_modes->currentData().toString().toStdString();
    settings.resolution = m_resolutions->currentData().toInt();
    scan::ScanJob job;
    job.pdfPath = pdf;
    job.dropBlank = m_dropBlank->isChecked();
    m_cancel = false;
    m_scanning = true;
    m_written.clear();
    m_report->clear();
    m_progress->setText(Tx(kReading).arg(1));
    UpdateButtons();
    CTenorels* target = subject;
    Post([this, settings, job, target] {
        std::string refused;
        scan::ScanReport report;
        if (!m_device || !m_device->Apply(settings, refused)) {
            report.end = scan::ScanEnd::kFailed;
        } else {
            report = scan::ScanToPdf(*m_device, job, m_cancel, [this](const scan::ScanProgress& p) {
                QString line;
                switch (p.stage) {
                case scan::ScanProgress::Stage::kReading:
                    line = p.fraction > 0 ? Tx(kReadingPercent).arg(p.image).arg(static_cast<int>(std::lround(p.fraction * 100)))
                                          : Tx(kReading).arg(p.image);
                    break;
                case scan::ScanProgress::Stage::kRecognising:
                    line = Tx(kRecognising).arg(p.image);
                    break;
                case scan::ScanProgress::Stage::kPageDone:
                    line = Tx(kPageDone).arg(p.image).arg(p.kept).arg(p.blank);
                    break;
                }
                QMetaObject::invokeMethod(this, [this, line] {
                    if (!m_cancel)
                        m_progress->setText(line);
                }, Qt::QueuedConnection);
            });
        }
        const QString path = Q(job.pdfPath);
        const QString why = Q(refused);
        QMetaObject::invokeMethod(this, [this, path, report, why, target] {
            Finished(path, report, why);
            if (m_closeWhenDone)
                QMetaObject::invokeMethod(this, [this] { QDialog::reject(); }, Qt::QueuedConnection);
            if (!report.written || !m_doc)
                return;
            Inbox* inbox = Inbox::For(m_doc);
            if (!target) {
                inbox->Refresh();
                return;
            }
            if (!inbox->Holds(target)) {
                m_report->setText(m_report->text() + QLatin1Char('\n') + Tx(kSubjectLeft).arg(path));
                return;
            }
            // The book may have become read-only meanwhile.
            if (m_doc->RefuseReadOnlyEdit()) {
                m_report->setText(m_report->text() + QLatin1Char('\n') + Tx(kLeftReadOnly).arg(path));
                return;
            }
            target->AddDocumentPath(path.toStdString());
            if (m_doc->GetCurrentSubject() == target)
                m_doc->RefreshDocumentList();
            m_doc->SetModifiedFlag(true);
            inbox->Filed(target, path);
            m_report->setText(m_report->text() + QLatin1Char('\n') +
                              Tx(kFiledUnder).arg(Q(target->GetGeneralTitle() + " / " + target->GetSubjectName())));
        }, Qt::QueuedConnection);
    });
}

void CScanDlg::Finished(const QString& path, const scan::ScanReport& report, const QString& refused)
{
    m_scanning = false;
    m_progress->clear();
    if (report.written)
        m_written = path;
    QString line;
    if (!refused.isEmpty())
        line = refused;
    else if (!report.message.empty())
        line = Q(report.message);
    else if (!report.written)
        line = Tx(kNothing);
    else if (report.blank > 0)
        line = Tx(kWrittenBlank).arg(report.kept).arg(QFileInfo(path).fileName()).arg(report.blank);
    else
        line = Tx(kWritten).arg(report.kept).arg(QFileInfo(path).fileName());
    m_report->setText(line);
    CommandHost::Tell(line);
    UpdateButtons();
}

} // namespace tavelo::gui
