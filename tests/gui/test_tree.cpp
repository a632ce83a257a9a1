// The subject tree with its document list and preview: order, marks,
// selection, context menu, adding documents, closing and reopening subjects.

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPdfDocument>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include "gui_fixture.h"
#include "views/expected_text_file.h"
#include "views/state_marks.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {



QStringList MenuTexts(const QMenu& menu)
{
    QStringList texts;
    for (QAction* a : menu.actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

bool HasMark(const QTreeWidgetItem* item, const QIcon& mark)
{
    return item->icon(0).cacheKey() == mark.cacheKey();
}

void RightClick(CTenorelView* tree, QTreeWidgetItem* item)
{
    const QRect r = tree->visualItemRect(item);
    QTest::mouseClick(tree->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(r.left() + 4, r.center().y()));
}

} // namespace

class TestTree : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    std::unique_ptr<CTenorelApp> Open(const std::vector<SubjectSpec>& specs, const QString& name = QStringLiteral("book.tvo"))
    {
        return StartApp({WriteBook(m_dir, name, specs)});
    }

private Q_SLOTS:
    void init()
    {
        MessageBox::ClearHistory();
        FileDialog::ClearHistory();
    }

    void orderOfTitlesAndSubjects()
    {
        auto app = Open({{"a", "x", 0, "", {}},
                         {"É", "y", 0, "", {}},
                         {"B", "z", 0, "", {}},
                         {"EDF", "Électricité", 0, "", {}},
                         {"EDF", "eau", 1, "", {}},
                         {"EDF", "Facture", 0, "", {}},
                         {"EDF", "abonnement", 0, "", {}},
                         {"edf", "w", 0, "", {}},
                         {"Œuvres ő", "v", 0, "", {}},
                         {"Œuvres", "u", 0, "", {}}});
        CTenorelView* tree = ActiveWindow(*app)->Tree();
        QTreeWidgetItem* root = tree->GetRootItem();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(root->text(0), QStringLiteral("book"));
        // Windows-1252 byte order: capitals, then small letters, then accented
        // letters; "Œ" is 0x8C, and a title without a Windows-1252 form
        // ("ő") sorts by its UTF-8 bytes (0xC5...) after it.
        QCOMPARE(ChildTexts(root), (QStringList{QStringLiteral("B"), QStringLiteral("EDF"), QStringLiteral("a"),
                                                QStringLiteral("edf"), QStringLiteral("Œuvres"),
                                                QStringLiteral("Œuvres ő"), QStringLiteral("É")}));
        QCOMPARE(ChildTexts(tree->FindGeneralTitleItem("EDF")),
                 (QStringList{QStringLiteral("abonnement"), QStringLiteral("eau"), QStringLiteral("Électricité"),
                              QStringLiteral("Facture")}));
        QVERIFY(tree->FindGeneralTitleItem("edf") != tree->FindGeneralTitleItem("EDF"));
        QVERIFY(!tree->FindGeneralTitleItem("Edf"));
        // Collapsed root, no current subject after opening.
        QVERIFY(!root->isExpanded());
        QVERIFY(!ActiveWindow(*app)->GetDocument()->GetCurrentSubject());

        QVERIFY(HasMark(FindItem(tree, QStringLiteral("eau")), ClosedSubjectMark()));
        QVERIFY(HasMark(FindItem(tree, QStringLiteral("Facture")), OpenSubjectMark()));
        QVERIFY(root->icon(0).isNull());
        QVERIFY(tree->FindGeneralTitleItem("EDF")->icon(0).isNull());

        // A subject added later takes its sorted place; a new title too.
        CTenorelDoc* doc = ActiveWindow(*app)->GetDocument();
        CTenorels* added = doc->AppendSubject(std::make_unique<CTenorels>("C", "nouveau", 0));
        tree->AddSubjectToTree(added, true);
        QCOMPARE(ChildTexts(root).mid(0, 3), (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("EDF")}));
        QCOMPARE(doc->GetCurrentSubject(), added);
        QVERIFY(root->isExpanded());
        CTenorels* second = doc->AppendSubject(std::make_unique<CTenorels>("EDF", "dépôt", 1));
        tree->AddSubjectToTree(second, false);
        QCOMPARE(ChildTexts(tree->FindGeneralTitleItem("EDF")),
                 (QStringList{QStringLiteral("abonnement"), QStringLiteral("dépôt"), QStringLiteral("eau"),
                              QStringLiteral("Électricité"), QStringLiteral("Facture")}));
        QCOMPARE(doc->GetCurrentSubject(), added);
    }

    void emptyBookAndFirstSubject()
    {
        auto app = StartApp();
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        QCOMPARE(tree->topLevelItemCount(), 0);
        CTenorelDoc* doc = window->GetDocument();
        CTenorels* s = doc->AppendSubject(std::make_unique<CTenorels>("EDF", "2006", 0));
        tree->AddSubjectToTree(s, true);
        QCOMPARE(tree->GetRootItem()->text(0), QStringLiteral("Tavelo1"));
        QCOMPARE(doc->GetCurrentSubject(), s);
        QCOMPARE(window->List()->GetRowCount(), 0);
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Text);
        QCOMPARE(window->Preview()->DisplayedText(), QString());
        QCOMPARE(QFileInfo(ExpectedTextFile::Path()).size(), 0);
    }

    void selectionFillsListAndPreview()
    {
        auto app = Open({{"Impôts", "2007", 0, "Avis d'imposition\r\nà recevoir", {"/d/a.pdf", "/d/b.txt", "/d/a.pdf", "/d/c.odt"}},
                         {"Impôts", "2006", 1, "", {"/d/z.pdf"}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        // Repeated paths were removed when the subject entered the tree, without
        // marking the book modified.
        QCOMPARE(doc->GetSubject(0)->GetDocumentCount(), 3);
        QVERIFY(!doc->IsModified());

        tree->setCurrentItem(FindItem(tree, QStringLiteral("2007")));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(0));
        QCOMPARE(ListRows(window->List()),
                 (QStringList{QStringLiteral("/d/a.pdf"), QStringLiteral("/d/b.txt"), QStringLiteral("/d/c.odt")}));
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Text);
        QCOMPARE(window->Preview()->DisplayedText(), QStringLiteral("Avis d'imposition\nà recevoir"));
        // Temp.txt: the expected text in UTF-8 after its mark, in a private folder.
        const QString temp = ExpectedTextFile::Path();
        QCOMPARE(QFileInfo(temp).fileName(), QStringLiteral("Temp.txt"));
        QVERIFY(QFileInfo(temp).absolutePath() != QDir::currentPath());
        QFile file(temp);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\xEF\xBB\xBF" "Avis d'imposition\r\n\xC3\xA0 recevoir"));
        file.close();

        // A general title: no current subject, empty list, blank preview.
        tree->setCurrentItem(tree->FindGeneralTitleItem("Impôts"));
        QVERIFY(!doc->GetCurrentSubject());
        QCOMPARE(window->List()->GetRowCount(), 0);
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Blank);

        // Closing the window deletes Temp.txt.
        QVERIFY(QFile::exists(temp));
        window->close();
        QTRY_VERIFY(!QFile::exists(temp));
    }

    void expectedTextIsShownAsTypedAndThePrintPreviewAsPrinted()
    {
        // Characters that Windows-1252 lacks, and Windows-1252 text that also
        // reads as UTF-8; enough subjects for several printed pages.
        const std::vector<std::string> texts = {"Łódź, İstanbul : 3 ≠ 4", "Ã©tÃ© Â£", "Reçu 5 €"};
        std::vector<SubjectSpec> specs;
        for (int i = 0; i < 150; ++i)
            specs.push_back({"Titre " + std::to_string(i / 10), "sujet " + std::to_string(i), i % 2, texts[i % 3], {}});
        auto app = Open(specs);
        CSplitter* window = ActiveWindow(*app);
        for (int i = 0; i < 3; ++i) {
            window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("sujet %1").arg(i)));
            QCOMPARE(window->Preview()->DisplayedText(), QString::fromStdString(texts[i]));
        }

        QTemporaryDir out;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(out.filePath(QStringLiteral("arbre.pdf")));
        QVERIFY(window->Tree()->PrintTree(printer));
        QPdfDocument printed;
        QCOMPARE(printed.load(out.filePath(QStringLiteral("arbre.pdf"))), QPdfDocument::Error::None);
        QVERIFY(printed.pageCount() > 1);
        int previewPages = -1;
        DialogRunner::SetNextHandler([&](QDialog& dialog) {
            if (auto* preview = dialog.findChild<QPrintPreviewWidget*>()) {
                preview->updatePreview();
                previewPages = preview->pageCount();
            }
            return int{QDialog::Rejected};
        });
        QVERIFY(app->MainFrame()->RunCommand(ID_FILE_PRINT_PREVIEW));
        QCOMPARE(previewPages, printed.pageCount());
    }

    void doubleClickShowsTheDocument()
    {
        const QString text = m_dir.filePath(QStringLiteral("note.txt"));
        {
            QFile f(text);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Relev\xE9 de compte");
        }
        const std::string missing = m_dir.filePath(QStringLiteral("absent.pdf")).toStdString();
        auto app = Open({{"Banque", "Compte", 0, "", {missing, text.toStdString()}}});
        CSplitter* window = ActiveWindow(*app);
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("Compte")));
        CListeView* list = window->List();
        // No selected row: nothing happens.
        list->OpenInPreview();
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Text);
        QCOMPARE(window->Preview()->CurrentPath(), ExpectedTextFile::Path());

        list->SelectDocument(1);
        const QRect r = list->RowRect(1);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QCOMPARE(window->Preview()->CurrentPath(), text);
        QCOMPARE(window->Preview()->DisplayedText(), QStringLiteral("Relevé de compte"));

        list->SelectDocument(0);
        list->OpenInPreview();
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Error);
        QVERIFY(window->Preview()->DisplayedText().contains(QStringLiteral("introuvable")));
    }

    void subjectsWithTheSameNameStayApart()
    {
        auto app = Open({{"EDF", "2006", 0, "premier", {"/p/1"}}, {"GDF", "2006", 1, "second", {"/p/2"}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        QTreeWidgetItem* gdf = tree->FindGeneralTitleItem("GDF")->child(0);
        tree->setCurrentItem(gdf);
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(1));
        QCOMPARE(ListRows(window->List()), QStringList{QStringLiteral("/p/2")});
        QCOMPARE(window->Preview()->DisplayedText(), QStringLiteral("second"));
        // Closing/reopening acts on that record, not on the first of its name.
        QVERIFY(app->MainFrame()->RunCommand(ID_CLOSE_SUBJECT));
        QCOMPARE(doc->GetSubject(1)->GetState(), 0);
        QCOMPARE(doc->GetSubject(0)->GetState(), 0);
        QVERIFY(HasMark(gdf, OpenSubjectMark()));
    }

    void contextMenuOfASubject()
    {
        auto app = Open({{"Impôts", "2006", 1, "", {}}, {"Impôts", "2007", 0, "", {}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        tree->expandAll();
        QApplication::processEvents();
        QTreeWidgetItem* item2006 = FindItem(tree, QStringLiteral("2006"));

        QStringList texts;
        QStringList enabled;
        PopupMenu::SetNextChoice([&](QMenu& menu) {
            texts = MenuTexts(menu);
            for (QAction* a : menu.actions()) {
                if (!a->isSeparator() && a->isEnabled())
                    enabled << a->text();
            }
            return int{ID_CLOSE_SUBJECT};
        });
        RightClick(tree, item2006);
        // The right click selected the subject before the menu showed.
        QCOMPARE(tree->currentItem(), item2006);
        QCOMPARE(texts, (QStringList{QStringLiteral("&Ajouter un document"), QStringLiteral("-"),
                                     QStringLiteral("&Supprimer le sujet"), QStringLiteral("&Renommer le sujet"),
                                     QStringLiteral("-"), QStringLiteral("&Ouvrir le sujet"), QStringLiteral("-"),
                                     QStringLiteral("&Copier le sujet"), QStringLiteral("-"), QStringLiteral("A&ttendu"),
                                     QStringLiteral("-"), QStringLiteral("&Déplacer vers un autre titre général…"),
                                     QStringLiteral("Renommer le &titre général…")}));
        // With a subject current, every command of the menu is offered.
        QCOMPARE(enabled, (QStringList{QStringLiteral("&Ajouter un document"), QStringLiteral("&Supprimer le sujet"),
                                       QStringLiteral("&Renommer le sujet"), QStringLiteral("&Ouvrir le sujet"),
                                       QStringLiteral("&Copier le sujet"), QStringLiteral("A&ttendu"),
                                       QStringLiteral("&Déplacer vers un autre titre général…"),
                                       QStringLiteral("Renommer le &titre général…")}));
        // The chosen command reopened the subject.
        QCOMPARE(doc->GetSubject(0)->GetState(), 0);
        QVERIFY(HasMark(item2006, OpenSubjectMark()));
        QVERIFY(doc->IsModified());

        PopupMenu::SetNextChoice([&](QMenu& menu) {
            texts = MenuTexts(menu);
            return 0;
        });
        RightClick(tree, item2006);
        QCOMPARE(texts.at(5), QStringLiteral("&Cloturer le sujet"));

        // A general title: selected, no menu.
        const int tracked = PopupMenu::TrackedCount();
        RightClick(tree, tree->FindGeneralTitleItem("Impôts"));
        QCOMPARE(tree->currentItem(), tree->FindGeneralTitleItem("Impôts"));
        QCOMPARE(PopupMenu::TrackedCount(), tracked);
        QVERIFY(!doc->GetCurrentSubject());

        // Search mode: the right click selects, no menu.
        tree->m_bSearchMode = true;
        RightClick(tree, FindItem(tree, QStringLiteral("2007")));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(1));
        QCOMPARE(PopupMenu::TrackedCount(), tracked);
        tree->m_bSearchMode = false;

        // From the keyboard: the menu of the selected subject.
        PopupMenu::SetNextChoice([](QMenu&) { return 0; });
        QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(0, 0), tree->mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(tree, &keyboard);
        QCOMPARE(PopupMenu::TrackedCount(), tracked + 1);
    }

    void addingDocuments()
    {
        auto app = Open({{"EDF", "2006", 0, "attendu", {"/d/a.pdf"}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        tree->setCurrentItem(FindItem(tree, QStringLiteral("2006")));

        FileDialog::SetNextFileName(QStringLiteral("/d/a.pdf"));
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        QVERIFY(ExecuteCommand({tree, doc}, ID_ADD_DOCUMENT));
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History().back().text, QStringLiteral("Ce document est déjà présent"));
        QCOMPARE(MessageBox::History().back().look, MessageBox::Exclamation);
        QCOMPARE(MessageBox::History().back().title, QStringLiteral("Tavelo"));
        QVERIFY(!doc->IsModified());
        QCOMPARE(window->List()->GetRowCount(), 1);

        FileDialog::SetNextFileName(QStringLiteral("/d/b.pdf"));
        QVERIFY(ExecuteCommand({tree, doc}, ID_ADD_DOCUMENT));
        QCOMPARE(ListRows(window->List()), (QStringList{QStringLiteral("/d/a.pdf"), QStringLiteral("/d/b.pdf")}));
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Blank);
        QVERIFY(doc->IsModified());

        // Cancelled dialog: nothing changes.
        FileDialog::SetNextFileName(QString());
        QVERIFY(ExecuteCommand({tree, doc}, ID_ADD_DOCUMENT));
        QCOMPARE(window->List()->GetRowCount(), 2);
    }

    void documentListContextMenu()
    {
        auto app = Open({{"EDF", "2006", 0, "", {"/d/a.pdf", "/d/b.pdf"}}});
        CSplitter* window = ActiveWindow(*app);
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("2006")));
        CListeView* list = window->List();
        const int tracked = PopupMenu::TrackedCount();
        QContextMenuEvent none(QContextMenuEvent::Mouse, QPoint(5, 5), list->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list->viewport(), &none);
        QCOMPARE(PopupMenu::TrackedCount(), tracked); // no row selected

        list->SelectDocument(1);
        QStringList texts;
        PopupMenu::SetNextChoice([&texts](QMenu& menu) {
            texts = MenuTexts(menu);
            return 0;
        });
        QApplication::sendEvent(list->viewport(), &none);
        QCOMPARE(texts, (QStringList{QStringLiteral("&Supprimer un document\tSuppr"),
                                     QStringLiteral("&Modifier le chemin du document")}));

        window->Tree()->m_bSearchMode = true;
        QApplication::sendEvent(list->viewport(), &none);
        QCOMPARE(PopupMenu::TrackedCount(), tracked + 1);
    }

    void closedSubjectsThroughTheMenu()
    {
        auto app = Open({{"EDF", "2006", 1, "", {}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        // No current subject: the command is disabled and does nothing.
        QVERIFY(!app->MainFrame()->RunCommand(ID_CLOSE_SUBJECT));
        tree->setCurrentItem(FindItem(tree, QStringLiteral("2006")));
        QVERIFY(app->MainFrame()->RunCommand(ID_CLOSE_SUBJECT));
        QCOMPARE(doc->GetSubject(0)->GetState(), 0);
        QVERIFY(app->MainFrame()->RunCommand(ID_CLOSE_SUBJECT));
        QCOMPARE(doc->GetSubject(0)->GetState(), 1);
        QVERIFY(HasMark(FindItem(tree, QStringLiteral("2006")), ClosedSubjectMark()));
        // From the preview the tree's commands are not on the route.
        window->SetActiveView(window->Preview());
        QVERIFY(!app->MainFrame()->RunCommand(ID_CLOSE_SUBJECT));
        QCOMPARE(doc->GetSubject(0)->GetState(), 1);
    }

    void removingASubjectItem()
    {
        auto app = Open({{"EDF", "a", 0, "", {}}, {"EDF", "b", 0, "", {}}, {"GDF", "c", 0, "", {}}});
        CTenorelView* tree = ActiveWindow(*app)->Tree();
        CTenorelDoc* doc = ActiveWindow(*app)->GetDocument();
        tree->m_searchHits = {doc->GetSubject(0), doc->GetSubject(2)};
        tree->RemoveSubjectItem(doc->GetSubject(2));
        QVERIFY(!tree->FindGeneralTitleItem("GDF"));
        QCOMPARE(tree->m_searchHits.size(), std::size_t{1});
        tree->RemoveSubjectItem(doc->GetSubject(0));
        QCOMPARE(ChildTexts(tree->FindGeneralTitleItem("EDF")), QStringList{QStringLiteral("b")});
    }
};

TAVELO_GUI_TEST_MAIN(TestTree)
#include "test_tree.moc"
