// The program on the desktop: the per-user registration of a build tree's
// program (desktop entry, MIME type with its magic, icons) and the example
// book of the "&?" menu.

#include <QDateTime>
#include <QFile>
#include <QMimeDatabase>

#include "app/desktop_association.h"
#include "app/example_book.h"
#include "gui_fixture.h"
#include "search/search_pattern.h"
#include "search/search_run.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes, const QDateTime& modified)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.flush(); // a write after the date is set would move it
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QDateTime Ago(int seconds)
{
    return QDateTime::currentDateTime().addSecs(-seconds);
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startFromTheBuildTreeRegistersTheDesktopFiles()
    {
        // The test program runs inside the build tree: start-up registers.
        auto app = StartApp();
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        const QByteArray entry = ReadBytes(data + QStringLiteral("/applications/fr.morv.Tavelo.desktop"));
        QVERIFY(entry.contains("MimeType=application/x-tavelo-book;\n"));
        QVERIFY2(entry.contains("Exec=\"" + QByteArray(TAVELO_BUILD_EXECUTABLE) + "\" %f\n"), entry.constData());
        QVERIFY(!entry.contains("TryExec="));
        QVERIFY(ReadBytes(data + QStringLiteral("/mime/packages/tavelo.xml")).contains("<glob pattern=\"*.tvo\"/>"));
        QVERIFY(QFile::exists(data + QStringLiteral("/icons/hicolor/48x48/apps/tavelo.png")));
        QVERIFY(QFile::exists(data + QStringLiteral("/icons/hicolor/scalable/mimetypes/application-x-tavelo-book.svg")));

        // The MIME type knows books by their first bytes, whatever their name,
        // and by their extension when they hold no subject.
        QTemporaryDir dir;
        const QString named = WriteBook(dir, QStringLiteral("sans-extension"), {{"EDF", "2006", 0, "", {}}});
        const QString empty = WriteBook(dir, QStringLiteral("vide.tvo"), {});
        QMimeDatabase mime;
        QCOMPARE(mime.mimeTypeForFile(named, QMimeDatabase::MatchContent).name(), QStringLiteral("application/x-tavelo-book"));
        QCOMPARE(mime.mimeTypeForFile(empty).name(), QStringLiteral("application/x-tavelo-book"));
        QCOMPARE(mime.mimeTypeForName(QStringLiteral("application/x-tavelo-book")).comment(),
                 QStringLiteral("Tavelo Document"));
    }

    void registrationNeverReplacesANewerFile()
    {
        QTemporaryDir staged;
        QTemporaryDir home;
        const QString entry = QStringLiteral("/applications/fr.morv.Tavelo.desktop");
        const QString mime = QStringLiteral("/mime/packages/tavelo.xml");
        const QString icon = QStringLiteral("/icons/hicolor/16x16/apps/tavelo.png");
        WriteFile(staged.path() + entry, "[Desktop Entry]\nExec=tavelo %f\nTryExec=tavelo\nName=Tavelo", Ago(100));
        WriteFile(staged.path() + mime, "<mime-info>nouveau</mime-info>", Ago(100));
        WriteFile(staged.path() + icon, "nouvelle icône", Ago(100));
        // Already there: an entry edited since (newer), an icon from an older
        // build, and the MIME file earlier versions wrote at every start.
        WriteFile(home.path() + entry, "[Desktop Entry]\nName=Mon Tavelo", Ago(10));
        WriteFile(home.path() + icon, "ancienne icône", Ago(1000));
        WriteFile(home.path() + mime, "<mime-type type=\"application/x-tavelo\">", Ago(10));
        WriteFile(home.path() + QStringLiteral("/applications/tavelo.desktop"),
                  "[Desktop Entry]\nX-Tavelo-Type=Tavelo.Document\n", Ago(10));

        QVERIFY(RegisterDesktopFiles(staged.path(), QStringLiteral("/opt/mon appli/ta\"ve%lo"), home.path(), false));
        QCOMPARE(ReadBytes(home.path() + entry), QByteArray("[Desktop Entry]\nName=Mon Tavelo"));
        QCOMPARE(ReadBytes(home.path() + icon), QByteArray("nouvelle icône"));
        QCOMPARE(ReadBytes(home.path() + mime), QByteArray("<mime-info>nouveau</mime-info>"));
        QVERIFY(!QFile::exists(home.path() + QStringLiteral("/applications/tavelo.desktop")));

        // Once the user's entry is older than the staged one, it is replaced;
        // the program path with spaces, quotes and percent signs stays one
        // argument.
        QFile older(home.path() + entry);
        QVERIFY(older.open(QIODevice::ReadWrite) && older.setFileTime(Ago(1000), QFileDevice::FileModificationTime));
        older.close();
        QVERIFY(RegisterDesktopFiles(staged.path(), QStringLiteral("/opt/mon appli/ta\"ve%lo"), home.path(), false));
        QCOMPARE(ReadBytes(home.path() + entry),
                 QByteArray("[Desktop Entry]\nExec=\"/opt/mon appli/ta\\\\\"ve%%lo\" %f\nName=Tavelo"));
    }

    void exampleBookFillsThePanesAndItsSearchFindsSomething()
    {
        auto app = StartApp({QStringLiteral("--exemple")});
        CSplitter* window = ActiveWindow(*app);
        QVERIFY(window);
        CTenorelDoc* doc = window->GetDocument();
        QCOMPARE(QFileInfo(doc->GetPathName()).fileName(), QStringLiteral("Exemple.tvo"));
        QCOMPARE(doc->Subjects().size(), std::size_t{5});
        QCOMPARE(window->Tree()->currentItem()->text(0), QStringLiteral("Bienvenue"));
        QVERIFY(window->Preview()->DisplayedText().contains(QStringLiteral("« compteur »")));
        QCOMPARE(window->List()->GetRowCount(), 1);

        // Every document exists, and the word the welcome text suggests is
        // found inside them (a text file and the HTML bill), as is a word of
        // the PDF notice.
        for (const auto& subject : doc->Subjects()) {
            for (const std::string& path : subject->GetDocumentPaths())
                QVERIFY2(QFileInfo(QString::fromStdString(path)).size() > 0, path.c_str());
        }
        const auto found = [&](const char* word) {
            QStringList names;
            for (const CTenorels* hit : RunSearch(doc->Subjects(), SearchPattern(word, {}), kScopeDocumentContents).hits)
                names << QString::fromStdString(hit->GetSubjectName());
            return names;
        };
        QCOMPARE(found("compteur"), QStringList{QStringLiteral("Contrat maison")});
        QCOMPARE(found("Reste à payer"), QStringList{QStringLiteral("2024")});
        QCOMPARE(found("Lilas"), QStringList{QStringLiteral("Assurance habitation")});

        // The "&?" menu opens the same book again rather than a second copy.
        QVERIFY(app->MainFrame()->RunCommand(ID_HELP_EXAMPLE));
        QCOMPARE(app->Documents().size(), std::size_t{1});
    }
};

TAVELO_GUI_TEST_MAIN(TestDesktop)
#include "test_desktop.moc"
