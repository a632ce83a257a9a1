// The reservation of a book between instances, through the windows: another
// holder is played by a second open of the book in this process (the locks of
// the lock file tell two opens apart, as they tell two processes apart).

#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QThread>
#include <atomic>
#include <future>
#include <cerrno>
#include <ctime>
#include <unistd.h>

#include "app/book_storage.h"
#include "app/merge_review_dlg.h"
#include "app/read_only_bar.h"
#include "app/reservation_dlg.h"
#include "book/book_file.h"
#include "book/held_file.h"
#include "book/lock_file.h"
#include "book/notifier.h"
#include "gui_fixture.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {


// Another instance's hold on a book.
std::unique_ptr<HeldFile> HoldBook(const QString& path)
{
    bool readOnly = true;
    std::unique_ptr<HeldFile> held = OpenHeldFile(path.toStdString(), readOnly, false);
    return readOnly ? nullptr : std::move(held);
}

// Whether another instance opening the book now would find it held.
bool IsHeldByUs(const QString& path)
{
    bool readOnly = false;
    std::unique_ptr<HeldFile> probe = OpenHeldFile(path.toStdString(), readOnly, false);
    return probe && readOnly && probe->GetReadOnlyReason() == ReadOnlyReason::kHeldElsewhere;
}

void Click(QDialog& dialog, int id)
{
    QWidget* control = nullptr;
    if (auto* r = qobject_cast<CReservationDlg*>(&dialog))
        control = r->Control(id);
    else if (auto* a = qobject_cast<CAvailableDlg*>(&dialog))
        control = a->Control(id);
    if (auto* button = qobject_cast<QPushButton*>(control))
        button->click();
}

// What the reservation dialog showed when it was answered.
struct Answered {
    QString title;
    QString line;
    QString holder;
    bool shown = false;
};

void AnswerReservation(int buttonId, Answered* seen = nullptr)
{
    DialogRunner::SetNextHandler([buttonId, seen](QDialog& d) {
        auto* dlg = qobject_cast<CReservationDlg*>(&d);
        if (!dlg)
            return int{QDialog::Rejected};
        if (seen)
            *seen = {dlg->windowTitle(), dlg->GetLine(), dlg->GetHolderLine(), true};
        Click(d, buttonId);
        return d.result();
    });
}

// Answers the availability dialogs of a test and counts them.
struct AvailabilityWatch {
    int shown = 0;
    QString line;
    int answer = IDOK;
    bool armed = false;

    void Arm()
    {
        armed = true;
        DialogRunner::SetNextHandler([this](QDialog& d) {
            armed = false;
            auto* dlg = qobject_cast<CAvailableDlg*>(&d);
            if (!dlg)
                return int{QDialog::Rejected};
            ++shown;
            line = dlg->GetLine();
            Click(d, answer);
            return d.result();
        });
    }
    // Takes back an answer no dialog used, so that it cannot answer another
    // test's dialog.
    void Disarm()
    {
        if (!armed)
            return;
        QDialog unused;
        DialogRunner::Exec(unused);
        armed = false;
    }
};

QAction* MergeItem(const CTenorelApp& app)
{
    QMenu* file = TopMenu(app.MainFrame()->menuBar(), QStringLiteral("&Fichier"));
    if (!file)
        return nullptr;
    QMetaObject::invokeMethod(file, "aboutToShow");
    return FindCommandAction(file, ID_MERGE);
}

QStringList SubjectNames(const CTenorelView* tree)
{
    QStringList names;
    for (QTreeWidgetItemIterator it(const_cast<CTenorelView*>(tree)); *it; ++it) {
        if (CTenorelView::SubjectOf(*it))
            names << (*it)->text(0);
    }
    names.sort();
    return names;
}

// Saving through it fails as a full disk does, while `failing` is set.
class FullDisk : public FileSystemOps {
public:
    bool failing = true;
    ssize_t Write(int fd, const void* data, std::size_t size, off_t offset) override
    {
        if (failing) {
            errno = ENOSPC;
            return -1;
        }
        return FileSystemOps::Write(fd, data, size, offset);
    }
};

} // namespace

class TestReservation : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    AvailabilityWatch m_watch;

private Q_SLOTS:
    void init()
    {
        MessageBox::ClearHistory();
        FileDialog::ClearHistory();
        BookStorage::SetFactory({});
        m_watch = AvailabilityWatch{};
    }

    void cleanup()
    {
        m_watch.Disarm();
        BookStorage::StopWaiting();
    }

    void heldBookOpensReadOnlyAndSavesUnderAnotherName()
    {
        const QString path = WriteBook(m_dir, QStringLiteral("partage.tvo"), {{"EDF", "2006", 0, "", {}}});
        std::unique_ptr<HeldFile> other = HoldBook(path);
        QVERIFY(other);

        // "&Annuler" for the book of the command line: no book, the program ends.
        Answered cancelled;
        AnswerReservation(IDCANCEL, &cancelled);
        bool started = true;
        {
            auto app = StartApp({path}, &started);
            QVERIFY(!started);
            QVERIFY(cancelled.shown);
            QVERIFY(app->Documents().empty());
            QVERIFY(app->MainFrame()->BookWindows().empty());
            QVERIFY(MessageBox::History().empty());
        }

        Answered seen;
        AnswerReservation(IDOK, &seen);
        auto app = StartApp({path}, &started);
        QVERIFY(started);
        QCOMPARE(seen.title, QStringLiteral("Réservation de fichier"));
        QCOMPARE(seen.line, QStringLiteral("partage.tvo est en modification"));
        QVERIFY(seen.holder.startsWith(QStringLiteral("Réservé par ")));
        QCOMPARE(seen.holder, QString::fromStdString(DescribeHolder(ReadBookHolder(path.toStdString()))));
        QCOMPARE(app->Documents().size(), std::size_t{1});
        CTenorelDoc* doc = app->Documents().front();
        QVERIFY(doc->IsReadOnly());
        QVERIFY(!doc->IsNotifyRequested());
        QVERIFY(!IsNotifierRunning());
        QCOMPARE(SubjectNames(ActiveWindow(*app)->Tree()), QStringList{QStringLiteral("2006")});

        // The merge needs a book that can be saved.
        QAction* merge = MergeItem(*app);
        QVERIFY(merge);
        QVERIFY(!merge->isEnabled());

        // Changes in memory are allowed; "&Enregistrer" asks for a name and
        // the book's own name is refused.
        doc->AppendSubject(std::make_unique<CTenorels>("EDF", "2007", 0));
        doc->SetModifiedFlag(true);
        const QByteArray before = ReadBytes(path);
        FileDialog::SetNextFileName(path);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QCOMPARE(FileDialog::History().size(), std::size_t{1});
        QCOMPARE(FileDialog::History().back().kind, FileDialog::Save);
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History().back().text,
                 QStringLiteral("Le fichier '%1' est utilisé.\nSauvegarder le sous un nom différent.").arg(path));
        QCOMPARE(MessageBox::History().back().look, MessageBox::NoIcon);
        QCOMPARE(MessageBox::History().back().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(doc->IsReadOnly());
        QVERIFY(doc->IsModified());
        QCOMPARE(doc->GetSubjectCount(), std::size_t{2});
        QCOMPARE(ReadBytes(path), before);

        // A new name: this instance holds the new file, the old one is left.
        const QString copy = m_dir.filePath(QStringLiteral("copie.tvo"));
        FileDialog::SetNextFileName(copy);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QVERIFY(!doc->IsReadOnly());
        QVERIFY(!doc->IsModified());
        QCOMPARE(doc->GetPathName(), copy);
        QCOMPARE(ReadBytes(copy), QByteArray::fromStdString(doc->Serialize()));
        QVERIFY(IsHeldByUs(copy));
        QVERIFY(MergeItem(*app)->isEnabled());
        // The book it was read from is still the other instance's.
        ReleaseHeldFile(other);
        QVERIFY(HoldBook(path));
    }

    // A holder through another mount of the share: only its text in the lock
    // file says so. Fresh, it is only read; silent for 10 minutes, the dialog
    // offers to take the book over, and the taker becomes the holder.
    void holderOnAnotherMountIsNamedAndATakeOverIsOffered()
    {
        const QString path = WriteBook(m_dir, QStringLiteral("salon.tvo"), {{"EDF", "2006", 0, "", {}}});
        const std::string lockPath = LockFilePath(path.toStdString());
        const auto putHolder = [&](long long age) {
            HolderInfo info;
            info.user = "marie";
            info.host = "salon";
            info.pid = 12;
            info.session = "autre";
            info.since = static_cast<long long>(std::time(nullptr)) - 3600;
            QFile file(QString::fromStdString(lockPath));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray::fromStdString(FormatHolderInfo(info)));
            file.close();
            const QDateTime changed = QDateTime::currentDateTime().addSecs(-age);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(changed, QFileDevice::FileModificationTime));
        };
        struct Seen {
            QString holder;
            bool takeOverShown = false;
        };
        const auto answer = [](int id, Seen* seen) {
            DialogRunner::SetNextHandler([id, seen](QDialog& d) {
                auto* dlg = qobject_cast<CReservationDlg*>(&d);
                if (!dlg)
                    return int{QDialog::Rejected};
                seen->holder = dlg->GetHolderLine();
                seen->takeOverShown = !dlg->Control(IDC_TAKE_OVER)->isHidden();
                Click(d, id);
                return d.result();
            });
        };

        putHolder(20);
        Seen fresh;
        answer(IDOK, &fresh);
        bool started = false;
        {
            auto app = StartApp({path}, &started);
            QVERIFY(started);
            QVERIFY(fresh.holder.startsWith(QStringLiteral("Réservé par marie sur le poste salon depuis ")));
            QVERIFY(!fresh.takeOverShown);
            QVERIFY(app->Documents().front()->IsReadOnly());
        }

        putHolder(600);
        Seen silent;
        answer(IDC_TAKE_OVER, &silent);
        auto app = StartApp({path}, &started);
        QVERIFY(started);
        QVERIFY(silent.takeOverShown);
        QVERIFY2(silent.holder.contains(QStringLiteral("Aucun signe de vie depuis 10 min")), qPrintable(silent.holder));
        CTenorelDoc* doc = app->Documents().front();
        QVERIFY(!doc->IsReadOnly());
        const HolderInfo now = ReadBookHolder(path.toStdString());
        QCOMPARE(now.pid, long{::getpid()});
        QVERIFY(now.session != "autre");
        QVERIFY(IsHeldByUs(path));
    }

    // A reader says so above its tree, follows the holder's saves with its
    // selection kept, and under edits of its own offers a merge instead.
    void readerShowsItsStateAndFollowsTheWriter()
    {
        CTenorelDoc::SetPollInterval(50);
        const QString path = WriteBook(m_dir, QStringLiteral("suivi.tvo"),
                                       {{"EDF", "2006", 0, "", {}}, {"EDF", "2007", 0, "", {}}});
        std::unique_ptr<HeldFile> other = HoldBook(path);
        QVERIFY(other);
        other->Load();
        AnswerReservation(IDOK);
        auto app = StartApp({path});
        CTenorelDoc* doc = app->Documents().front();
        QVERIFY(doc->IsReadOnly());
        auto* bar = ActiveWindow(*app)->findChild<ReadOnlyBar*>(QStringLiteral("readOnlyBar"));
        QVERIFY(bar);
        QVERIFY(!bar->isHidden());
        QCOMPARE(bar->Text(), QStringLiteral("Lecture seule : réservé par %1 sur le poste %2")
                                  .arg(QString::fromStdString(ThisUserName()), QString::fromStdString(ThisHostName())));
        QCOMPARE(bar->CopyButton()->text(), QStringLiteral("Enregistrer une copie…"));
        QVERIFY(!bar->NotifyButton()->isHidden());
        bar->NotifyButton()->click();
        QVERIFY(doc->IsNotifyRequested());
        QVERIFY(!bar->NotifyButton()->isEnabled());

        QTreeWidget* tree = ActiveWindow(*app)->Tree();
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if ((*it)->text(0) == QStringLiteral("2007"))
                tree->setCurrentItem(*it);
        }
        QCOMPARE(doc->GetCurrentSubject()->GetSubjectName(), std::string("2007"));
        const std::string saved = WriteSubjectList(
            MakeSubjects({{"EDF", "2006", 0, "", {}}, {"EDF", "2007", 1, "payé", {}}, {"Gaz", "2008", 0, "", {}}}));
        other->Save(saved);
        QTRY_COMPARE(doc->GetSubjectCount(), std::size_t{3});
        QVERIFY(!doc->IsModified());
        QVERIFY(doc->GetCurrentSubject());
        QCOMPARE(doc->GetCurrentSubject()->GetSubjectName(), std::string("2007"));
        QCOMPARE(doc->GetCurrentSubject()->GetExpectedText(), std::string("payé"));
        auto* status = app->MainFrame()->findChild<QLabel*>(QStringLiteral("indicator_0"));
        QVERIFY(status);
        QVERIFY2(status->text().startsWith(QStringLiteral("Livre rechargé : enregistré par %1 à ")
                                               .arg(QString::fromStdString(ThisUserName()))),
                 qPrintable(status->text()));

        // Edits of its own: not reloaded under them; the merge is offered.
        doc->AppendSubject(std::make_unique<CTenorels>("Banque", "Livret", 0));
        doc->SetModifiedFlag(true);
        MessageBox::ClearHistory();
        MessageBox::SetNextAnswer(QMessageBox::Yes);
        other->Save(WriteSubjectList(MakeSubjects({{"EDF", "2006", 0, "", {}},
                                                   {"EDF", "2007", 1, "payé", {}},
                                                   {"Gaz", "2008", 0, "", {}},
                                                   {"Eau", "2009", 0, "", {}}})));
        QTRY_COMPARE(doc->GetSubjectCount(), std::size_t{5});
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QVERIFY(MessageBox::History().back().text.contains(QStringLiteral("vient d'être enregistré ailleurs")));
        QVERIFY(doc->IsModified());
        QVERIFY(doc->IsReadOnly());
        doc->SetModifiedFlag(false);
        CTenorelDoc::SetPollInterval(5000);
    }

    // The holder learns at its next sign of life that another instance took
    // the book over: it stops writing and says so, its edits kept.
    void holderThatWasTakenOverBecomesReadOnly()
    {
        CTenorelDoc::SetPollInterval(50);
        BookStorage::SetAliveInterval(std::chrono::milliseconds(20));
        const QString path = WriteBook(m_dir, QStringLiteral("repris.tvo"), {{"EDF", "2006", 0, "", {}}});
        auto app = StartApp({path});
        CTenorelDoc* doc = app->Documents().front();
        QVERIFY(!doc->IsReadOnly());
        doc->AppendSubject(std::make_unique<CTenorels>("EDF", "2007", 0));
        doc->SetModifiedFlag(true);
        HolderInfo taker;
        taker.user = "marie";
        taker.host = "salon";
        taker.session = "preneur";
        // Written over the holder's text, then cut, as a taker writes it.
        QFile lock(QString::fromStdString(LockFilePath(path.toStdString())));
        QVERIFY(lock.open(QIODevice::ReadWrite));
        const QByteArray text = QByteArray::fromStdString(FormatHolderInfo(taker));
        lock.write(text);
        lock.flush();
        QVERIFY(lock.resize(text.size()));
        lock.close();
        // The taker saved a subject of its own; the holder merges its edits in.
        QFile book(path);
        QVERIFY(book.open(QIODevice::WriteOnly | QIODevice::Truncate));
        book.write(QByteArray::fromStdString(
            WriteSubjectList(MakeSubjects({{"EDF", "2006", 0, "", {}}, {"Gaz", "2008", 0, "", {}}}))));
        book.close();
        MessageBox::SetNextAnswer(QMessageBox::Yes);
        QTRY_VERIFY(doc->IsReadOnly());
        QTRY_COMPARE(doc->GetSubjectCount(), std::size_t{3});
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QVERIFY2(MessageBox::History().back().text.contains(QStringLiteral("a été repris par marie sur le poste salon")),
                 qPrintable(MessageBox::History().back().text));
        QVERIFY(MessageBox::History().back().text.contains(QStringLiteral("Fusionner vos modifications")));
        auto* bar = ActiveWindow(*app)->findChild<ReadOnlyBar*>(QStringLiteral("readOnlyBar"));
        QVERIFY(!bar->isHidden());
        QCOMPARE(bar->Text(), QStringLiteral("Lecture seule : réservé par marie sur le poste salon"));
        QVERIFY(doc->IsModified());
        const QByteArray before = ReadBytes(path);
        // Its save goes to another name; the taker's book is not touched.
        const QString copy = m_dir.filePath(QStringLiteral("repris copie.tvo"));
        FileDialog::SetNextFileName(copy);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QCOMPARE(ReadBytes(path), before);
        QCOMPARE(ReadSubjectList(ReadBytes(copy).toStdString()).size(), std::size_t{3});
        QCOMPARE(QString::fromStdString(ReadBookHolder(path.toStdString()).session), QStringLiteral("preneur"));
        BookStorage::SetAliveInterval(kAliveInterval);
        CTenorelDoc::SetPollInterval(5000);
    }

    // Conflict copies beside the book are offered at the opening, once each:
    // a readable one is merged, saved and trashed; a damaged one is told.
    // The disk is looked at away from the window: while the share does not
    // answer, the window works; once it answers, the copy is offered.
    void aShareThatStopsAnsweringNeverHoldsTheWindow()
    {
        QTemporaryDir folder;
        const QString path = WriteBook(folder, QStringLiteral("Lent.tvo"), {{"EDF", "2006", 0, "", {}}});
        WriteBook(folder, QStringLiteral("Lent.sync-conflict-20240503-101112-ABCDEFG.tvo"),
                  {{"EDF", "2006", 0, "", {}}, {"Gaz", "2007", 0, "", {}}});
        std::promise<void> answer;
        std::shared_future<void> answered = answer.get_future().share();
        std::atomic<int> looks{0};
        std::atomic<bool> onWindowThread{false};
        QThread* window = QThread::currentThread();
        CTenorelDoc::SetDiskLookHook([&, answered] {
            onWindowThread = onWindowThread || QThread::currentThread() == window;
            ++looks;
            answered.wait_for(std::chrono::seconds(20));
        });
        DialogRunner::SetNextHandler([](QDialog& d) {
            auto* dlg = qobject_cast<CMergeReviewDlg*>(&d);
            if (!dlg)
                return int{QDialog::Rejected};
            dlg->Choice(QStringLiteral("Fusionner"))->click();
            return d.result();
        });
        auto app = StartApp({path});
        CTenorelDoc* doc = app->Documents().front();
        QTRY_VERIFY(looks.load() >= 1);
        QVERIFY(!onWindowThread);
        // The window answers: a subject is selected and shown.
        QTreeWidget* tree = ActiveWindow(*app)->Tree();
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->text(0) == QStringLiteral("2006"))
                tree->setCurrentItem(*it);
        QVERIFY(doc->GetCurrentSubject());
        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});
        answer.set_value();
        QTRY_COMPARE(doc->GetSubjectCount(), std::size_t{2});
        CTenorelDoc::SetDiskLookHook({});
    }

    void conflictCopiesAreOfferedMergedAndTrashed()
    {
        QTemporaryDir folder;
        const QString path = WriteBook(folder, QStringLiteral("Maison.tvo"), {{"EDF", "2006", 0, "", {}}});
        const QString copy = WriteBook(folder, QStringLiteral("Maison.sync-conflict-20240503-101112-ABCDEFG.tvo"),
                                       {{"EDF", "2006", 0, "", {}}, {"Gaz", "2007", 0, "", {}}});
        const QString damaged = folder.filePath(QStringLiteral("Maison (conflicted copy 2024-05-03 101112).tvo"));
        QFile bad(damaged);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("pas un livre");
        bad.close();
        QStringList lines;
        DialogRunner::SetNextHandler([&lines](QDialog& d) {
            auto* dlg = qobject_cast<CMergeReviewDlg*>(&d);
            if (!dlg)
                return int{QDialog::Rejected};
            lines = dlg->Lines();
            dlg->Choice(QStringLiteral("Fusionner"))->click();
            return d.result();
        });
        auto app = StartApp({path});
        CTenorelDoc* doc = app->Documents().front();
        QTRY_COMPARE(doc->GetSubjectCount(), std::size_t{2});
        QCOMPARE(lines, QStringList{QStringLiteral("La copie — ajouté : Gaz / 2007")});
        QTRY_VERIFY(!QFile::exists(copy));
        QVERIFY(!doc->IsModified());
        QCOMPARE(ReadSubjectList(ReadBytes(path).toStdString()).size(), std::size_t{2});
        const QString trashed = qEnvironmentVariable("XDG_DATA_HOME") +
                                QStringLiteral("/Trash/files/Maison.sync-conflict-20240503-101112-ABCDEFG.tvo");
        QVERIFY(QFile::exists(trashed));
        QVERIFY(QFile::exists(damaged));
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QVERIFY(MessageBox::History().back().text.contains(QStringLiteral("n'est pas fusionnée")));
        // Told once, not at each look.
        doc->CheckBookOnDisk();
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
    }

    void otherReadOnlyReasonsAreTold()
    {
        if (::geteuid() == 0)
            QSKIP("file modes do not bind the super-user");
        const QString path = WriteBook(m_dir, QStringLiteral("protege.tvo"), {{"EDF", "2006", 0, "", {}}});
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        bool started = false;
        auto app = StartApp({path}, &started);
        QVERIFY(started);
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History()[0].look, MessageBox::Information);
        QCOMPARE(MessageBox::History()[0].text,
                 QStringLiteral("Vous n'avez pas le droit de modifier ce fichier : il est ouvert en lecture seule."));
        QVERIFY(app->Documents().front()->IsReadOnly());
        QVERIFY(!MergeItem(*app)->isEnabled());
    }

    void notifiedWhenFreedThenReopenedReadWrite()
    {
        const QString path = WriteBook(m_dir, QStringLiteral("attente.tvo"),
                                       {{"EDF", "2006", 0, "Facture", {"/tmp/a.pdf"}}, {"EDF", "2007", 1, "", {}}});
        std::unique_ptr<HeldFile> other = HoldBook(path);
        QVERIFY(other);

        AnswerReservation(IDC_NOTIFY);
        bool started = false;
        auto app = StartApp({path}, &started);
        QVERIFY(started);
        CTenorelDoc* doc = app->Documents().front();
        CSplitter* window = ActiveWindow(*app);
        QVERIFY(doc->IsReadOnly());
        QVERIFY(doc->IsNotifyRequested());
        QVERIFY(IsNotifierRunning());

        // The window stays usable while the notifier waits.
        QTreeWidgetItem* item = FindItem(window->Tree(), QStringLiteral("2006"));
        QVERIFY(item);
        window->Tree()->setCurrentItem(item);
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(0));
        QCOMPARE(window->List()->GetRowCount(), 1);
        window->Tree()->m_bSearchMode = true;
        window->Tree()->m_searchHits = {doc->GetSubject(0)};
        QTest::qWait(1200);
        QCOMPARE(m_watch.shown, 0);

        // The holder writes new contents, then closes the book.
        other->Save(WriteSubjectList(MakeSubjects({{"Impôts", "2010", 0, "", {}}, {"Impôts", "2011", 1, "", {}}})));
        m_watch.Arm();
        ReleaseHeldFile(other);
        QTRY_COMPARE_WITH_TIMEOUT(m_watch.shown, 1, 5000);
        QCOMPARE(m_watch.line, QStringLiteral("attente.tvo est maintenant disponible pour modification"));

        QVERIFY(!doc->IsReadOnly());
        QVERIFY(!doc->IsNotifyRequested());
        QVERIFY(!doc->IsModified());
        QCOMPARE(SubjectNames(window->Tree()), (QStringList{QStringLiteral("2010"), QStringLiteral("2011")}));
        QVERIFY(FindItem(window->Tree(), QStringLiteral("Impôts")));
        QCOMPARE(window->Tree()->GetRootItem()->text(0), QStringLiteral("attente"));
        QVERIFY(!window->Tree()->m_bSearchMode);
        QVERIFY(window->Tree()->m_searchHits.empty());
        QVERIFY(doc->GetCurrentSubject() == nullptr);
        QCOMPARE(window->List()->GetRowCount(), 0);
        QVERIFY(IsHeldByUs(path));
        QVERIFY(MergeItem(*app)->isEnabled());

        // Once per wait: nothing more comes.
        m_watch.Arm();
        QTest::qWait(2500);
        QCOMPARE(m_watch.shown, 1);
    }

    void availableAnnulerKeepsTheBookReadOnly()
    {
        NotifierOptions quick;
        quick.period = std::chrono::milliseconds(100);
        BookStorage::SetNotifierOptions(quick);
        const QString path = WriteBook(m_dir, QStringLiteral("annule.tvo"), {{"EDF", "2006", 0, "", {}}});
        std::unique_ptr<HeldFile> other = HoldBook(path);
        QVERIFY(other);
        AnswerReservation(IDC_NOTIFY);
        auto app = StartApp({path});
        CTenorelDoc* doc = app->Documents().front();
        QVERIFY(doc->IsNotifyRequested());

        // While another modal window is up, the news waits for it to close.
        QDialog busy(app->MainFrame());
        busy.setModal(true);
        busy.show();
        QVERIFY(QApplication::activeModalWidget() == &busy);
        m_watch.answer = IDCANCEL;
        m_watch.Arm();
        ReleaseHeldFile(other);
        QTest::qWait(1000);
        QCOMPARE(m_watch.shown, 0);
        QVERIFY(doc->IsNotifyRequested());
        busy.close();
        QTRY_COMPARE_WITH_TIMEOUT(m_watch.shown, 1, 5000);
        QVERIFY(doc->IsReadOnly());
        QVERIFY(!doc->IsNotifyRequested());
        QVERIFY(!IsNotifierRunning());
        QVERIFY(!IsHeldByUs(path));
        BookStorage::SetNotifierOptions({});
    }

    void closingOrMakingABookEndsTheWait()
    {
        NotifierOptions quick;
        quick.period = std::chrono::milliseconds(100);
        BookStorage::SetNotifierOptions(quick);
        const QString path = WriteBook(m_dir, QStringLiteral("ferme.tvo"), {{"EDF", "2006", 0, "", {}}});
        std::unique_ptr<HeldFile> other = HoldBook(path);
        QVERIFY(other);

        // Closing the waiting book.
        AnswerReservation(IDC_NOTIFY);
        auto app = StartApp({path});
        QVERIFY(IsNotifierRunning());
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_CLOSE));
        QTRY_VERIFY(app->Documents().empty());
        QVERIFY(!IsNotifierRunning());
        m_watch.Arm();
        ReleaseHeldFile(other);
        QTest::qWait(800);
        QCOMPARE(m_watch.shown, 0);
        m_watch.Disarm();

        // Making another book: the waiting one stays read-only, unwarned.
        other = HoldBook(path);
        QVERIFY(other);
        AnswerReservation(IDC_NOTIFY);
        QVERIFY(app->OpenDocumentFile(path));
        CTenorelDoc* waiting = app->Documents().front();
        QVERIFY(IsNotifierRunning());
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_NEW));
        QCOMPARE(app->Documents().size(), std::size_t{2});
        QVERIFY(!IsNotifierRunning());
        m_watch.Arm();
        ReleaseHeldFile(other);
        QTest::qWait(800);
        QCOMPARE(m_watch.shown, 0);
        QVERIFY(waiting->IsReadOnly());

        // A waiting reader that saves under another name stops waiting.
        m_watch.Disarm();
        other = HoldBook(path);
        app->CloseAllDocuments();
        QTRY_VERIFY(app->Documents().empty());
        AnswerReservation(IDC_NOTIFY);
        CTenorelDoc* reader = app->OpenDocumentFile(path);
        QVERIFY(reader && IsNotifierRunning());
        FileDialog::SetNextFileName(m_dir.filePath(QStringLiteral("ferme2.tvo")));
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QVERIFY(!reader->IsReadOnly());
        QVERIFY(!reader->IsNotifyRequested());
        QVERIFY(!IsNotifierRunning());
        m_watch.Arm();
        ReleaseHeldFile(other);
        QTest::qWait(800);
        QCOMPARE(m_watch.shown, 0);
        BookStorage::SetNotifierOptions({});
    }

    // Another machine saved the book behind this holder's back (a sync client,
    // a share without locks): the save overwrites nothing and offers to merge
    // or to save a copy.
    void saveAfterAChangeOnDiskMergesOrSavesACopy()
    {
        const QString path = WriteBook(m_dir, QStringLiteral("sync.tvo"), {{"EDF", "2006", 0, "", {}}});
        auto app = StartApp({path});
        CTenorelDoc* doc = app->Documents().front();
        QVERIFY(!doc->IsReadOnly());
        struct Seen {
            QString intro;
            QStringList lines;
        };
        const auto answer = [](const QString& label, Seen* seen) {
            DialogRunner::SetNextHandler([label, seen](QDialog& d) {
                auto* dlg = qobject_cast<CMergeReviewDlg*>(&d);
                if (!dlg)
                    return int{QDialog::Rejected};
                *seen = {dlg->Intro(), dlg->Lines()};
                if (QPushButton* b = dlg->Choice(label))
                    b->click();
                return d.result();
            });
        };

        WriteBook(m_dir, QStringLiteral("sync.tvo"), {{"EDF", "2006", 0, "", {}}, {"Gaz", "2007", 0, "", {}}});
        doc->AppendSubject(std::make_unique<CTenorels>("EDF", "2008", 0));
        doc->SetModifiedFlag(true);
        Seen seen;
        answer(QStringLiteral("Annuler"), &seen);
        const QByteArray theirs = ReadBytes(path);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QVERIFY2(seen.intro.contains(QStringLiteral("a été modifié ailleurs")), qPrintable(seen.intro));
        QCOMPARE(seen.lines, (QStringList{QStringLiteral("Sur le disque — ajouté : Gaz / 2007"),
                                          QStringLiteral("Ici — ajouté : EDF / 2008")}));
        QCOMPARE(ReadBytes(path), theirs);
        QVERIFY(doc->IsModified());

        answer(QStringLiteral("Fusionner"), &seen);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QVERIFY(!doc->IsModified());
        const SubjectList saved = ReadSubjectList(ReadBytes(path).toStdString());
        QCOMPARE(saved.size(), std::size_t{3});
        QCOMPARE(saved[1]->GetGeneralTitle(), std::string("Gaz"));
        QCOMPARE(saved[2]->GetSubjectName(), std::string("2008"));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{3});

        // Changed again behind its back: this time the edits go to a copy.
        WriteBook(m_dir, QStringLiteral("sync.tvo"), {{"Banque", "Livret", 0, "", {}}});
        const QByteArray again = ReadBytes(path);
        doc->AppendSubject(std::make_unique<CTenorels>("EDF", "2009", 0));
        doc->SetModifiedFlag(true);
        const QString copy = m_dir.filePath(QStringLiteral("sync copie.tvo"));
        answer(QStringLiteral("Enregistrer une copie"), &seen);
        FileDialog::SetNextFileName(copy);
        app->MainFrame()->RunCommand(ID_FILE_SAVE);
        QCOMPARE(ReadBytes(path), again);
        QCOMPARE(ReadSubjectList(ReadBytes(copy).toStdString()).size(), std::size_t{4});
        QCOMPARE(doc->GetPathName(), copy);
        QVERIFY(!doc->IsModified());
    }

    void failedSaveTellsWhyAndKeepsTheBook()
    {
        FullDisk disk;
        BookStorage::SetFactory([&disk] { return std::make_unique<BookStorage>(disk); });
        const QString path = WriteBook(m_dir, QStringLiteral("plein.tvo"), {{"EDF", "2006", 0, "", {}}});
        auto app = StartApp({path});
        CTenorelDoc* doc = app->Documents().front();
        QVERIFY(!doc->IsReadOnly());
        const QByteArray before = ReadBytes(path);

        doc->AppendSubject(std::make_unique<CTenorels>("EDF", "2007", 0));
        doc->SetModifiedFlag(true);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        const MessageBox::Shown shown = MessageBox::History().back();
        QCOMPARE(shown.look, MessageBox::Stop);
        QVERIFY(shown.text.startsWith(QStringLiteral("Impossible d'enregistrer le livre '%1'.\n").arg(path)));
        QVERIFY2(shown.text.contains(QString::fromStdString(DescribeError(ENOSPC))), qPrintable(shown.text));
        QVERIFY(doc->IsModified());
        QCOMPARE(doc->GetSubjectCount(), std::size_t{2});
        QCOMPARE(ReadBytes(path), before);
        // The reservation is kept: the next save, with room again, works.
        QVERIFY(IsHeldByUs(path));
        disk.failing = false;
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QVERIFY(!doc->IsModified());
        QCOMPARE(ReadBytes(path), QByteArray::fromStdString(doc->Serialize()));

        // A folder where nothing can be made: the save under a new name fails.
        if (::geteuid() != 0) {
            QTemporaryDir locked;
            QVERIFY(QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            doc->SetModifiedFlag(true);
            FileDialog::SetNextFileName(locked.filePath(QStringLiteral("ailleurs.tvo")));
            QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE_AS));
            QCOMPARE(MessageBox::History().back().look, MessageBox::Stop);
            QVERIFY(MessageBox::History().back().text.startsWith(QStringLiteral("Impossible d'enregistrer le livre")));
            QVERIFY(doc->IsModified());
            QCOMPARE(doc->GetPathName(), path);
            QVERIFY(IsHeldByUs(path));
            QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        app.reset();
        BookStorage::SetFactory({});
    }
};

TAVELO_GUI_TEST_MAIN(TestReservation)
#include "test_reservation.moc"
