// The duplication tools through the menus of a book window: export, subject
// copy, change of folder, import and merge, with the folder browser, the file
// dialog, the messages and the progress window the user sees.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/export_progress_dlg.h"
#include "app/folder_chooser.h"
#include "app/merge_review_dlg.h"
#include "app/tool_commands.h"
#include "app/translation.h"
#include "book/held_file.h"
#include "book/merge.h"
#include "book/text.h"
#include "editing/messages.h"
#include "gui_fixture.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {

// What the merge review showed before it was answered with `label`.
struct Review {
    QString intro;
    QStringList lines;
    bool shown = false;
};

void AnswerReview(const QString& label, Review* seen = nullptr)
{
    DialogRunner::SetNextHandler([label, seen](QDialog& d) {
        auto* dlg = qobject_cast<CMergeReviewDlg*>(&d);
        if (!dlg)
            return int{QDialog::Rejected};
        if (seen)
            *seen = {dlg->Intro(), dlg->Lines(), true};
        if (QPushButton* button = dlg->Choice(label))
            button->click();
        return d.result();
    });
}

QString Q(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}


void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray Cp1252(std::string_view utf8)
{
    const std::string bytes = *Utf8ToCp1252(utf8);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The action of a command in the menu bar, after the update pass that runs as
// its popup opens.
QAction* MenuAction(CMainFrame* frame, const QString& menuTitle, int id)
{
    QMenu* menu = TopMenu(frame->menuBar(), menuTitle);
    if (!menu)
        return nullptr;
    QMetaObject::invokeMethod(menu, "aboutToShow");
    return FindCommandAction(menu, id);
}

// Chooses the command in its menu; false when the entry is greyed.
bool Choose(CMainFrame* frame, const QString& menuTitle, int id)
{
    QAction* action = MenuAction(frame, menuTitle, id);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

const QString kFile = QStringLiteral("&Fichier");
const QString kEdit = QStringLiteral("&Edition");
const QString kTools = QStringLiteral("&Outils");

std::vector<std::string> AllPaths(const CTenorelDoc& doc)
{
    std::vector<std::string> paths;
    for (const auto& subject : doc.Subjects())
        for (const std::string& p : subject->GetDocumentPaths())
            paths.push_back(p);
    return paths;
}


void Select(CSplitter* window, const QString& subjectName)
{
    QTreeWidgetItem* item = FindItem(window->Tree(), subjectName);
    QVERIFY(item);
    window->Tree()->setCurrentItem(item);
}

int CountItems(QTreeWidget* tree, const QString& text)
{
    return static_cast<int>(tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive).size());
}

// What the progress window shows each time it is painted while the work runs.
struct ProgressView {
    QString title;
    QString folderLine;
    QString fileLine;
    int value;
    int maximum;
};

class ProgressWatcher : public QObject {
public:
    ProgressWatcher() { qApp->installEventFilter(this); }
    ~ProgressWatcher() override { qApp->removeEventFilter(this); }

    std::vector<ProgressView> seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto* dlg = qobject_cast<CExportProgressDlg*>(watched);
        if (!dlg || !dlg->isVisible())
            return false;
        ProgressView v{dlg->windowTitle(), dlg->FolderLine()->text(), dlg->FileLine()->text(), dlg->Bar()->value(),
                       dlg->GetMaximum()};
        if (seen.empty() || seen.back().fileLine != v.fileLine || seen.back().value != v.value ||
            seen.back().folderLine != v.folderLine)
            seen.push_back(v);
        return false;
    }
};

int LiveProgressWindows()
{
    int n = 0;
    for (QWidget* w : QApplication::allWidgets())
        n += qobject_cast<CExportProgressDlg*>(w) != nullptr ? 1 : 0;
    return n;
}

std::string Std(const QString& s)
{
    return s.toStdString();
}

} // namespace

class TestTools : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_docs;

    QString MakeDocument(const QString& name, const QByteArray& content)
    {
        const QString path = m_docs + QLatin1Char('/') + name;
        WriteBytes(path, content);
        return path;
    }

    QString MakeFolder(const QString& name)
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(path);
        return path;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_docs = MakeFolder(QStringLiteral("docs"));
        MessageBox::ClearHistory();
        FileDialog::ClearHistory();
    }

    void exportWritesTheLayoutAndReport()
    {
        const QString a = MakeDocument(QStringLiteral("edf.pdf"), "facture");
        const QString b = MakeDocument(QStringLiteral("relevé.txt"), "relevé");
        const QString book = WriteBook(*m_dir, QStringLiteral("Maison.tvo"),
                                       {{"EDF", "2006", 0, "", {Std(a)}},
                                        {"Impôts", "2007", 1, "avis", {Std(b)}},
                                        {"Banque", "Livret", 0, "", {}}});
        const QByteArray bookBytes = ReadBytes(book);
        const QString out = MakeFolder(QStringLiteral("sauvegarde"));

        auto app = StartApp({book});
        CMainFrame* frame = app->MainFrame();
        CTenorelDoc* doc = app->Documents().front();

        ProgressWatcher watcher;
        FileDialog::SetNextFileName(out);
        QVERIFY(Choose(frame, kFile, ID_EXPORT));

        // The prompt, the folder browser, the closing message.
        QCOMPARE(FileDialog::History().size(), std::size_t{1});
        QCOMPARE(FileDialog::History().front().kind, FileDialog::Folder);
        QCOMPARE(FileDialog::History().front().title, QStringLiteral("Choix du dossier"));
        const auto& shown = MessageBox::History();
        QCOMPARE(shown.size(), std::size_t{2});
        QCOMPARE(shown.front().text, QStringLiteral("Donner le dossier où exporter les fichiers"));
        QCOMPARE(shown.front().look, MessageBox::NoIcon);
        QCOMPARE(shown.back().text,
                 QStringLiteral("Le fichier a été exporté avec succès \n Vous pouvez consulter le fichier de compte-rendu"));
        QCOMPARE(shown.back().look, MessageBox::Information);
        QCOMPARE(frame->StatusPane(0)->text(), QStringLiteral("Livre exporté dans %1").arg(ToQ(doc->GetChosenFolder())));

        // Beside each other: the folder of copies, the book, the report.
        QCOMPARE(ReadBytes(out + QStringLiteral("/Maison/edf.pdf")), QByteArray("facture"));
        QCOMPARE(ReadBytes(out + QStringLiteral("/Maison/relevé.txt")), QByteArray("relevé"));
        QCOMPARE(QDir(out + QStringLiteral("/Maison")).entryList(QDir::Files).size(), 2);
        QCOMPARE(ReadBytes(out + QStringLiteral("/Maison.tvo")), bookBytes);
        QCOMPARE(ReadBytes(out + QStringLiteral("/Compte_rendu.txt")),
                 Cp1252("Le fichier edf.pdf a été copié \r\nLe fichier relevé.txt a été copié \r\n"));
        QCOMPARE(doc->GetChosenFolder(), Std(out));
        QVERIFY(!doc->IsModified());
        QCOMPARE(ReadBytes(book), bookBytes);

        // The progress window showed the folder and each file and advanced
        // once per subject, then went away.
        QVERIFY(!watcher.seen.empty());
        QCOMPARE(watcher.seen.front().title, QStringLiteral("Exportation"));
        QCOMPARE(watcher.seen.front().folderLine, QStringLiteral("Exportation vers le dossier ") + out);
        QCOMPARE(watcher.seen.front().fileLine, QString());
        QCOMPARE(watcher.seen.front().value, 0);
        QCOMPARE(watcher.seen.front().maximum, 3);
        QStringList files;
        for (const ProgressView& v : watcher.seen) {
            if (files.isEmpty() || files.back() != v.fileLine)
                files << v.fileLine;
        }
        QCOMPARE(files, QStringList({QString(), QStringLiteral("Copie du fichier edf.pdf"),
                                     QStringLiteral("Copie du fichier relevé.txt")}));
        QCOMPARE(watcher.seen.back().value, 3);
        QCOMPARE(LiveProgressWindows(), 0);

        // A second export to the same folder is refused and leaves the first.
        const QByteArray report = ReadBytes(out + QStringLiteral("/Compte_rendu.txt"));
        MessageBox::ClearHistory();
        FileDialog::SetNextFileName(out);
        QVERIFY(Choose(frame, kFile, ID_EXPORT));
        QCOMPARE(MessageBox::History().size(), std::size_t{2});
        QCOMPARE(MessageBox::History().back().text, Q(messages::kFolderNotCreated));
        QCOMPARE(MessageBox::History().back().look, MessageBox::Stop);
        QCOMPARE(ReadBytes(out + QStringLiteral("/Compte_rendu.txt")), report);
        QCOMPARE(ReadBytes(out + QStringLiteral("/Maison/edf.pdf")), QByteArray("facture"));
        QCOMPARE(LiveProgressWindows(), 0);
    }

    void exportReportsEveryFailedCopy()
    {
        const QString a = MakeDocument(QStringLiteral("edf.pdf"), "facture");
        const QString missing = m_docs + QStringLiteral("/avis.pdf");
        const QString book =
            WriteBook(*m_dir, QStringLiteral("Papiers.tvo"), {{"EDF", "2006", 0, "", {Std(a), Std(missing)}}});
        const QString out = MakeFolder(QStringLiteral("cle"));
        auto app = StartApp({book});

        FileDialog::SetNextFileName(out);
        QVERIFY(Choose(app->MainFrame(), kFile, ID_EXPORT));
        const auto& shown = MessageBox::History();
        QCOMPARE(shown.size(), std::size_t{3});
        QCOMPARE(shown[1].text, QStringLiteral("Attention le fichier avis.pdf n'a pas pu être copié, vous devez le faire manuellement"));
        QCOMPARE(shown[1].look, MessageBox::Exclamation);
        QCOMPARE(shown[2].text, Q(messages::kExportErrors));
        QCOMPARE(shown[2].look, MessageBox::Exclamation);
        QCOMPARE(ReadBytes(out + QStringLiteral("/Compte_rendu.txt")),
                 Cp1252("Le fichier edf.pdf a été copié \r\n"
                        "Le fichier avis.pdf n'a pas été copié, vous devez le faire manuellement \r\n"));
        QCOMPARE(ReadBytes(out + QStringLiteral("/Papiers/edf.pdf")), QByteArray("facture"));
    }

    void exportNeedsASavedBookAndAFolder()
    {
        auto app = StartApp();
        CMainFrame* frame = app->MainFrame();
        CTenorelDoc* doc = app->Documents().front();
        doc->AppendSubject(std::make_unique<CTenorels>("EDF", "2006", 0));

        QAction* exportItem = MenuAction(frame, kFile, ID_EXPORT);
        QVERIFY(exportItem);
        QVERIFY(!exportItem->isEnabled());
        QVERIFY(!frame->RunCommand(ID_EXPORT));
        QVERIFY(MessageBox::History().empty());
        QVERIFY(FileDialog::History().empty());

        // Once saved it has a path; a cancelled browser then creates nothing.
        QVERIFY(doc->DoSave(m_dir->filePath(QStringLiteral("Neuf.tvo"))));
        QVERIFY(MenuAction(frame, kFile, ID_EXPORT)->isEnabled());
        const QString out = MakeFolder(QStringLiteral("vide"));
        FileDialog::SetNextFileName(QString());
        QVERIFY(Choose(frame, kFile, ID_EXPORT));
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History().front().text, Q(messages::kExportPrompt));
        QVERIFY(QDir(out).isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("Neuf"))));
        QVERIFY(doc->GetChosenFolder().empty());
    }

    void subjectCopyWritesTheDocumentsAndAttendu()
    {
        const QString a = MakeDocument(QStringLiteral("edf.pdf"), "facture");
        const QString b = MakeDocument(QStringLiteral("avis.txt"), "avis");
        const std::string expected = "Relevé de décembre\r\nPuis l'échéancier";
        const QString book = WriteBook(*m_dir, QStringLiteral("Maison.tvo"),
                                       {{"EDF", "2006", 0, expected, {Std(a), Std(b)}},
                                        {"Banque", "Livret", 0, "", {}}});
        const QString out = MakeFolder(QStringLiteral("copie"));
        auto app = StartApp({book});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);

        // Greyed until a subject is current.
        QAction* copyItem = MenuAction(frame, kEdit, ID_COPY_SUBJECT);
        QVERIFY(copyItem);
        QVERIFY(!copyItem->isEnabled());

        Select(window, QStringLiteral("2006"));
        ProgressWatcher watcher;
        FileDialog::SetNextFileName(out);
        QVERIFY(Choose(frame, kEdit, ID_COPY_SUBJECT));

        QCOMPARE(MessageBox::History().size(), std::size_t{2});
        QCOMPARE(MessageBox::History().front().text, QStringLiteral("Donner le dossier où copier les documents"));
        QCOMPARE(MessageBox::History().back().text,
                 QStringLiteral("Les documents ont été correctement copié dans le dossier spécifié"));
        QCOMPARE(MessageBox::History().back().look, MessageBox::Information);
        QCOMPARE(FileDialog::History().back().title, QStringLiteral("Choix du dossier"));
        QCOMPARE(ReadBytes(out + QStringLiteral("/edf.pdf")), QByteArray("facture"));
        QCOMPARE(ReadBytes(out + QStringLiteral("/avis.txt")), QByteArray("avis"));
        QCOMPARE(ReadBytes(out + QStringLiteral("/Attendu.txt")), Cp1252(expected));
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 3);
        QVERIFY(!app->Documents().front()->IsModified());

        QVERIFY(!watcher.seen.empty());
        QCOMPARE(watcher.seen.front().title, QStringLiteral("Copie du sujet"));
        QCOMPARE(watcher.seen.front().folderLine, QStringLiteral("Exportation vers le dossier ") + out);
        QCOMPARE(watcher.seen.front().maximum, 2);
        QCOMPARE(watcher.seen.back().fileLine, QStringLiteral("Copie du fichier ") + b);
        QCOMPARE(watcher.seen.back().value, 2);
        QCOMPARE(LiveProgressWindows(), 0);

        // A subject without documents or expected text: nothing written.
        const QString empty = MakeFolder(QStringLiteral("rien"));
        Select(window, QStringLiteral("Livret"));
        MessageBox::ClearHistory();
        FileDialog::SetNextFileName(empty);
        QVERIFY(Choose(frame, kEdit, ID_COPY_SUBJECT));
        QVERIFY(QDir(empty).isEmpty());
        QCOMPARE(MessageBox::History().back().text, Q(messages::kSubjectCopySuccess));
    }

    void subjectCopyEndsWithTheErrorMessage()
    {
        const QString a = MakeDocument(QStringLiteral("edf.pdf"), "facture");
        const QString book = WriteBook(*m_dir, QStringLiteral("Maison.tvo"),
                                       {{"EDF", "2006", 0, "", {Std(m_docs + QStringLiteral("/perdu.pdf")), Std(a)}}});
        const QString out = MakeFolder(QStringLiteral("copie"));
        auto app = StartApp({book});
        Select(ActiveWindow(*app), QStringLiteral("2006"));
        FileDialog::SetNextFileName(out);
        QVERIFY(Choose(app->MainFrame(), kEdit, ID_COPY_SUBJECT));
        QCOMPARE(MessageBox::History().size(), std::size_t{2});
        QCOMPARE(MessageBox::History().back().text,
                 QStringLiteral("Il existe au moins un document qui n'a pas été copié correctementé"));
        QCOMPARE(MessageBox::History().back().look, MessageBox::Exclamation);
        QCOMPARE(ReadBytes(out + QStringLiteral("/edf.pdf")), QByteArray("facture"));
        QVERIFY(!QFileInfo::exists(out + QStringLiteral("/Attendu.txt")));
    }

    void changeOfFolderRepointsEveryDocument()
    {
        const QString book = WriteBook(*m_dir, QStringLiteral("Maison.tvo"),
                                       {{"EDF", "2006", 0, "", {"/factures/2006/edf.pdf", "/factures/gaz.pdf"}},
                                        {"Impôts", "2007", 0, "", {"/impots/avis.pdf"}},
                                        {"Banque", "Livret", 0, "", {}}});
        auto app = StartApp({book});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        Select(window, QStringLiteral("2006"));
        QCOMPARE(ListRows(window->List()), QStringList({"/factures/2006/edf.pdf", "/factures/gaz.pdf"}));

        // Cancelled: nothing changes.
        FileDialog::SetNextFileName(QString());
        QVERIFY(Choose(frame, kTools, ID_CHANGE_FOLDER));
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History().front().text,
                 QStringLiteral("Donner le dossier où se trouve désormais les fichiers"));
        QVERIFY(!doc->IsModified());
        QCOMPARE(AllPaths(*doc).front(), std::string("/factures/2006/edf.pdf"));

        const QString archive = MakeFolder(QStringLiteral("archive"));
        FileDialog::SetNextFileName(archive);
        QVERIFY(Choose(frame, kTools, ID_CHANGE_FOLDER));
        QCOMPARE(ListRows(window->List()), QStringList({archive + "/edf.pdf", archive + "/gaz.pdf"}));
        QCOMPARE(AllPaths(*doc), (std::vector<std::string>{Std(archive + "/edf.pdf"), Std(archive + "/gaz.pdf"),
                                                           Std(archive + "/avis.pdf")}));
        QVERIFY(doc->IsModified());
        Select(window, QStringLiteral("2007"));
        QCOMPARE(ListRows(window->List()), QStringList({archive + "/avis.pdf"}));
    }

    void importRepointsAnExportedBookToItsCopies()
    {
        const QString a = MakeDocument(QStringLiteral("edf.pdf"), "facture");
        const QString b = MakeDocument(QStringLiteral("avis.pdf"), "avis");
        const QString book = WriteBook(*m_dir, QStringLiteral("Maison.tvo"),
                                       {{"EDF", "2006", 0, "", {Std(a)}}, {"Impôts", "2007", 0, "", {Std(b)}}});
        const QString out = MakeFolder(QStringLiteral("cle"));
        auto exporting = StartApp({book});
        FileDialog::SetNextFileName(out);
        QVERIFY(Choose(exporting->MainFrame(), kFile, ID_EXPORT));
        exporting.reset();

        auto app = StartApp();
        CMainFrame* frame = app->MainFrame();
        const QString exported = out + QStringLiteral("/Maison.tvo");
        FileDialog::SetNextFileName(exported);
        QVERIFY(Choose(frame, kFile, ID_IMPORT));
        QCOMPARE(FileDialog::History().back().kind, FileDialog::Open);
        QVERIFY(!frame->IsImportPending());

        QCOMPARE(app->Documents().size(), std::size_t{2});
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        QCOMPARE(doc->GetPathName(), exported);
        QCOMPARE(frame->StatusPane(0)->text(), QStringLiteral("Livre importé : %1").arg(exported));
        QVERIFY(FindItem(window->Tree(), QStringLiteral("2006")));
        QVERIFY(FindItem(window->Tree(), QStringLiteral("Impôts")));
        const QString copies = out + QStringLiteral("/Maison/");
        QCOMPARE(AllPaths(*doc), (std::vector<std::string>{Std(copies + "edf.pdf"), Std(copies + "avis.pdf")}));
        QVERIFY(doc->IsModified());
        Select(window, QStringLiteral("2007"));
        QCOMPARE(ListRows(window->List()), QStringList({copies + "avis.pdf"}));
        QCOMPARE(ReadBytes(ListRows(window->List()).front()), QByteArray("avis"));
        // The exported file itself is only changed when the user saves.
        QCOMPARE(ReadBytes(exported), ReadBytes(book));

        // Importing a book that is already open only brings its window forward.
        window->Tree()->setFocus();
        CSplitter* other = app->CreateBookWindow(app->Documents().front());
        QVERIFY(other);
        doc->SetModifiedFlag(false);
        FileDialog::SetNextFileName(exported);
        QVERIFY(Choose(frame, kFile, ID_IMPORT));
        QCOMPARE(app->Documents().size(), std::size_t{2});
        QCOMPARE(ActiveWindow(*app)->GetDocument(), doc);
        QVERIFY(!doc->IsModified());
        QVERIFY(!frame->IsImportPending());
    }

    void abandonedImportLeavesNothingPending()
    {
        const QString book = WriteBook(*m_dir, QStringLiteral("Bureau.tvo"), {{"EDF", "2006", 0, "", {"/loin/edf.pdf"}}});
        auto app = StartApp();
        CMainFrame* frame = app->MainFrame();

        // Cancelled dialog, then a book that cannot be opened.
        FileDialog::SetNextFileName(QString());
        QVERIFY(Choose(frame, kFile, ID_IMPORT));
        QVERIFY(!frame->IsImportPending());
        FileDialog::SetNextFileName(m_dir->filePath(QStringLiteral("absent.tvo")));
        QVERIFY(Choose(frame, kFile, ID_IMPORT));
        QVERIFY(!frame->IsImportPending());
        QCOMPARE(app->Documents().size(), std::size_t{1});

        // The next ordinary open keeps the stored paths.
        FileDialog::SetNextFileName(book);
        QVERIFY(Choose(frame, kFile, ID_FILE_OPEN));
        CTenorelDoc* doc = ActiveWindow(*app)->GetDocument();
        QCOMPARE(doc->GetPathName(), book);
        QCOMPARE(AllPaths(*doc), std::vector<std::string>{"/loin/edf.pdf"});
        QVERIFY(!doc->IsModified());

        // Import is the tree's: greyed while the document list is active.
        CSplitter* window = ActiveWindow(*app);
        window->SetActiveView(window->List());
        QVERIFY(!MenuAction(frame, kFile, ID_IMPORT)->isEnabled());
        window->SetActiveView(window->Tree());
        QVERIFY(MenuAction(frame, kFile, ID_IMPORT)->isEnabled());
    }

    void mergeRefusesABookThatIsOpen()
    {
        const QString own = WriteBook(*m_dir, QStringLiteral("Maison.tvo"), {{"EDF", "2006", 0, "", {}}});
        const QString other = WriteBook(*m_dir, QStringLiteral("Autre.tvo"), {{"Banque", "Livret", 0, "", {}}});
        auto app = StartApp({own});
        CMainFrame* frame = app->MainFrame();
        CTenorelDoc* doc = app->Documents().front();

        FileDialog::SetNextFileName(own);
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QCOMPARE(FileDialog::History().back().kind, FileDialog::Open);
        QCOMPARE(FileDialog::History().back().title, QStringLiteral("Choix du fichier à fusionner"));
        QCOMPARE(FileDialog::History().back().filter, QStringLiteral("Fichier (*.tvo)"));
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History().back().text, QStringLiteral("Le fichier devant être fusionné n'a pas pu être ouvert"));
        QCOMPARE(MessageBox::History().back().look, MessageBox::Stop);
        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});
        QVERIFY(!doc->IsModified());

        // A book another window has open is refused the same way.
        FileDialog::SetNextFileName(other);
        QVERIFY(Choose(frame, kFile, ID_FILE_OPEN));
        app->MainFrame()->MdiArea()->setActiveSubWindow(app->MainFrame()->BookWindows().front());
        QCOMPARE(ActiveWindow(*app)->GetDocument(), doc);
        MessageBox::ClearHistory();
        FileDialog::SetNextFileName(other);
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QCOMPARE(MessageBox::History().back().text, Q(kMergeRefusedMessage));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});

        // Cancelling the dialog does nothing at all.
        MessageBox::ClearHistory();
        FileDialog::SetNextFileName(QString());
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QVERIFY(MessageBox::History().empty());
        QVERIFY(!doc->IsModified());
    }

    void mergeAppendsTheOtherBooksSubjects()
    {
        const QString own = WriteBook(*m_dir, QStringLiteral("Maison.tvo"),
                                      {{"EDF", "2006", 0, "", {"/a/edf.pdf"}}, {"Banque", "Livret", 0, "", {}}});
        const QString other = WriteBook(*m_dir, QStringLiteral("Autre.tvo"),
                                        {{"EDF", "2006", 1, "reçu", {"/b/edf.pdf"}}, {"Impôts", "2007", 0, "", {}}});
        const QByteArray otherBytes = ReadBytes(other);
        auto app = StartApp({own});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        Select(window, QStringLiteral("Livret"));
        CTenorels* selected = doc->GetCurrentSubject();

        // EDF 2006 is on both sides: "Ajouter en double" keeps the described merge.
        Review review;
        AnswerReview(QStringLiteral("Ajouter en double"), &review);
        FileDialog::SetNextFileName(other);
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QVERIFY(review.shown);
        QVERIFY(MessageBox::History().empty());
        QCOMPARE(doc->GetSubjectCount(), std::size_t{4});
        QCOMPARE(doc->GetSubject(2)->GetSubjectName(), std::string("2006"));
        QCOMPARE(doc->GetSubject(2)->GetState(), 1);
        QCOMPARE(doc->GetSubject(2)->GetDocumentPath(0), std::string("/b/edf.pdf"));
        QCOMPARE(doc->GetSubject(3)->GetGeneralTitle(), std::string("Impôts"));
        QVERIFY(doc->IsModified());
        QCOMPARE(ReadBytes(other), otherBytes);
        // Told in the status bar, the title marked unsaved.
        QCOMPARE(frame->StatusPane(0)->text(), QStringLiteral("2 sujets ajoutés"));
        QTRY_COMPARE(frame->windowTitle(), QStringLiteral("Tavelo - [Maison*]"));

        // One general title with the subject twice; the selection is kept.
        QTreeWidget* tree = window->Tree();
        QCOMPARE(CountItems(tree, QStringLiteral("EDF")), 1);
        QCOMPARE(FindItem(tree, QStringLiteral("EDF"))->childCount(), 2);
        QCOMPARE(CountItems(tree, QStringLiteral("2006")), 2);
        QVERIFY(FindItem(tree, QStringLiteral("2007")));
        QVERIFY(tree->currentItem());
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Livret"));
        QCOMPARE(doc->GetCurrentSubject(), selected);

        // The merge also runs while the document list is the active pane.
        window->SetActiveView(window->List());
        AnswerReview(QStringLiteral("Ajouter en double"));
        FileDialog::SetNextFileName(other);
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{6});
        QCOMPARE(CountItems(tree, QStringLiteral("2006")), 3);
    }

    void mergeUnitesSubjectsOfOneName()
    {
        const QString own = WriteBook(*m_dir, QStringLiteral("Maison.tvo"),
                                      {{"EDF", "2006", 0, "", {"/a/edf.pdf"}}, {"Banque", "Livret", 0, "", {}}});
        const QString other = WriteBook(*m_dir, QStringLiteral("Autre.tvo"),
                                        {{"EDF", "2006", 1, "reçu", {"/b/edf.pdf", "/a/edf.pdf"}}, {"Impôts", "2007", 0, "", {}}});
        auto app = StartApp({own});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        Select(window, QStringLiteral("Livret"));

        // "Annuler" leaves the book as it was.
        Review review;
        AnswerReview(QStringLiteral("Annuler"), &review);
        FileDialog::SetNextFileName(other);
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QVERIFY(review.shown);
        QVERIFY(review.intro.contains(QStringLiteral("Autre.tvo")));
        QCOMPARE(review.lines, (QStringList{QStringLiteral("Des deux côtés — modifié des deux côtés, réuni (documents des deux, "
                                                           "attendus des deux) : EDF / 2006"),
                                            QStringLiteral("L'autre livre — ajouté : Impôts / 2007")}));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{2});
        QVERIFY(!doc->IsModified());

        AnswerReview(QStringLiteral("Réunir"));
        FileDialog::SetNextFileName(other);
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{3});
        const CTenorels* edf = doc->GetSubject(0);
        QCOMPARE(edf->GetSubjectName(), std::string("2006"));
        QCOMPARE(edf->GetDocumentPaths(), (std::vector<std::string>{"/a/edf.pdf", "/b/edf.pdf"}));
        QCOMPARE(edf->GetExpectedText(), std::string("reçu"));
        QCOMPARE(doc->GetSubject(1)->GetGeneralTitle(), std::string("Impôts"));
        QCOMPARE(doc->GetSubject(2)->GetSubjectName(), std::string("Livret"));
        QVERIFY(doc->IsModified());
        QTreeWidget* tree = window->Tree();
        QCOMPARE(CountItems(tree, QStringLiteral("2006")), 1);
        QVERIFY(tree->currentItem());
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Livret"));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(2));
    }

    void mergeOfEmptyOldAndDamagedBooks()
    {
        const QString own = WriteBook(*m_dir, QStringLiteral("Maison.tvo"), {{"EDF", "2006", 0, "", {}}});
        const QString empty = m_dir->filePath(QStringLiteral("Vide.tvo"));
        WriteBytes(empty, QByteArray("\x00\x00", 2));
        // Two records of schema 1, without expected texts.
        QByteArray old("\x02\x00\xFF\xFF\x01\x00\x09\x00" "CTenorels", 17);
        old += QByteArray("\x06Imp\xF4ts\x04" "2005", 12) + QByteArray("\x01\x00\x00\x00\x01\x00", 6) +
               QByteArray("\x08/a/x.pdf", 9) + QByteArray("\x01\x80\x06" "Banque\x06" "Livret", 16) +
               QByteArray("\x00\x00\x00\x00\x00\x00", 6);
        const QString schemaOne = m_dir->filePath(QStringLiteral("Ancien.tvo"));
        WriteBytes(schemaOne, old);
        const QString damaged = m_dir->filePath(QStringLiteral("Abime.tvo"));
        WriteBytes(damaged, old.left(30));
        QByteArray future = old;
        future[4] = 3;
        const QString unknown = m_dir->filePath(QStringLiteral("Futur.tvo"));
        WriteBytes(unknown, future);

        auto app = StartApp({own});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();

        FileDialog::SetNextFileName(empty);
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QVERIFY(MessageBox::History().empty());
        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});
        QVERIFY(doc->IsModified());
        QVERIFY(FindItem(window->Tree(), QStringLiteral("2006")));

        doc->SetModifiedFlag(false);
        FileDialog::SetNextFileName(damaged);
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History().back().look, MessageBox::Stop);
        QVERIFY(MessageBox::History().back().text.contains(QStringLiteral("ne peut pas être fusionné")));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});
        QVERIFY(!doc->IsModified());

        MessageBox::ClearHistory();
        FileDialog::SetNextFileName(unknown);
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History().back().text, QStringLiteral("Format du fichier inconnu"));
        QCOMPARE(MessageBox::History().back().look, MessageBox::Stop);
        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});
        QVERIFY(!doc->IsModified());

        // A name typed without its extension finds the book.
        MessageBox::ClearHistory();
        FileDialog::SetNextFileName(m_dir->filePath(QStringLiteral("Ancien")));
        QVERIFY(Choose(frame, kFile, ID_MERGE));
        QVERIFY(MessageBox::History().empty());
        QCOMPARE(doc->GetSubjectCount(), std::size_t{3});
        QCOMPARE(doc->GetSubject(1)->GetGeneralTitle(), std::string("Impôts"));
        QCOMPARE(doc->GetSubject(1)->GetExpectedText(), std::string());
        QCOMPARE(doc->GetSubject(1)->GetDocumentPath(0), std::string("/a/x.pdf"));
        QCOMPARE(doc->GetSubject(2)->GetSubjectName(), std::string("Livret"));
        QVERIFY(doc->IsModified());
        QVERIFY(FindItem(window->Tree(), QStringLiteral("Livret")));

        // Saved in the current form, the merged subjects read back.
        QVERIFY(doc->DoFileSave());
        const SubjectList saved = ReadSubjectList(ReadBytes(own).toStdString());
        QCOMPARE(saved.size(), std::size_t{3});
        QCOMPARE(saved[1]->GetSubjectName(), std::string("2005"));
    }
};

TAVELO_GUI_TEST_MAIN(TestTools)
#include "test_tools.moc"
