// Books through their windows: start-up, open failures, save and save as,
// read-only books and the reservation dialogs, closing and quitting, a second
// window on one book, recent files and printing.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPdfDocument>
#include <QPdfWriter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>

#include "app/book_storage.h"
#include "app/reservation_dlg.h"
#include "gui_fixture.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {


QString ControlText(const QWidget* control)
{
    if (auto* b = qobject_cast<const QPushButton*>(control))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(control))
        return l->text();
    return {};
}

} // namespace

class TestBook : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void init()
    {
        MessageBox::ClearHistory();
        FileDialog::ClearHistory();
        BookStorage::SetFactory({});
    }

    void startWithoutArgumentsMakesTavelo1()
    {
        auto app = StartApp();
        QCOMPARE(app->Documents().size(), std::size_t{1});
        CTenorelDoc* doc = app->Documents().front();
        QCOMPARE(doc->GetTitle(), QStringLiteral("Tavelo1"));
        QVERIFY(doc->GetPathName().isEmpty());
        QCOMPARE(doc->GetSubjectCount(), std::size_t{0});
        QVERIFY(!doc->IsModified());
        QVERIFY(ActiveWindow(*app)->isMaximized());
    }

    void openFailuresOpenNoWindow()
    {
        bool started = true;
        const QString missing = m_dir.filePath(QStringLiteral("absent.tvo"));
        auto app = StartApp({missing}, &started);
        QVERIFY(!started);
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History()[0].text, QStringLiteral("Erreur lors de l'ouverture du fichier '%1'").arg(missing));
        QCOMPARE(MessageBox::History()[0].look, MessageBox::NoIcon);
        QVERIFY(app->MainFrame()->BookWindows().empty());
        QVERIFY(app->Documents().empty());

        // A damaged book: a French reason, stop icon, no window.
        MessageBox::ClearHistory();
        const QString damaged = m_dir.filePath(QStringLiteral("damaged.tvo"));
        {
            QFile f(damaged);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("\x02\x00\xFF\xFF\x02\x00\x09\x00" "CTenorels\x06Imp", 20));
        }
        auto second = StartApp({damaged}, &started);
        QVERIFY(!started);
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History()[0].look, MessageBox::Stop);
        QVERIFY(MessageBox::History()[0].text.startsWith(QStringLiteral("Impossible de lire le livre '%1'.").arg(damaged)));
        QVERIFY(second->MainFrame()->BookWindows().empty());

        QVERIFY(MessageBox::History()[0].text.contains(QStringLiteral("tronqué")));

        // Files that are no book at all (a PDF, a text renamed .tvo) say so,
        // and not that a book was cut short.
        const QString pdf = m_dir.filePath(QStringLiteral("rapport.tvo"));
        QVERIFY(QFile::copy(QStringLiteral(TAVELO_DOCUMENT_FIXTURES "/rapport.pdf"), pdf));
        const QString note = m_dir.filePath(QStringLiteral("note.tvo"));
        {
            QFile f(note);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Liste des courses : pain, lait.\n");
        }
        for (const QString& notABook : {pdf, note}) {
            MessageBox::ClearHistory();
            QVERIFY(!second->OpenDocumentFile(notABook));
            QCOMPARE(MessageBox::History().size(), std::size_t{1});
            QCOMPARE(MessageBox::History()[0].text,
                     QStringLiteral("Impossible de lire le livre '%1'.\nCe fichier n'est pas un livre Tavelo.").arg(notABook));
        }

        // A record schema this program does not know: "Format du fichier inconnu".
        MessageBox::ClearHistory();
        const QString unknown = m_dir.filePath(QStringLiteral("schema9.tvo"));
        {
            QFile f(unknown);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("\x01\x00\xFF\xFF\x09\x00\x09\x00" "CTenorels\x01" "a\x01" "b\x00\x00\x00\x00\x00\x00\x00", 27));
        }
        QVERIFY(!second->OpenDocumentFile(unknown));
        QCOMPARE(MessageBox::History().size(), std::size_t{2});
        QCOMPARE(MessageBox::History()[0].text, QStringLiteral("Format du fichier inconnu"));
        QCOMPARE(MessageBox::History()[0].look, MessageBox::Stop);
        QVERIFY(MessageBox::History()[1].text.startsWith(QStringLiteral("Impossible de lire le livre '%1'.").arg(unknown)));
        QVERIFY(second->MainFrame()->BookWindows().empty());
        QScopedPointer<QMessageBox> box(MessageBox::Create(nullptr, QStringLiteral("x"), MessageBox::Stop, QMessageBox::Ok,
                                                           QMessageBox::NoButton));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->windowTitle(), QStringLiteral("Tavelo"));
    }

    void zeroLengthFileIsAnEmptyBook()
    {
        const QString empty = m_dir.filePath(QStringLiteral("vide.tvo"));
        QFile f(empty);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        bool started = false;
        auto app = StartApp({empty}, &started);
        QVERIFY(started);
        QCOMPARE(app->Documents().front()->GetTitle(), QStringLiteral("vide"));
        QVERIFY(!app->Documents().front()->IsModified());
    }

    void saveAsRenamesTheRoot()
    {
        const QString path = WriteBook(m_dir, QStringLiteral("ancien.tvo"), {{"Impôts", "2006", 1, "", {"C:\\Docs\\avis.pdf"}}});
        auto app = StartApp({path});
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        QCOMPARE(window->Tree()->GetRootItem()->text(0), QStringLiteral("ancien"));
        QCOMPARE(window->windowTitle(), QStringLiteral("ancien"));

        const QString target = m_dir.filePath(QStringLiteral("nouveau"));
        FileDialog::SetNextFileName(target);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE_AS));
        QCOMPARE(FileDialog::History().back().kind, FileDialog::Save);
        QCOMPARE(FileDialog::History().back().filter, QStringLiteral("Fichiers Tavelo (*.tvo)"));
        QCOMPARE(doc->GetPathName(), target + QStringLiteral(".tvo"));
        QCOMPARE(window->Tree()->GetRootItem()->text(0), QStringLiteral("nouveau"));
        QCOMPARE(window->windowTitle(), QStringLiteral("nouveau"));
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("Tavelo - [nouveau]"));
        QCOMPARE(ReadBytes(target + QStringLiteral(".tvo")), ReadBytes(path));
        QCOMPARE(app->RecentFiles().front(), target + QStringLiteral(".tvo"));

        // "&Enregistrer" on a book with a path writes it without asking.
        doc->GetSubject(0)->SetState(0);
        doc->SetModifiedFlag(true);
        const std::size_t asked = FileDialog::History().size();
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QCOMPARE(FileDialog::History().size(), asked);
        QVERIFY(!doc->IsModified());
        QCOMPARE(ReadBytes(target + QStringLiteral(".tvo")), QByteArray::fromStdString(doc->Serialize()));
    }

    void newBookSavedEmpty()
    {
        auto app = StartApp();
        const QString target = m_dir.filePath(QStringLiteral("vide2.tvo"));
        FileDialog::SetNextFileName(target);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE));
        QCOMPARE(FileDialog::History().back().initialPath, QStringLiteral("Tavelo1.tvo"));
        QCOMPARE(ReadBytes(target), QByteArray("\x00\x00", 2));
        // A failed save tells why and leaves the book modified.
        app->Documents().front()->SetModifiedFlag(true);
        FileDialog::SetNextFileName(m_dir.filePath(QStringLiteral("pas/de/dossier.tvo")));
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_SAVE_AS));
        QCOMPARE(MessageBox::History().back().look, MessageBox::Stop);
        QVERIFY(MessageBox::History().back().text.startsWith(QStringLiteral("Impossible d'enregistrer le livre")));
        QVERIFY(app->Documents().front()->IsModified());
    }

    void reservationDialogTexts()
    {
        CReservationDlg reservation(QStringLiteral("livre.tvo"), nullptr);
        QCOMPARE(reservation.windowTitle(), QStringLiteral("Réservation de fichier"));
        QCOMPARE(ControlText(reservation.Control(1009)), QStringLiteral("livre.tvo est en modification"));
        QCOMPARE(ControlText(reservation.Control(1)), QStringLiteral("&Lecture seule"));
        QCOMPARE(ControlText(reservation.Control(1008)), QStringLiteral("&Notifier"));
        QCOMPARE(ControlText(reservation.Control(2)), QStringLiteral("&Annuler"));
        QVERIFY(static_cast<QPushButton*>(reservation.Control(1))->isDefault());
        bool hint = false;
        for (QLabel* l : reservation.findChildren<QLabel*>())
            hint |= l->text() == QStringLiteral("Ouvrez en lecture seule ou cliquez sur Notifier pour être averti quand ce dernier sera disponible");
        QVERIFY(hint);
        static_cast<QPushButton*>(reservation.Control(1008))->click();
        QCOMPARE(reservation.result(), int{QDialog::Accepted});
        QCOMPARE(reservation.GetChoice(), 1);

        CAvailableDlg available(QStringLiteral("livre.tvo"), nullptr);
        QCOMPARE(available.windowTitle(), QStringLiteral("Réservation de fichier"));
        QCOMPARE(ControlText(available.Control(1009)), QStringLiteral("livre.tvo est maintenant disponible pour modification"));
        QCOMPARE(ControlText(available.Control(1)), QStringLiteral("Lecture-Ecriture"));
        QCOMPARE(ControlText(available.Control(2)), QStringLiteral("Annuler"));
        hint = false;
        for (QLabel* l : available.findChildren<QLabel*>())
            hint |= l->text() == QStringLiteral("Ouvrez le fichier en lecture-écriture pour le modifier");
        QVERIFY(hint);
        static_cast<QPushButton*>(available.Control(2))->click();
        QCOMPARE(available.result(), int{QDialog::Rejected});
    }

    void closingAskesToSaveModifiedBooks()
    {
        auto app = StartApp();
        CTenorelDoc* doc = app->Documents().front();
        doc->AppendSubject(std::make_unique<CTenorels>("EDF", "2006", 0));
        doc->SetModifiedFlag(true);

        MessageBox::SetNextAnswer(QMessageBox::Cancel);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_CLOSE));
        QCOMPARE(MessageBox::History().back().text, QStringLiteral("Enregistrer les modifications de Tavelo1 ?"));
        QCOMPARE(MessageBox::History().back().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(app->Documents().size(), std::size_t{1});

        // Quitting asks too; "Oui" saves through the file dialog.
        const QString target = m_dir.filePath(QStringLiteral("quitte.tvo"));
        MessageBox::SetNextAnswer(QMessageBox::Yes);
        FileDialog::SetNextFileName(target);
        QVERIFY(app->MainFrame()->RunCommand(ID_APP_EXIT));
        QTRY_VERIFY(app->Documents().empty());
        QVERIFY(!app->MainFrame()->isVisible());
        QCOMPARE(ReadBytes(target).size(), 2 + 2 + 2 + 2 + 9 + 4 + 5 + 4 + 1 + 2);
    }

    void secondWindowOnOneBook()
    {
        const QString path = WriteBook(m_dir, QStringLiteral("deux.tvo"), {{"EDF", "2006", 1, "x", {"/a"}}, {"GDF", "2007", 0, "", {}}});
        auto app = StartApp({path});
        CSplitter* first = ActiveWindow(*app);
        CTenorelDoc* doc = first->GetDocument();
        QVERIFY(app->MainFrame()->RunCommand(ID_WINDOW_NEW));
        QCOMPARE(app->MainFrame()->BookWindows().size(), std::size_t{2});
        CSplitter* second = ActiveWindow(*app);
        QVERIFY(second != first);
        QCOMPARE(second->GetDocument(), doc);
        QCOMPARE(doc->GetViewCount(), std::size_t{6});
        QCOMPARE(first->windowTitle(), QStringLiteral("deux:1"));
        QCOMPARE(second->windowTitle(), QStringLiteral("deux:2"));
        // The second window has its own full tree.
        QCOMPARE(second->Tree()->GetRootItem()->childCount(), 2);
        QVERIFY(second->Tree() != first->Tree());

        // Selecting in the second tree fills the book's (first window's) list.
        second->Tree()->setCurrentItem(FindItem(second->Tree(), QStringLiteral("2006")));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(0));
        QCOMPARE(first->List()->GetRowCount(), 1);

        // The window menu lists both windows and activates the one chosen.
        QMenu* windowMenu = TopMenu(app->MainFrame()->menuBar(), QStringLiteral("Fe&nêtre"));
        QMetaObject::invokeMethod(windowMenu, "aboutToShow");
        QStringList entries;
        QAction* firstEntry = nullptr;
        for (QAction* a : windowMenu->actions()) {
            if (a->property("windowListEntry").toBool() && !a->isSeparator()) {
                entries << a->text();
                if (!firstEntry)
                    firstEntry = a;
            }
        }
        QCOMPARE(entries, (QStringList{QStringLiteral("&1 deux:1"), QStringLiteral("&2 deux:2")}));
        QVERIFY(!firstEntry->isChecked());
        firstEntry->trigger();
        QTRY_COMPARE(ActiveWindow(*app), first);
        app->MainFrame()->MdiArea()->setActiveSubWindow(second);

        app->MainFrame()->RunCommand(ID_WINDOW_TILE_HORZ);
        app->MainFrame()->RunCommand(ID_WINDOW_CASCADE);
        app->MainFrame()->RunCommand(ID_WINDOW_ARRANGE);

        // Closing one window keeps the book; the other becomes its first.
        first->close();
        QTRY_COMPARE(app->MainFrame()->BookWindows().size(), std::size_t{1});
        QCOMPARE(app->Documents().size(), std::size_t{1});
        QCOMPARE(doc->GetViewCount(), std::size_t{3});
        QCOMPARE(doc->GetTreeView(), second->Tree());
        QTRY_COMPARE(second->windowTitle(), QStringLiteral("deux"));
        // Renaming reaches the remaining tree's root.
        doc->SetTitle(QStringLiteral("autre"));
        QCOMPARE(second->Tree()->GetRootItem()->text(0), QStringLiteral("autre"));
        // Opening the same path again activates the open book.
        QCOMPARE(app->OpenDocumentFile(path), doc);
        QCOMPARE(app->Documents().size(), std::size_t{1});
    }

    void recentFiles()
    {
        const QString a = WriteBook(m_dir, QStringLiteral("r1.tvo"), {});
        const QString b = WriteBook(m_dir, QStringLiteral("r2.tvo"), {});
        auto app = StartApp({a});
        QVERIFY(app->OpenDocumentFile(b));
        QCOMPARE(app->RecentFiles().mid(0, 2), (QStringList{b, a}));
        QSettings settings(QStringLiteral("Morv"), QStringLiteral("Tavelo"));
        QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(), b);
        for (int i = 3; i <= 6; ++i)
            app->OpenDocumentFile(WriteBook(m_dir, QStringLiteral("r%1.tvo").arg(i), {}));
        QCOMPARE(app->RecentFiles().size(), 4);

        // The recent-file entries in the file menu, and opening one.
        QMenu* file = TopMenu(app->MainFrame()->menuBar(), QStringLiteral("&Fichier"));
        QMetaObject::invokeMethod(file, "aboutToShow");
        QAction* entry = FindCommandAction(file, ID_FILE_MRU_FIRST + 3);
        QVERIFY(entry && entry->isEnabled());
        QCOMPARE(entry->text(), QStringLiteral("&4 ") + m_dir.filePath(QStringLiteral("r3.tvo")));
    }

    void openCommandAndDroppedFiles()
    {
        const QString a = WriteBook(m_dir, QStringLiteral("ouvert.tvo"), {{"EDF", "2006", 0, "", {}}});
        const QString b = WriteBook(m_dir, QStringLiteral("depose.tvo"), {{"GDF", "2007", 0, "", {}}});
        auto app = StartApp();
        FileDialog::SetNextFileName(a);
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_OPEN));
        QCOMPARE(FileDialog::History().back().kind, FileDialog::Open);
        QVERIFY(FileDialog::History().back().filter.startsWith(QStringLiteral("Fichiers Tavelo (*.tvo)")));
        QCOMPARE(app->Documents().size(), std::size_t{2});
        QCOMPARE(ActiveWindow(*app)->GetDocument()->GetTitle(), QStringLiteral("ouvert"));

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(b)});
        // As a drag from the file manager arrives: enter, then drop.
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(app->MainFrame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(app->MainFrame(), &drop);
        QTRY_COMPARE(app->Documents().size(), std::size_t{3});
        QCOMPARE(ActiveWindow(*app)->GetDocument()->GetTitle(), QStringLiteral("depose"));
        QCOMPARE(ActiveWindow(*app)->Tree()->GetRootItem()->child(0)->text(0), QStringLiteral("GDF"));
    }

    void printingTheTree()
    {
        const QString path = WriteBook(m_dir, QStringLiteral("imprime.tvo"),
                                       {{"Impôts", "Avis 2006", 1, "", {}}, {"EDF", "Facture", 0, "", {}}});
        auto app = StartApp({path});
        CSplitter* window = ActiveWindow(*app);
        const int shown = PrintDialog::ShownCount();
        PrintDialog::SetNextAnswer(false);
        QTest::keyClick(window->Tree(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(PrintDialog::ShownCount(), shown + 1);

        // Both are in the File menu; the preview offers the details too.
        QMenu* file = TopMenu(app->MainFrame()->menuBar(), QStringLiteral("&Fichier"));
        QMetaObject::invokeMethod(file, "aboutToShow");
        QAction* print = FindCommandAction(file, ID_FILE_PRINT);
        QVERIFY(print && print->isEnabled());
        QCOMPARE(print->text(), QStringLiteral("Im&primer…\tCtrl+P"));
        PrintDialog::SetNextAnswer(false);
        print->trigger();
        QCOMPARE(PrintDialog::ShownCount(), shown + 2);
        QAction* preview = FindCommandAction(file, ID_FILE_PRINT_PREVIEW);
        QVERIFY(preview && preview->isEnabled());
        QString detailsOffer;
        DialogRunner::SetNextHandler([&detailsOffer](QDialog& dialog) {
            if (auto* details = dialog.findChild<QAction*>(QStringLiteral("printDetails")))
                detailsOffer = details->text();
            return int{QDialog::Rejected};
        });
        preview->trigger();
        QCOMPARE(detailsOffer, QStringLiteral("Imprimer l'attendu et les documents de chaque sujet"));

        const auto printed = [&](const QString& name) {
            const QString pdf = m_dir.filePath(name);
            {
                QPdfWriter writer(pdf);
                writer.setPageMargins(QMarginsF(2, 2, 2, 2), QPageLayout::Millimeter);
                if (!window->Tree()->PrintTree(writer))
                    return QString();
            }
            QPdfDocument document;
            if (document.load(pdf) != QPdfDocument::Error::None)
                return QString();
            // Never nearer the paper's edges than 15 mm (42.5 points).
            const QRectF box = document.getAllText(0).boundingRectangle();
            const QSizeF paper = document.pagePointSize(0);
            if (box.left() < 42 || box.top() < 42 || box.right() > paper.width() - 42)
                return QStringLiteral("outside the margins");
            return document.getAllText(0).text();
        };
        const QString tree = printed(QStringLiteral("arbre.pdf"));
        for (const char* expected : {"imprime", "EDF", "Impôts", "Avis 2006 (clôturé)", "Facture (en cours)"})
            QVERIFY2(tree.contains(QString::fromUtf8(expected)), qPrintable(tree));
        QVERIFY(!tree.contains(QStringLiteral("Avis reçu")));

        // A long name wraps within the margins; the details add each
        // subject's expected text and documents.
        CTenorels* subject = window->GetDocument()->GetSubject(1);
        const QString longName = QStringLiteral("Facture d'électricité du logement de la rue des Lilas, ") +
                                 QStringLiteral("relevé de compteur contesté puis corrigé après réclamation");
        subject->SetSubjectName(longName.toStdString());
        subject->SetExpectedText("Avis reçu\r\nRéponse attendue");
        subject->AddDocumentPath("/home/ana/Factures/2006/electricite-rue-des-lilas-releve-conteste.pdf");
        window->Tree()->FindSubjectItem(subject)->setText(0, longName);
        window->Tree()->SetPrintDetails(true);
        const QString details = printed(QStringLiteral("details.pdf"));
        const auto flat = [](QString text) { return text.remove(QRegularExpression(QStringLiteral("\\s"))); };
        for (const QString& expected : {longName + QStringLiteral(" (en cours)"), QStringLiteral("Avis reçu"),
                                        QStringLiteral("Réponse attendue"),
                                        QStringLiteral("/home/ana/Factures/2006/electricite-rue-des-lilas-releve-conteste.pdf")})
            QVERIFY2(flat(details).contains(flat(expected)), qPrintable(details));
        window->Tree()->SetPrintDetails(false);
    }
};

TAVELO_GUI_TEST_MAIN(TestBook)
#include "test_book.moc"
