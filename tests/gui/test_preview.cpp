// The preview pane on each kind of file, and the command routing rules.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPdfDocument>
#include <QPdfView>
#include <QPdfWriter>
#include <QPainter>
#include <QPushButton>
#include <QTextBrowser>
#include <sys/stat.h>

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
        QCOMPARE(preview.currentWidget(), static_cast<QWidget*>(preview.Browser()));

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

        preview.Navigate(WriteFile(m_dir, QStringLiteral("lettre.odt"), "PK\x03\x04"));
        QCOMPARE(preview.CurrentPage(), CHTMLView::Page::NoPreview);
        QVERIFY(preview.DisplayedText().contains(QStringLiteral("lettre.odt")));
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
