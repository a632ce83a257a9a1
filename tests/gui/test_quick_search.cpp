// The quick search as a person uses it: typing in the field above the tree,
// reading the extracts, opening a document with its words marked, Escape.
#include <QAbstractItemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTextBrowser>

#include "app/resource_ids.h"
#include "gui_fixture.h"
#include "views/quick_search_field.h"
#include "views/quick_search_runner.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList SubjectsShown(CTenorelView* tree)
{
    QStringList shown;
    if (QTreeWidgetItem* root = tree->GetRootItem())
        for (int t = 0; t < root->childCount(); ++t)
            for (const QString& name : ChildTexts(root->child(t)))
                shown << root->child(t)->text(0) + QLatin1Char('/') + name;
    return shown;
}

} // namespace

class TestQuickSearch : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    std::string Doc(const char* name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        WriteFile(path, bytes);
        return path.toStdString();
    }

    // The field typed into as a person does, and its answer waited for.
    static void Type(QuickSearchField* field, const QString& text)
    {
        field->Edit()->setFocus();
        field->Edit()->selectAll();
        QTest::keyClick(field->Edit(), Qt::Key_Backspace);
        QSignalSpy answered(field, &QuickSearchField::answered);
        QTest::keyClicks(field->Edit(), text);
        QVERIFY(answered.wait(5000));
    }

private Q_SLOTS:
    void typingFindsExtractsAndMarks()
    {
        const std::string avis = Doc("avis.txt", "Centre des finances\nAVIS D\xE2\x80\x99IMP\xC3\x94T 2023 \xE2\x80\x94 Taxe fonci\xC3\xA8re\n");
        const std::string note = Doc("note.txt", "rien \xC3\xA0 voir");
        const std::string lettre = Doc("lettre.txt", "Lettre de ma s\xC5\x93ur");
        auto app = StartApp({WriteBook(m_dir, QStringLiteral("livre.tvo"),
                                       {{"Imp\xC3\xB4ts", "2023", 0, "", {note, avis}},
                                        {"Famille", "Lettres", 0, "", {lettre}},
                                        {"EDF", "Maison", 0, "attendre l'avis", {}}})});
        CSplitter* window = ActiveWindow(*app);
        QuickSearchField* field = window->QuickSearch();
        CTenorelView* tree = window->Tree();
        // The documents are read in the background as the book opens.
        QTRY_VERIFY_WITH_TIMEOUT(!field->Runner()->Reading(), 20000);
        QVERIFY(!app->MainFrame()->ReadingPane()->isVisible());

        // Ctrl+K reaches the field from the tree.
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field->Edit()));

        Type(field, QStringLiteral("impot fonciere"));
        QVERIFY(tree->m_bSearchMode);
        QCOMPARE(SubjectsShown(tree), QStringList{QStringLiteral("Impôts/2023")});
        QCOMPARE(field->Status()->text(), QStringLiteral("1 sujet(s) et 1 document(s) trouvés"));
        QCOMPARE(app->MainFrame()->StatusPane(1)->text(), QStringLiteral("Mode Recherche"));

        // The subject's documents: the one that matches with its extract and
        // its count, the other dimmed.
        tree->setCurrentItem(FindItem(tree, QStringLiteral("2023")));
        CListeView* list = window->List();
        QTRY_COMPARE(list->GetRowCount(), 2);
        QVERIFY(!list->isColumnHidden(DocumentListModel::kExtract));
        const QAbstractItemModel* model = list->model();
        const QString extract = model->index(1, DocumentListModel::kExtract).data().toString();
        QVERIFY2(extract.startsWith(QStringLiteral("2 occurrence(s) — ")), qPrintable(extract));
        QVERIFY2(extract.contains(QStringLiteral("AVIS D’IMPÔT 2023 — Taxe foncière")), qPrintable(extract));
        const QString marked = model->index(1, DocumentListModel::kExtract).data(DocumentListModel::kMarkedRole).toString();
        QVERIFY2(marked.contains(QStringLiteral("<b>IMPÔT</b>")) && marked.contains(QStringLiteral("<b>foncière</b>")),
                 qPrintable(marked));
        QVERIFY(model->index(0, DocumentListModel::kExtract).data().toString().isEmpty());
        QCOMPARE(model->index(0, DocumentListModel::kName).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 128, 128));

        // The preview marks the words as written, whatever was typed.
        list->SelectDocument(1);
        list->OpenInPreview();
        CHTMLView* preview = window->Preview();
        QTRY_VERIFY2(preview->Browser()->toPlainText().contains(QStringLiteral("Centre des finances")),
                     qPrintable(preview->Browser()->toPlainText()));
        QCOMPARE(preview->CurrentPage(), CHTMLView::Page::Text);
        QCOMPARE(preview->HitCount(), 2);
        QCOMPARE(preview->Browser()->textCursor().selectedText(), QStringLiteral("IMPÔT"));
        QTest::keyClick(preview->Browser(), Qt::Key_F3);
        QCOMPARE(preview->Browser()->textCursor().selectedText(), QStringLiteral("foncière"));

        // A ligature typed spelled out, and a subject found by its expected text.
        Type(field, QStringLiteral("soeur OR avis"));
        QCOMPARE(SubjectsShown(tree), (QStringList{QStringLiteral("EDF/Maison"), QStringLiteral("Famille/Lettres"),
                                                   QStringLiteral("Impôts/2023")}));
        // Words found in two subjects' documents make no hit.
        Type(field, QStringLiteral("soeur fonciere"));
        QVERIFY(SubjectsShown(tree).isEmpty());
        QCOMPARE(field->Status()->text(), QStringLiteral("Aucun sujet ne correspond à « soeur fonciere »"));

        // A quote left open says so and leaves the tree as it was.
        field->Edit()->setText(QStringLiteral("\"taxe"));
        field->SearchNow();
        QVERIFY(field->Status()->text().startsWith(QStringLiteral("Un guillemet n'est pas refermé")));

        // Escape empties the field and brings every subject back.
        QTest::keyClick(field->Edit(), Qt::Key_Escape);
        QVERIFY(field->Edit()->text().isEmpty());
        QVERIFY(!tree->m_bSearchMode);
        QCOMPARE(SubjectsShown(tree).size(), 3);
        QVERIFY(list->isColumnHidden(DocumentListModel::kExtract));
        QCOMPARE(app->MainFrame()->StatusPane(1)->text(), QStringLiteral("Mode Standard"));
    }

    // A book's new documents are read in the background; "Outils" pauses it.
    void backgroundReadingCanBePaused()
    {
        QuickSearchRunner::SetReadingPaused(true);
        std::vector<std::string> docs;
        for (int i = 0; i < 3; ++i)
            docs.push_back(Doc(qPrintable(QStringLiteral("page%1.txt").arg(i)), "mot" + QByteArray::number(i)));
        auto app = StartApp({WriteBook(m_dir, QStringLiteral("pause.tvo"), {{"Divers", "Pages", 0, "", docs}})});
        CSplitter* window = ActiveWindow(*app);
        QTRY_VERIFY(app->MainFrame()->ReadingPane()->isVisible());
        QVERIFY(app->MainFrame()->ReadingPane()->text().startsWith(QStringLiteral("Lecture des documents : ")));
        QVERIFY(window->QuickSearch()->Runner()->Reading());
        Type(window->QuickSearch(), QStringLiteral("mot2"));
        QVERIFY(window->QuickSearch()->Status()->text().contains(QStringLiteral("pas encore lu(s)")));

        QMenu* tools = TopMenu(app->MainFrame()->menuBar(), QStringLiteral("&Outils"));
        QVERIFY(tools);
        QVERIFY(app->MainFrame()->RunCommand(ID_PAUSE_READING));
        QVERIFY(!QuickSearchRunner::ReadingPaused());
        QTRY_VERIFY_WITH_TIMEOUT(!window->QuickSearch()->Runner()->Reading(), 20000);
        QTRY_VERIFY(!app->MainFrame()->ReadingPane()->isVisible());
        Type(window->QuickSearch(), QStringLiteral("mot2"));
        QCOMPARE(SubjectsShown(window->Tree()), QStringList{QStringLiteral("Divers/Pages")});
        QCOMPARE(window->QuickSearch()->Status()->text(), QStringLiteral("1 sujet(s) et 1 document(s) trouvés"));
    }
};

TAVELO_GUI_TEST_MAIN(TestQuickSearch)
#include "test_quick_search.moc"
