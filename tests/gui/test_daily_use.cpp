// The document list in columns with its background checks, the filter above
// the tree, the document check and the relinking of moved documents.

#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QWindow>
#include <condition_variable>
#include <mutex>

#include "app/check_documents_dlg.h"
#include "app/relink_dlg.h"
#include "editing/probe_pool.h"
#include "gui_fixture.h"
#include "views/subject_filter.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {

QString Cell(CListeView* list, int row, int column, int role = Qt::DisplayRole)
{
    return list->model()->index(row, column).data(role).toString();
}

// A folder under /lent/ answers only once the test opens it.
class SlowFolder {
public:
    DocumentProbe Probe(const std::string& path)
    {
        if (path.rfind("/lent/", 0) != 0)
            return ProbeDocument(path);
        std::unique_lock lock(m_mutex);
        ++m_asked;
        m_open.wait(lock, [this] { return m_answering; });
        ++m_answered;
        DocumentProbe probe;
        probe.status = DocumentStatus::kReadable;
        probe.size = 999;
        return probe;
    }
    void Answer()
    {
        std::lock_guard lock(m_mutex);
        m_answering = true;
        m_open.notify_all();
    }
    int Answered()
    {
        std::lock_guard lock(m_mutex);
        return m_answered;
    }
    int Asked()
    {
        std::lock_guard lock(m_mutex);
        return m_asked;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_open;
    bool m_answering = false;
    int m_answered = 0;
    int m_asked = 0;
};

// Subjects the user sees under open titles.
QStringList ShownSubjects(CTenorelView* tree)
{
    QStringList shown;
    QTreeWidgetItem* root = tree->GetRootItem();
    for (int i = 0; root && i < root->childCount(); ++i) {
        QTreeWidgetItem* title = root->child(i);
        if (title->isHidden())
            continue;
        title->setExpanded(true);
        for (int j = 0; j < title->childCount(); ++j) {
            if (!title->child(j)->isHidden())
                shown << title->child(j)->text(0);
        }
    }
    return shown;
}

} // namespace

class TestDailyUse : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    std::unique_ptr<CTenorelApp> Open(const std::vector<SubjectSpec>& specs)
    {
        return StartApp({WriteBook(m_dir, QStringLiteral("book.tvo"), specs)});
    }
    std::string File(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path.toStdString();
    }

private Q_SLOTS:
    void init()
    {
        MessageBox::ClearHistory();
        FileDialog::ClearHistory();
    }

    void columnsMarksAndSorting()
    {
        const std::string note = File(QStringLiteral("Papiers/note.txt"), "12345");
        const std::string folder = m_dir.filePath(QStringLiteral("Papiers")).toStdString();
        const std::string absent = m_dir.filePath(QStringLiteral("Papiers/absent.pdf")).toStdString();
        auto app = Open({{"EDF", "2006", 0, "", {note, "C:\\Factures\\edf.pdf", folder, absent}}});
        CSplitter* window = ActiveWindow(*app);
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("2006")));
        CListeView* list = window->List();

        QStringList headers;
        for (int c = 0; c < list->model()->columnCount(); ++c)
            if (!list->isColumnHidden(c))
                headers << list->model()->headerData(c, Qt::Horizontal).toString();
        // The quick search's extracts have a column of their own, shown only
        // while it shows its answer.
        QCOMPARE(headers, (QStringList{"Nom", "Dossier", "Type", "Taille", "Modifié le"}));
        QCOMPARE(Cell(list, 1, 0), QStringLiteral("edf.pdf"));
        QCOMPARE(Cell(list, 1, 1), QStringLiteral("C:\\Factures"));
        QVERIFY(!Cell(list, 1, 2).isEmpty()); // the desktop's name of the PDF type

        QTRY_COMPARE(list->Model()->PendingCount(), 0);
        QCOMPARE(Cell(list, 0, 3), QStringLiteral("5 octets"));
        QVERIFY(!Cell(list, 0, 4).isEmpty());
        QCOMPARE(list->Model()->StateAt(1), DocumentListModel::State::kMissing);
        QVERIFY(Cell(list, 1, 0, Qt::ToolTipRole).endsWith(QStringLiteral("Document absent : le fichier n'existe pas")));
        QVERIFY(Cell(list, 2, 0, Qt::ToolTipRole).endsWith(
            QStringLiteral("Document illisible : ce n'est pas un fichier ordinaire")));
        QCOMPARE(list->model()->index(3, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(178, 34, 34));
        QVERIFY(!list->model()->index(0, 1).data(Qt::ForegroundRole).isValid());

        // Sorted by name, the commands still act on the document chosen.
        list->header()->setSortIndicator(0, Qt::AscendingOrder);
        QCOMPARE(ListRows(list), (QStringList{QString::fromStdString(absent), "C:\\Factures\\edf.pdf",
                                              QString::fromStdString(note), QString::fromStdString(folder)}));
        ClickRowAt(list, 1);
        QCOMPARE(list->GetSelectedRow(), 1);
        QVERIFY(app->MainFrame()->RunCommand(ID_REMOVE_DOCUMENT));
        QCOMPARE(window->GetDocument()->GetSubject(0)->GetDocumentPaths(), (std::vector<std::string>{note, folder, absent}));
        // The heading's menu brings the subject's order back.
        list->header()->setSortIndicator(0, Qt::AscendingOrder);
        PopupMenu::SetNextChoice([](QMenu& menu) {
            return menu.actions().front()->text() == QString::fromUtf8(CListeView::kBookOrder) ? 1 : 0;
        });
        QContextMenuEvent onHeader(QContextMenuEvent::Mouse, QPoint(5, 5), list->header()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list->header()->viewport(), &onHeader);
        QCOMPARE(ListRows(list),
                 (QStringList{QString::fromStdString(note), QString::fromStdString(folder), QString::fromStdString(absent)}));
    }

    void columnWidthsAreKept()
    {
        {
            auto app = Open({{"EDF", "2006", 0, "", {}}});
            ActiveWindow(*app)->List()->header()->resizeSection(1, 333);
        }
        auto app = Open({{"EDF", "2006", 0, "", {}}});
        QCOMPARE(ActiveWindow(*app)->List()->header()->sectionSize(1), 333);
    }

    void slowFolderNeverHoldsTheList()
    {
        SlowFolder slow;
        ProbePool::Shared().SetProber([&slow](const std::string& p) { return slow.Probe(p); });
        std::vector<std::string> many;
        for (int i = 0; i < 40; ++i)
            many.push_back("/lent/scan" + std::to_string(i) + ".pdf");
        const std::string absent = m_dir.filePath(QStringLiteral("absent.pdf")).toStdString();
        auto app = Open({{"NAS", "Scans", 0, "", many}, {"Local", "Lettre", 0, "", {absent}}});
        CSplitter* window = ActiveWindow(*app);
        CListeView* list = window->List();

        // Shown at once, unchecked, while the folder does not answer.
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("Scans")));
        QCOMPARE(list->GetRowCount(), 40);
        QCOMPARE(list->Model()->PendingCount(), 40);
        QVERIFY(Cell(list, 0, 0, Qt::ToolTipRole).endsWith(QStringLiteral("Vérification en cours…")));
        QTRY_VERIFY(slow.Asked() > 0);
        QCOMPARE(list->Model()->PendingCount(), 40);
        // Another subject meanwhile: its own check comes back.
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("Lettre")));
        QTRY_COMPARE(list->Model()->PendingCount(), 0);
        QCOMPARE(list->Model()->StateAt(0), DocumentListModel::State::kMissing);
        // The late answers about the first subject are dropped.
        slow.Answer();
        QTRY_VERIFY(slow.Answered() > 0);
        QTest::qWait(100);
        QCOMPARE(list->Model()->StateAt(0), DocumentListModel::State::kMissing);
        QCOMPARE(Cell(list, 0, 3), QString());
        ProbePool::Shared().SetProber({});
    }

    void rightButtonAndCopyKeyOnTheList()
    {
        auto app = Open({{"EDF", "2006", 0, "", {"/d/a.pdf", "/d/b.pdf"}}});
        CSplitter* window = ActiveWindow(*app);
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("2006")));
        CListeView* list = window->List();
        QApplication::processEvents();
        // Through the window, as the desktop delivers it: the row under the
        // pointer is selected and the list's menu opens.
        QStringList texts;
        PopupMenu::SetNextChoice([&texts](QMenu& menu) {
            for (QAction* a : menu.actions())
                texts << a->text();
            return 0;
        });
        const QPoint at = list->viewport()->mapTo(list->window(), list->RowRect(1).center());
        QTest::mouseClick(list->window()->windowHandle(), Qt::RightButton, Qt::NoModifier, at);
        QCOMPARE(list->GetSelectedRow(), 1);
        QCOMPARE(texts, (QStringList{QStringLiteral("&Supprimer un document\tSuppr"),
                                     QStringLiteral("&Modifier le chemin du document")}));

        list->setFocus();
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("/d/b.pdf"));
        QVERIFY(!window->GetDocument()->IsModified());
        QVERIFY(MessageBox::History().empty());
    }

    void filterNarrowsTheTree()
    {
        auto app = Open({{"Impôts", "Revenus 2006", 0, "", {}},
                         {"Impôts", "Taxe foncière", 0, "", {}},
                         {"EDF", "Échéancier", 0, "", {}},
                         {"EDF", "Contrat", 0, "", {}},
                         {"Banque", "Œuvre sociale", 0, "", {}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        SubjectFilter* filter = window->Filter();
        QCOMPARE(filter->placeholderText(), QStringLiteral("Filtrer les sujets"));
        filter->setFocus();
        QCOMPARE(window->GetActiveView(), static_cast<CView*>(tree));

        const struct {
            const char* typed;
            QStringList shown;
        } cases[] = {
            {"IMPOTS", {"Revenus 2006", "Taxe foncière"}}, // by the title, accents ignored
            {"eche", {"Échéancier"}},
            {"FONCIÈRE", {"Taxe foncière"}},
            {"oeuvre", {"Œuvre sociale"}},
            {"zzz", {}},
        };
        for (const auto& c : cases) {
            filter->clear();
            QTest::keyClicks(filter, QString::fromUtf8(c.typed));
            QCOMPARE(ShownSubjects(tree), c.shown);
        }
        QTest::keyClick(filter, Qt::Key_Escape);
        QCOMPARE(filter->text(), QString());
        QCOMPARE(ShownSubjects(tree).size(), 5);

        // In search navigation it narrows the found subjects only.
        CTenorelDoc* doc = window->GetDocument();
        tree->m_searchHits = {doc->GetSubject(0), doc->GetSubject(3)};
        tree->OnSearchNavigation();
        QTest::keyClicks(filter, QStringLiteral("rev"));
        QCOMPARE(ShownSubjects(tree), (QStringList{"Revenus 2006"}));
        // Back in standard navigation the filter stays on.
        tree->OnStandardNavigation();
        QCOMPARE(ShownSubjects(tree), (QStringList{"Revenus 2006"}));

        // A new subject that does not match is shown: the filter makes way.
        tree->AddSubjectToTree(doc->AppendSubject(std::make_unique<CTenorels>("Gaz", "Compteur", 0)), true);
        QCOMPARE(filter->text(), QString());
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Compteur"));
        QVERIFY(!tree->currentItem()->isHidden());
    }


    void checkWindowListsWhatTheCommandLineLists()
    {
        const std::string present = File(QStringLiteral("ok.txt"), "ok");
        const std::string absent = m_dir.filePath(QStringLiteral("absent.pdf")).toStdString();
        const std::string folder = m_dir.path().toStdString();
        auto app = Open({{"EDF", "2006", 0, "", {present, absent}}, {"GDF", "2007", 0, "", {present, folder}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        QVERIFY(app->MainFrame()->RunCommand(ID_CHECK_DOCUMENTS));
        auto* dialog = app->MainFrame()->findChild<CCheckDocumentsDlg*>();
        QVERIFY(dialog);
        QTRY_VERIFY(!dialog->IsRunning());

        QStringList rows;
        for (int i = 0; i < dialog->Results()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = dialog->Results()->topLevelItem(i);
            rows << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(2);
        }
        QStringList expected;
        for (const MissingDocument& m : FindMissingDocuments(*doc))
            expected << QString::fromStdString(m.subject->GetGeneralTitle() + " ▸ " + m.subject->GetSubjectName() + "|" +
                                               m.path + "|" + DescribeProbe(m.probe));
        QCOMPARE(rows, expected);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(dialog->Summary()->text(), QStringLiteral("2 documents absents ou illisibles sur 4."));
        QCOMPARE(dialog->Button()->text(), QStringLiteral("Fermer"));

        // A double click finds the subject even hidden by the filter or
        // outside the found subjects.
        CTenorelView* tree = window->Tree();
        tree->m_searchHits = {doc->GetSubject(0)};
        tree->OnSearchNavigation();
        QTest::keyClicks(window->Filter(), QStringLiteral("2006"));
        QTreeWidgetItem* second = dialog->Results()->topLevelItem(1);
        Q_EMIT dialog->Results()->itemDoubleClicked(second, 0);
        QVERIFY(!tree->m_bSearchMode);
        QCOMPARE(window->Filter()->text(), QString());
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(1));
        QCOMPARE(window->List()->GetSelectedRow(), 1);

        // Stopped while a folder does not answer: at once.
        SlowFolder slow;
        CCheckDocumentsDlg::SetProber([&slow](const std::string& p) { return slow.Probe(p); });
        doc->GetSubject(0)->AddDocumentPath("/lent/scan.pdf");
        QVERIFY(app->MainFrame()->RunCommand(ID_CHECK_DOCUMENTS));
        dialog = app->MainFrame()->findChild<CCheckDocumentsDlg*>();
        QTRY_VERIFY(slow.Asked() == 1);
        QVERIFY(dialog->IsRunning());
        QTest::mouseClick(dialog->Button(), Qt::LeftButton);
        QVERIFY(!dialog->IsRunning());
        QVERIFY(dialog->Summary()->text().startsWith(QStringLiteral("Vérification arrêtée après")));
        slow.Answer();
        CCheckDocumentsDlg::SetProber({});
    }

    void relinkingRepointsWhatIsTicked()
    {
        const QString folder = m_dir.filePath(QStringLiteral("rangement"));
        const std::string edf = File(QStringLiteral("rangement/2006/edf.pdf"), "edf");
        const std::string gaz1 = File(QStringLiteral("rangement/a/gaz.pdf"), "1");
        const std::string gaz2 = File(QStringLiteral("rangement/b/gaz.pdf"), "2");
        const std::string present = File(QStringLiteral("ici.txt"), "ici");
        auto app = Open({{"EDF", "2006", 0, "", {"/ancien/2006/edf.pdf", present}},
                         {"GDF", "2007", 0, "", {"/ancien/gaz.pdf", "/ancien/perdu.pdf"}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("2006")));

        QStringList shown;
        bool oneFilePerDocument = false;
        std::size_t afterNone = 99;
        std::size_t afterAll = 99;
        QString summary;
        FileDialog::SetNextFileName(folder);
        DialogRunner::SetNextHandler([&](QDialog& d) -> int {
            auto& dialog = static_cast<CRelinkDlg&>(d);
            QTreeWidget* list = dialog.Proposals();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem* document = list->topLevelItem(i);
                for (int j = 0; j < document->childCount(); ++j)
                    shown << document->text(0) + QStringLiteral(" → ") + document->child(j)->text(1) +
                                 (document->child(j)->checkState(1) == Qt::Checked ? QStringLiteral(" [x]") : QString());
            }
            // Both files of the name are offered and none is ticked; the
            // user ticks one, then the other: one file per document.
            QTreeWidgetItem* gaz = list->topLevelItem(1);
            gaz->child(0)->setCheckState(1, Qt::Checked);
            gaz->child(1)->setCheckState(1, Qt::Checked);
            oneFilePerDocument = gaz->child(0)->checkState(1) == Qt::Unchecked;
            dialog.findChild<QPushButton*>(QStringLiteral("checkNone"))->click();
            afterNone = dialog.Confirmed().size();
            dialog.findChild<QPushButton*>(QStringLiteral("checkAll"))->click();
            afterAll = dialog.Confirmed().size();
            gaz->child(1)->setCheckState(1, Qt::Checked);
            summary = dialog.Summary()->text();
            return QDialog::Accepted;
        });
        QVERIFY(app->MainFrame()->RunCommand(ID_RELINK_DOCUMENTS));
        QVERIFY(oneFilePerDocument);
        QCOMPARE(afterNone, std::size_t{0});
        QCOMPARE(afterAll, std::size_t{1}); // the two files of one name wait for the user
        QVERIFY(summary.contains(QStringLiteral("1 document absent n'a pas été retrouvé.")));
        QCOMPARE(shown, (QStringList{"/ancien/2006/edf.pdf → " + QString::fromStdString(edf) + " [x]",
                                     "/ancien/gaz.pdf → " + QString::fromStdString(gaz1),
                                     "/ancien/gaz.pdf → " + QString::fromStdString(gaz2)}));
        QCOMPARE(doc->GetSubject(0)->GetDocumentPaths(), (std::vector<std::string>{edf, present}));
        QCOMPARE(doc->GetSubject(1)->GetDocumentPaths(), (std::vector<std::string>{gaz2, "/ancien/perdu.pdf"}));
        QVERIFY(doc->IsModified());
        QCOMPARE(ListRows(window->List()), (QStringList{QString::fromStdString(edf), QString::fromStdString(present)}));

        // Nothing left to find: told, nothing asked.
        doc->GetSubject(1)->RemoveDocumentPath(1);
        FileDialog::SetNextFileName(folder);
        QVERIFY(app->MainFrame()->RunCommand(ID_RELINK_DOCUMENTS));
        QCOMPARE(MessageBox::History().back().text, QStringLiteral("Aucun document du livre n'est absent ou illisible."));
    }

    void cleanupTestCase() { ProbePool::Shared().SetProber({}); }

private:
    static void ClickRowAt(CListeView* list, int shownRow)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->RowRect(shownRow).center());
    }
};

TAVELO_GUI_TEST_MAIN(TestDailyUse)
#include "test_daily_use.moc"
