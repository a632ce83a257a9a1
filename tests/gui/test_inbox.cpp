// Filing new paperwork from a book window: the inbox pane beside the tree
// (files arriving in a watched folder, their suggested subjects, Enter and the
// number keys, a read-only book, the move into the subject's folder) and the
// scan dialog on SANE's test backend.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>
#include <cstdlib>

#include "app/inbox_commands.h"
#include "app/resource_ids.h"
#include "app/reservation_dlg.h"
#include "app/scan_dlg.h"
#include "app/subject_dialogs.h"
#include "book/held_file.h"
#include "filing/book_filing.h"
#include "gui_fixture.h"
#include "reading/text_source.h"
#include "views/inbox.h"
#include "views/inbox_files.h"
#include "views/inbox_pane.h"
#include "views/quick_search_runner.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {

const std::string kEdfText =
    "EDF Entreprise\nFacture d'électricité\nContrat n° 4471 2290 3385\nRéférence client 5530 1177 42\n"
    "Consommation relevée au compteur, abonnement, montant TTC, échéance du prélèvement.\n";
const std::string kTaxText =
    "Direction générale des finances publiques\nAvis d'impôt sur le revenu 2025\nNuméro fiscal 30 12 456 789 012\n"
    "Revenus déclarés, quotient familial, impôt net à payer, solde.\n";

void WriteText(const QString& path, const std::string& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(text.data(), static_cast<qint64>(text.size())), static_cast<qint64>(text.size()));
}

bool Choose(CMainFrame* frame, const QString& menuTitle, int id)
{
    QMenu* menu = TopMenu(frame->menuBar(), menuTitle);
    if (!menu)
        return false;
    QMetaObject::invokeMethod(menu, "aboutToShow");
    QAction* action = FindCommandAction(menu, id);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

// "Outils ▸ Boîte de réception…" with `folder` added in its dialog.
bool ChooseInbox(CMainFrame* frame, const QString& folder)
{
    DialogRunner::SetNextHandler([folder](QDialog& d) {
        auto* dlg = qobject_cast<CInboxFoldersDlg*>(&d);
        if (!dlg)
            return int{QDialog::Rejected};
        FileDialog::SetNextFileName(folder);
        dlg->AddButton()->click();
        return dlg->Folders() == QStringList{folder} ? int{QDialog::Accepted} : int{QDialog::Rejected};
    });
    return Choose(frame, QStringLiteral("&Outils"), ID_INBOX);
}

QStringList Rows(const QTreeWidgetItem* file)
{
    return ChildTexts(file);
}

QTreeWidgetItem* FileRow(const InboxPane* pane, const QString& name)
{
    for (int i = 0; i < pane->List()->topLevelItemCount(); ++i)
        if (pane->List()->topLevelItem(i)->text(0).startsWith(name))
            return pane->List()->topLevelItem(i);
    return nullptr;
}

void Press(InboxPane* pane, QTreeWidgetItem* row, int key)
{
    pane->List()->setCurrentItem(row);
    QTest::keyClick(pane->List(), static_cast<Qt::Key>(key));
}

std::vector<std::string> PathsOf(const CTenorelDoc& doc, std::size_t subject)
{
    return doc.GetSubject(subject)->GetDocumentPaths();
}

bool Holds(const std::vector<std::string>& paths, const QString& path)
{
    return std::find(paths.begin(), paths.end(), path.toStdString()) != paths.end();
}

} // namespace

class InboxTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_sane;

    QString Folder(const QString& name)
    {
        QDir().mkpath(m_dir.filePath(name));
        return m_dir.filePath(name);
    }

    // EDF / Maison (three documents in docs-edf) and Impôts / 2025 (one),
    // their texts in the cache.
    QString WriteTwoSubjectBook(const QString& name)
    {
        const QString edf = Folder(QStringLiteral("docs-edf"));
        const QString tax = Folder(QStringLiteral("docs-impots"));
        std::vector<std::string> edfDocs, taxDocs;
        for (int i = 1; i <= 3; ++i) {
            const QString path = edf + QStringLiteral("/facture-%1.txt").arg(i);
            WriteText(path, kEdfText + "Période " + std::to_string(i) + "\n");
            edfDocs.push_back(path.toStdString());
        }
        WriteText(tax + QStringLiteral("/avis.txt"), kTaxText);
        taxDocs.push_back((tax + QStringLiteral("/avis.txt")).toStdString());
        std::vector<std::string> all = edfDocs;
        all.insert(all.end(), taxDocs.begin(), taxDocs.end());
        filing::ReadFileTexts(QuickSearchRunner::Source(), all);
        return WriteBook(m_dir, name, {{"EDF", "Maison", 0, "", edfDocs}, {"Impôts", "2025", 0, "", taxDocs}});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Inbox::SetSettleMilliseconds(300);
        Inbox::SetPollMilliseconds(300);
        // SANE's test backend alone, read from a private configuration.
        QFile dll(m_sane.filePath(QStringLiteral("dll.conf")));
        QVERIFY(dll.open(QIODevice::WriteOnly));
        dll.write("test\n");
        dll.close();
        QFile conf(m_sane.filePath(QStringLiteral("test.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("number_of_devices 1\nmode Gray\ndepth 8\nresolution 75.0\ntest-picture \"Grid\"\n");
        conf.close();
        qputenv("SANE_CONFIG_DIR", m_sane.path().toUtf8());
    }

    // New files are listed as they arrive with their subjects; Enter files
    // under the first, 2 under the second, a new subject takes the general
    // title suggested, and the move into the subject's folder replaces
    // nothing.
    void fileArrivingFiles()
    {
        const QString book = WriteTwoSubjectBook(QStringLiteral("maison.tvo"));
        const QString inbox = Folder(QStringLiteral("inbox"));
        auto app = StartApp({book});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        InboxPane* pane = window->Inbox();
        QVERIFY(!pane->isVisible());
        QVERIFY(ChooseInbox(frame, inbox));
        QTRY_VERIFY(pane->isVisible());
        QTRY_COMPARE(pane->Status()->text(), QStringLiteral("Aucun nouveau fichier"));

        const QString bill = inbox + QStringLiteral("/nouvelle-facture.txt");
        WriteText(bill, kEdfText + "Période 4\n");
        QTRY_VERIFY_WITH_TIMEOUT(FileRow(pane, QStringLiteral("nouvelle-facture.txt")), 15000);
        QTreeWidgetItem* row = FileRow(pane, QStringLiteral("nouvelle-facture.txt"));
        QVERIFY2(Rows(row).value(0).startsWith(QStringLiteral("1. EDF / Maison (")), qPrintable(Rows(row).join('|')));
        QVERIFY(!doc->IsModified());
        Press(pane, row, Qt::Key_Return);
        QTRY_VERIFY(Holds(PathsOf(*doc, 0), bill));
        QVERIFY(doc->IsModified());
        QVERIFY(!FileRow(pane, QStringLiteral("nouvelle-facture.txt")));
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("Maison")));
        QVERIFY(ListRows(window->List()).contains(bill));

        // Key 2: the second suggestion, whichever the scorer puts there.
        const QString notice = inbox + QStringLiteral("/avis-2.txt");
        WriteText(notice, kTaxText + "Prélevé avec le contrat EDF n° 4471 2290 3385\n");
        QTRY_VERIFY_WITH_TIMEOUT(FileRow(pane, QStringLiteral("avis-2.txt")), 15000);
        row = FileRow(pane, QStringLiteral("avis-2.txt"));
        const QStringList choices = Rows(row);
        QVERIFY2(choices.size() >= 2 && choices[1].startsWith(QStringLiteral("2. ")), qPrintable(choices.join('|')));
        const std::size_t second = choices[1].startsWith(QStringLiteral("2. EDF / Maison")) ? 0 : 1;
        QVERIFY(choices[1].startsWith(second == 0 ? QStringLiteral("2. EDF / Maison") : QStringLiteral("2. Impôts / 2025")));
        Press(pane, row, Qt::Key_2);
        QTRY_VERIFY(Holds(PathsOf(*doc, second), notice));
        QVERIFY(!Holds(PathsOf(*doc, 1 - second), notice));
        // The filed file does not come back with the next look.
        WriteText(inbox + QStringLiteral("/sans-rapport.txt"), "Carnet de vaccination du chat Minou, rappel annuel.\n");
        QTRY_VERIFY_WITH_TIMEOUT(FileRow(pane, QStringLiteral("sans-rapport.txt")), 15000);
        QVERIFY(!FileRow(pane, QStringLiteral("avis-2.txt")));

        // Nothing likely: "Nouveau sujet…" comes first, and opens the dialog.
        row = FileRow(pane, QStringLiteral("sans-rapport.txt"));
        QCOMPARE(Rows(row).value(0), QStringLiteral("Nouveau sujet…\naucun sujet ne convient assez"));
        QString offeredTitle = QStringLiteral("(none)");
        DialogRunner::SetNextHandler([&offeredTitle](QDialog& d) {
            auto* dlg = qobject_cast<CNewSubjectDlg*>(&d);
            if (!dlg)
                return int{QDialog::Rejected};
            offeredTitle = dlg->GetGeneralTitle();
            qobject_cast<QLineEdit*>(dlg->Control(IDC_GENERAL_TITLE))->setText(QStringLiteral("Animaux"));
            qobject_cast<QLineEdit*>(dlg->Control(IDC_SUBJECT_NAME))->setText(QStringLiteral("Minou"));
            return int{QDialog::Accepted};
        });
        const QString firstTitle = Rows(row).value(1).section(QLatin1Char(' '), 1, 1);
        Press(pane, row, Qt::Key_Return);
        QCOMPARE(offeredTitle, firstTitle.isEmpty() ? QString() : firstTitle);
        QCOMPARE(doc->GetSubjectCount(), std::size_t{3});
        QTRY_VERIFY(Holds(PathsOf(*doc, 2), inbox + QStringLiteral("/sans-rapport.txt")));
        QVERIFY(FindItem(window->Tree(), QStringLiteral("Minou")));

        // Into the subject's folder, beside a file of the same name.
        const QString edfFolder = m_dir.filePath(QStringLiteral("docs-edf"));
        WriteText(edfFolder + QStringLiteral("/releve.txt"), "déjà là\n");
        pane->MoveCheck()->setChecked(true);
        QVERIFY(Inbox::MovesIntoSubjectFolder());
        WriteText(inbox + QStringLiteral("/releve.txt"), kEdfText + "Relevé\n");
        QTRY_VERIFY_WITH_TIMEOUT(FileRow(pane, QStringLiteral("releve.txt")), 15000);
        Press(pane, FileRow(pane, QStringLiteral("releve.txt")), Qt::Key_1);
        const QString moved = edfFolder + QStringLiteral("/releve (2).txt");
        QTRY_VERIFY(Holds(PathsOf(*doc, 0), moved));
        QVERIFY(!QFile::exists(inbox + QStringLiteral("/releve.txt")));
        QCOMPARE(ReadBytes(edfFolder + QStringLiteral("/releve.txt")), QByteArray("déjà là\n"));
        QVERIFY(ReadBytes(moved).startsWith("EDF Entreprise"));
        pane->MoveCheck()->setChecked(false);

        // An empty file is listed as unreadable; a name the book already
        // holds elsewhere is pointed out.
        WriteText(inbox + QStringLiteral("/vide.txt"), "");
        WriteText(inbox + QStringLiteral("/facture-1.txt"), kEdfText);
        QTRY_VERIFY_WITH_TIMEOUT(FileRow(pane, QStringLiteral("vide.txt")) && FileRow(pane, QStringLiteral("facture-1.txt")), 15000);
        QCOMPARE(FileRow(pane, QStringLiteral("vide.txt"))->text(0), QStringLiteral("vide.txt — illisible : le fichier est vide"));
        QVERIFY(Rows(FileRow(pane, QStringLiteral("facture-1.txt"))).contains(QStringLiteral("Un document du même nom est déjà sous EDF / Maison.")));

        // A folder that goes away says so, and the book is left alone.
        const std::size_t before = PathsOf(*doc, 0).size();
        QVERIFY(QDir(inbox).removeRecursively());
        QTRY_VERIFY_WITH_TIMEOUT(pane->LinesLabel()->text().contains(QStringLiteral("ne peut pas être lu")), 15000);
        QCOMPARE(PathsOf(*doc, 0).size(), before);
        doc->SetModifiedFlag(false);
    }

    // A read-only book lists its inbox but files nothing.
    void readOnlyBookRefuses()
    {
        const QString book = WriteTwoSubjectBook(QStringLiteral("tenu.tvo"));
        const QString inbox = Folder(QStringLiteral("inbox-tenu"));
        bool readOnly = true;
        std::unique_ptr<HeldFile> other = OpenHeldFile(book.toStdString(), readOnly, false);
        QVERIFY(other && !readOnly);
        DialogRunner::SetNextHandler([](QDialog& dialog) {
            if (auto* reservation = qobject_cast<CReservationDlg*>(&dialog))
                if (auto* button = qobject_cast<QPushButton*>(reservation->Control(IDOK)))
                    button->click();
            return dialog.result();
        });
        auto app = StartApp({book});
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        QVERIFY(doc->IsReadOnly());
        QVERIFY(ChooseInbox(app->MainFrame(), inbox));
        const QString bill = inbox + QStringLiteral("/facture.txt");
        WriteText(bill, kEdfText);
        InboxPane* pane = window->Inbox();
        QTRY_VERIFY2_WITH_TIMEOUT(FileRow(pane, QStringLiteral("facture.txt")),
                                  qPrintable(pane->Status()->text() + pane->LinesLabel()->text()), 15000);
        MessageBox::ClearHistory();
        Press(pane, FileRow(pane, QStringLiteral("facture.txt")), Qt::Key_Return);
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History()[0].text,
                 QStringLiteral("Ce livre est ouvert en lecture seule : il ne peut pas être modifié ici."));
        QVERIFY(!doc->IsModified());
        QVERIFY(!Holds(PathsOf(*doc, 0), bill));
        QVERIFY(QFile::exists(bill));
        QVERIFY(FileRow(pane, QStringLiteral("facture.txt")));
        ReleaseHeldFile(other);
    }

    // A move to another file system copies, then removes; a name taken
    // gets "(2)"; a move that cannot be made leaves the file where it was.
    void moveAcrossFileSystems()
    {
        QTemporaryDir other(QStringLiteral("/dev/shm/tavelo-inbox-XXXXXX"));
        if (!other.isValid() || QStorageInfo(other.path()).device() == QStorageInfo(m_dir.path()).device())
            QSKIP("no second file system (/dev/shm) to move from");
        const QString target = Folder(QStringLiteral("rangement"));
        WriteText(target + QStringLiteral("/lettre.txt"), "ancienne\n");
        const QString from = other.filePath(QStringLiteral("lettre.txt"));
        WriteText(from, "nouvelle lettre\n");
        const QDateTime modified = QFileInfo(from).lastModified();

        MoveOutcome moved = MoveIntoFolder(from.toStdString(), target.toStdString());
        QVERIFY2(moved.moved, moved.message.c_str());
        QCOMPARE(QString::fromStdString(moved.path), target + QStringLiteral("/lettre (2).txt"));
        QVERIFY(!QFile::exists(from));
        QCOMPARE(ReadBytes(target + QStringLiteral("/lettre (2).txt")), QByteArray("nouvelle lettre\n"));
        QCOMPARE(QFileInfo(target + QStringLiteral("/lettre (2).txt")).lastModified(), modified);
        QCOMPARE(ReadBytes(target + QStringLiteral("/lettre.txt")), QByteArray("ancienne\n"));

        WriteText(from, "encore\n");
        moved = MoveIntoFolder(from.toStdString(), (target + QStringLiteral("/absent")).toStdString());
        QVERIFY(!moved.moved);
        QVERIFY(QString::fromStdString(moved.message).endsWith(QStringLiteral("Le fichier est resté où il était.")));
        QCOMPARE(ReadBytes(from), QByteArray("encore\n"));
    }

    void scan_data()
    {
        QTest::addColumn<bool>("underSubject");
        QTest::newRow("into the inbox") << false;
        QTest::newRow("under the selected subject") << true;
    }

    // "Fichier ▸ Numériser…" on test:0's feeder, stopped after its first
    // page: the PDF of the pages scanned lands in the inbox and is listed,
    // or is filed under the selected subject beside its documents.
    void scan()
    {
        QFETCH(bool, underSubject);
        const QString book = WriteTwoSubjectBook(underSubject ? QStringLiteral("scan-sujet.tvo") : QStringLiteral("scan.tvo"));
        const QString inbox = Folder(underSubject ? QStringLiteral("inbox-scan-sujet") : QStringLiteral("inbox-scan"));
        auto app = StartApp({book});
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        QVERIFY(ChooseInbox(app->MainFrame(), inbox));
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("2025")));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(1));
        QString skip;
        QString report;
        QString written;
        bool ran = false, stopped = false, finished = false;
        QString progress;
        DialogRunner::SetNextHandler([&](QDialog& d) {
            auto* dlg = qobject_cast<CScanDlg*>(&d);
            if (!dlg)
                return int{QDialog::Rejected};
            ran = true;
            if (!QTest::qWaitFor([dlg] { return dlg->DeviceReady() || !dlg->ReportLine()->text().isEmpty(); }, 30000))
                skip = QStringLiteral("no answer from SANE");
            const int device = dlg->Devices()->findData(QStringLiteral("test:0"));
            if (!dlg->DeviceReady() || device < 0) {
                skip = dlg->ReportLine()->text();
                return int{QDialog::Rejected};
            }
            dlg->Devices()->setCurrentIndex(device);
            const int feeder = dlg->Sources()->findText(QStringLiteral("Automatic Document Feeder"));
            if (feeder < 0) {
                skip = QStringLiteral("test:0 offers no feeder");
                return int{QDialog::Rejected};
            }
            dlg->Sources()->setCurrentIndex(feeder);
            if (!dlg->DropBlank()->isChecked() || !dlg->ToInbox()->isChecked() || !dlg->ToSubject()->isEnabled())
                return int{QDialog::Rejected};
            if (underSubject)
                dlg->ToSubject()->setChecked(true);
            dlg->ScanButton()->click();
            // Stopped once the first page is in.
            stopped = QTest::qWaitFor([dlg] {
                const QString line = dlg->ProgressLine()->text();
                return !dlg->Scanning() || (line.startsWith(QStringLiteral("Page ")) && !line.startsWith(QStringLiteral("Page 1 :")));
            }, 120000);
            progress = dlg->ProgressLine()->text();
            dlg->StopButton()->click();
            finished = QTest::qWaitFor([dlg] { return !dlg->Scanning(); }, 60000);
            report = dlg->ReportLine()->text();
            written = dlg->WrittenPath();
            return int{QDialog::Accepted};
        });
        QVERIFY(Choose(app->MainFrame(), QStringLiteral("&Fichier"), ID_SCAN));
        QVERIFY(ran);
        if (!skip.isEmpty())
            QSKIP(qPrintable(QStringLiteral("SANE's test backend cannot be used here: ") + skip));
        QVERIFY2(stopped && finished, qPrintable(progress + QLatin1Char('|') + report));
        QVERIFY2(!written.isEmpty(), qPrintable(report));
        QCOMPARE(QFileInfo(written).absolutePath(), underSubject ? m_dir.filePath(QStringLiteral("docs-impots")) : inbox);
        QVERIFY(QFileInfo(written).fileName().startsWith(QStringLiteral("Numérisation ")));
        QVERIFY(ReadBytes(written).startsWith("%PDF"));
        QVERIFY2(report.startsWith(QStringLiteral("La numérisation a été arrêtée.")) && report.contains(written),
                 qPrintable(report));
        if (underSubject) {
            QVERIFY(Holds(PathsOf(*doc, 1), written));
            QVERIFY(doc->IsModified());
            QVERIFY(ListRows(window->List()).contains(written));
            doc->SetModifiedFlag(false);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(FileRow(window->Inbox(), QFileInfo(written).fileName()), 30000);
            QVERIFY(!doc->IsModified());
        }
    }
};

TAVELO_GUI_TEST_MAIN(InboxTest)
#include "test_inbox.moc"
