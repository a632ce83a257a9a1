// The preview pane on each kind of file, and the command routing rules.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPdfDocument>
#include <QPdfView>
#include <QPdfWriter>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QToolButton>
#include <sys/stat.h>

#include "app/editing_commands.h"
#include "search/search_pattern.h"

#include "gui_fixture.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {
QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

struct Target : CCmdTarget {};
} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void pagesByKindOfFile()
    {
        CHTMLView preview(nullptr);
        preview.resize(600, 400);
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Empty);
        preview.LoadBlankPage();
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Blank);
        QCOMPARE(preview.DisplayedText(), QString());
        QCOMPARE(qstrlen(CHTMLView::BlankPageHtml()), size_t{36});

        // Plain text: UTF-8, Windows-1252, UTF-16 with its mark.
        preview.Navigate(WriteFile(m_dir, QStringLiteral("a.txt"), "Re\xC3\xA7u"));
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Text);
        QCOMPARE(preview.DisplayedText(), QStringLiteral("Reçu"));
        preview.Navigate(WriteFile(m_dir, QStringLiteral("b.TXT"), "Re\xE7u \x80"));
        QCOMPARE(preview.DisplayedText(), QStringLiteral("Reçu €"));
        preview.Navigate(WriteFile(m_dir, QStringLiteral("c.txt"), QByteArray("\xFF\xFE" "R\0\xE9\0", 6)));
        QCOMPARE(preview.DisplayedText(), QStringLiteral("Ré"));
        // Text is never taken for markup.
        preview.Navigate(WriteFile(m_dir, QStringLiteral("d.txt"), "<b>gras</b>"));
        QCOMPARE(preview.DisplayedText(), QStringLiteral("<b>gras</b>"));

        preview.Navigate(WriteFile(m_dir, QStringLiteral("page.html"), "<html><body><h1>Titre</h1><p>Corps</p></body></html>"));
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Html);
        QVERIFY(preview.DisplayedText().contains(QStringLiteral("Titre")));
        QVERIFY(!preview.DisplayedText().contains(QStringLiteral("<h1>")));

        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString png = m_dir.filePath(QStringLiteral("photo.png"));
        QVERIFY(image.save(png));
        preview.Navigate(png);
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Image);
        QCOMPARE(preview.currentWidget(), preview.Browser()->parentWidget());

        const QString pdf = m_dir.filePath(QStringLiteral("doc.pdf"));
        {
            QPdfWriter writer(pdf);
            QPainter painter(&writer);
            painter.drawText(100, 100, QStringLiteral("Bonjour"));
        }
        preview.Navigate(pdf);
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Pdf);
        QCOMPARE(preview.currentWidget(), static_cast<QWidget*>(preview.PdfView()));
        QCOMPARE(preview.PdfView()->document()->pageCount(), 1);

        // A damaged PDF: an error page, not a crash.
        preview.Navigate(WriteFile(m_dir, QStringLiteral("faux.pdf"), "pas un pdf"));
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Error);

        preview.Navigate(WriteFile(m_dir, QStringLiteral("plan.dwg"), "AC1032"));
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::NoPreview);
        QVERIFY(preview.DisplayedText().contains(QStringLiteral("plan.dwg")));
        QVERIFY(preview.OpenButton()->isEnabled());
        QCOMPARE(preview.OpenButton()->text(), QStringLiteral("Ouvrir avec l'application associée"));

        const QString missing = m_dir.filePath(QStringLiteral("parti.pdf"));
        preview.Navigate(missing);
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Error);
        QVERIFY(preview.DisplayedText().contains(QStringLiteral("Le fichier « %1 » est introuvable.").arg(missing)));

        // A folder in place of a file.
        preview.Navigate(m_dir.path() + QStringLiteral("/"));
        QVERIFY(preview.CurrentPage() == CHTMLView::Page::NoPreview || preview.CurrentPage() == CHTMLView::Page::Error);
        QVERIFY(preview.CurrentPage() != CHTMLView::Page::NoPreview || !preview.OpenButton()->isEnabled());
    }

    // Office files and e-mails show the text the search reads out of them,
    // read on a thread of their own, with the button that opens the file; a
    // damaged one says why, and still offers the button.
    void extractedTextOfTheOtherKinds()
    {
        CHTMLView preview(nullptr);
        preview.resize(700, 500);
        const QString fixtures = QStringLiteral(TAVELO_DOCUMENT_FIXTURES "/");
        const std::pair<const char*, const char*> cases[] = {
            {"courrier.docx", "Hirondelle"}, {"courrier.odt", "Libellule"}, {"courrier.eml", "Relevé trimestriel"},
            {"budget.xlsx", "zèbre"}, {"lettre.doc", "Quincaillerie"},
        };
        for (const auto& [file, word] : cases) {
            preview.Navigate(fixtures + QLatin1String(file));
            QTRY_COMPARE_WITH_TIMEOUT(preview.CurrentPage(), CHTMLView::Page::Extracted, 30000);
            QVERIFY2(preview.DisplayedText().contains(QString::fromUtf8(word), Qt::CaseInsensitive), file);
            QCOMPARE(preview.HitBarText(), QStringLiteral("Texte lu dans « %1 »").arg(QLatin1String(file)));
            QVERIFY(preview.BarOpenButton()->isVisibleTo(&preview));
            QCOMPARE(preview.BarOpenButton()->text(), QStringLiteral("Ouvrir avec l'application associée"));
        }
        // A newer choice wins over a reading still under way.
        preview.Navigate(fixtures + QStringLiteral("courrier.odt"));
        preview.Navigate(fixtures + QStringLiteral("utf8.txt"));
        QTest::qWait(300);
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Text);

        preview.Navigate(WriteFile(m_dir, QStringLiteral("abime.DOCX"), "PK\x03\x04 pas un zip"));
        QTRY_COMPARE_WITH_TIMEOUT(preview.CurrentPage(), CHTMLView::Page::NoPreview, 30000);
        QVERIFY2(preview.DisplayedText().startsWith(QStringLiteral("Le texte du fichier « abime.DOCX » ne peut pas être lu : ")),
                 qPrintable(preview.DisplayedText()));
        QVERIFY(preview.OpenButton()->isEnabled());
    }

    // In search navigation the matches are marked, the first one current, and
    // the bar's buttons go round them; a PDF opens on the first page that
    // holds one.
    void hitsOfTheSearchAreShown()
    {
        CHTMLView preview(nullptr);
        preview.resize(700, 500);
        preview.SetSearchPattern(std::make_shared<SearchPattern>("fact.re", SearchOptions{}));
        const auto selected = [&preview] { return preview.Browser()->textCursor().selectedText(); };

        // Line ends of two characters, accents and a character past U+FFFF
        // before the hits: the marks stay on the words.
        preview.Navigate(WriteFile(m_dir, QStringLiteral("notes.md"),
                                   "\xC3\x89t\xC3\xA9 \xF0\x9F\x98\x80\r\nFacture\r\n\r\nla facture, la FACTURE."));
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Text);
        QCOMPARE(preview.HitCount(), 3);
        QCOMPARE(preview.Browser()->extraSelections().size(), 3);
        QCOMPARE(preview.HitBarText(), QStringLiteral("Occurrence 1 sur 3"));
        QCOMPARE(selected(), QStringLiteral("Facture"));
        QTest::mouseClick(preview.NextHitButton(), Qt::LeftButton);
        QCOMPARE(preview.HitBarText(), QStringLiteral("Occurrence 2 sur 3"));
        QCOMPARE(selected(), QStringLiteral("facture"));
        QTest::mouseClick(preview.PreviousHitButton(), Qt::LeftButton);
        QTest::mouseClick(preview.PreviousHitButton(), Qt::LeftButton);
        QCOMPARE(preview.HitBarText(), QStringLiteral("Occurrence 3 sur 3"));
        QCOMPARE(selected(), QStringLiteral("FACTURE"));
        // F3 and Shift+F3 wherever the focus is in the preview.
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QTest::keyClick(preview.Browser(), Qt::Key_F3);
        QCOMPARE(preview.HitBarText(), QStringLiteral("Occurrence 1 sur 3"));
        QTest::keyClick(preview.Browser(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(preview.HitBarText(), QStringLiteral("Occurrence 3 sur 3"));

        preview.Navigate(WriteFile(m_dir, QStringLiteral("recu.HTM"),
                                   "<html><body><p>Montant&nbsp;: 10&euro;</p><table><tr><td>a</td>"
                                   "<td>La facture</td></tr></table><script>facture()</script></body></html>"));
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Html);
        QCOMPARE(preview.HitCount(), 1);
        QCOMPARE(selected(), QStringLiteral("facture"));
        QVERIFY(!preview.NextHitButton()->isEnabled());

        preview.Navigate(WriteFile(m_dir, QStringLiteral("autre.txt"), "rien ici"));
        QCOMPARE(preview.HitCount(), 0);
        QCOMPARE(preview.HitBarText(), QStringLiteral("Aucune occurrence de « fact.re » dans ce document"));

        // A word processor's text is searched for the word literally, as the
        // search does.
        preview.Navigate(QStringLiteral(TAVELO_DOCUMENT_FIXTURES "/courrier.odt"));
        QTRY_COMPARE_WITH_TIMEOUT(preview.CurrentPage(), CHTMLView::Page::Extracted, 30000);
        QCOMPARE(preview.HitCount(), 0);
        preview.SetSearchPattern(std::make_shared<SearchPattern>("facture", SearchOptions{}));
        preview.Navigate(QStringLiteral(TAVELO_DOCUMENT_FIXTURES "/courrier.odt"));
        QTRY_COMPARE_WITH_TIMEOUT(preview.CurrentPage(), CHTMLView::Page::Extracted, 30000);
        QVERIFY(preview.HitCount() >= 1);
        QVERIFY2(preview.HitBarText().startsWith(QStringLiteral("Texte lu dans « courrier.odt » — Occurrence 1 sur ")),
                 qPrintable(preview.HitBarText()));
        QCOMPARE(selected().toLower(), QStringLiteral("facture"));

        const QString pdf = m_dir.filePath(QStringLiteral("releve.pdf"));
        {
            QPdfWriter writer(pdf);
            QPainter painter(&writer);
            painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
            painter.drawText(200, 400, QStringLiteral("Bonjour"));
            writer.newPage();
            painter.drawText(200, 400, QStringLiteral("Montant de la facture"));
            painter.drawText(200, 1400, QStringLiteral("Seconde facture"));
        }
        const auto yellowish = [](const QImage& image) {
            int count = 0;
            for (int y = 0; y < image.height(); y += 2)
                for (int x = 0; x < image.width(); x += 2) {
                    const QColor c = image.pixelColor(x, y);
                    count += c.red() > 200 && c.green() > 120 && c.blue() < 120;
                }
            return count;
        };
        preview.Navigate(pdf);
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Pdf);
        QCOMPARE(preview.HitPdfPage(), 1);
        QCOMPARE(preview.HitCount(), 2);
        QCOMPARE(preview.HitBarText(), QStringLiteral("Page 2 sur 2 — occurrence 1 sur 2"));
        QVERIFY(yellowish(preview.HitPdfImage()) > 20);
        QTest::mouseClick(preview.NextHitButton(), Qt::LeftButton);
        QCOMPARE(preview.HitBarText(), QStringLiteral("Page 2 sur 2 — occurrence 2 sur 2"));

        // Back in standard navigation: nothing is marked, the PDF is shown whole.
        preview.SetSearchPattern(nullptr);
        preview.Navigate(pdf);
        QCOMPARE(preview.currentWidget(), static_cast<QWidget*>(preview.PdfView()));
        QCOMPARE(preview.HitPdfPage(), -1);
        preview.Navigate(m_dir.filePath(QStringLiteral("notes.md")));
        QCOMPARE(preview.HitCount(), 0);
        QVERIFY(preview.Browser()->extraSelections().isEmpty());
        QCOMPARE(preview.HitBarText(), QString());
    }

    void oddFilesAreNeverOpened()
    {
        // Named pipes would freeze the window, devices never end, folders are no
        // documents, whatever their names say; nor may a page's picture be a pipe.
        QTemporaryDir dir;
        const QByteArray fifo = dir.filePath(QStringLiteral("tube.txt")).toLocal8Bit();
        QCOMPARE(::mkfifo(fifo.constData(), 0644), 0);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("zero.pdf"))));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("zero.png"))));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dossier.txt")));
        CHTMLView preview(nullptr);
        preview.resize(600, 400);
        for (const char* name : {"tube.txt", "zero.pdf", "zero.png", "dossier.txt"}) {
            preview.Navigate(dir.filePath(QString::fromLatin1(name)));
            QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Error);
            QVERIFY2(preview.DisplayedText().contains(QStringLiteral("ne peut pas être affiché")),
                     qPrintable(preview.DisplayedText()));
        }
        QCOMPARE(::mkfifo(dir.filePath(QStringLiteral("image.png")).toLocal8Bit().constData(), 0644), 0);
        preview.Navigate(WriteFile(dir, QStringLiteral("page.html"), "<html><body><p>Texte</p><img src=\"image.png\"></body></html>"));
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::Html);
        QVERIFY(preview.DisplayedText().contains(QStringLiteral("Texte")));
    }

    // Enter and Space on a document row show it; a search's picture opens at
    // its top whatever the page before showed; Ctrl+A in the preview's text
    // selects the text and makes no subject.
    void keysOfTheFocusedPane()
    {
        int newSubject = 0;
        RegisterEditingCommands();
        CommandRegistry<CTenorelDoc>::Register(ID_NEW_SUBJECT, [&newSubject](CTenorelDoc&) { ++newSubject; });
        QByteArray longText;
        for (int i = 0; i < 400; ++i)
            longText += "ligne " + QByteArray::number(i) + "\n";
        longText += "la facture est ici\n";
        const QString text = WriteFile(m_dir, QStringLiteral("long.txt"), longText);
        QImage tall(200, 3000, QImage::Format_RGB32);
        tall.fill(Qt::blue);
        const QString picture = m_dir.filePath(QStringLiteral("scan.png"));
        QVERIFY(tall.save(picture));
        auto app = StartApp({WriteBook(m_dir, QStringLiteral("touches.tvo"),
                                       {{"EDF", "2006", 0, "", {text.toStdString(), picture.toStdString()}}})});
        CSplitter* window = ActiveWindow(*app);
        CHTMLView* preview = window->Preview();
        CListeView* list = window->List();
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("2006")));
        preview->SetSearchPattern(std::make_shared<SearchPattern>("facture", SearchOptions{}));

        list->setFocus();
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(preview->CurrentPath(), text);
        // Shown at its hit, at the end of the text.
        QCOMPARE(preview->HitBarText(), QStringLiteral("Occurrence 1 sur 1"));
        QVERIFY(preview->Browser()->verticalScrollBar()->value() > 0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(preview->CurrentPath(), picture);
        QCOMPARE(preview->CurrentPage(), CHTMLView::Page::Image);
        QVERIFY(preview->Browser()->verticalScrollBar()->maximum() > 0);
        QCOMPARE(preview->Browser()->verticalScrollBar()->value(), 0);

        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(preview->CurrentPath(), text);
        QTest::mouseClick(preview->Browser()->viewport(), Qt::LeftButton);
        QCOMPARE(window->GetActiveView(), static_cast<CView*>(preview));
        QTest::keyClick(preview->Browser(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(newSubject, 0);
        QCOMPARE(preview->Browser()->textCursor().selectedText().size(), preview->DisplayedText().size());
        // Back in the list, Ctrl+A makes a subject again.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(newSubject, 1);
        CommandRegistry<CTenorelDoc>::Register(ID_NEW_SUBJECT, OnNewSubject);
    }

    void routingRules()
    {
        Target view, book, frame;
        int ran = 0;
        const CommandRoute route{&view, &book, &frame};
        // No handler anywhere: disabled, not run.
        QVERIFY(!UpdateCommand(route, 1).IsEnabled());
        QVERIFY(!ExecuteCommand(route, 1));
        // The first handler on the route runs.
        book.OnCommand(1, [&ran] { ran = 2; });
        frame.OnCommand(1, [&ran] { ran = 3; });
        QVERIFY(ExecuteCommand(route, 1));
        QCOMPARE(ran, 2);
        // An update handler further along the route still decides.
        frame.OnUpdate(1, [](CCmdUI& ui) { ui.Enable(false); });
        ran = 0;
        QVERIFY(!ExecuteCommand(route, 1));
        QCOMPARE(ran, 0);
        // The first update handler found wins.
        view.OnUpdate(1, [](CCmdUI& ui) {
            ui.SetCheck(true);
            ui.SetText(QStringLiteral("x"));
        });
        const CCmdUI ui = UpdateCommand(route, 1);
        QVERIFY(ui.IsEnabled());
        QCOMPARE(ui.Checked(), std::optional<bool>(true));
        QCOMPARE(*ui.Text(), QStringLiteral("x"));
        // An update handler without a command handler on the route: disabled.
        view.OnUpdate(2, [](CCmdUI& ui) { ui.Enable(true); });
        QVERIFY(!UpdateCommand(route, 2).IsEnabled());
        // A route without the target that has the handler.
        QVERIFY(!ExecuteCommand({&frame}, 3));
    }
};

TAVELO_GUI_TEST_MAIN(TestPreview)
#include "test_preview.moc"
