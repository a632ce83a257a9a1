// "&Rechercher un sujet" and the navigation modes, driven through the menus,
// the toolbar and the criteria dialog: hits, search mode, standard mode,
// messages, progress window.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>

#include "app/search_commands.h"
#include "reading/text_source.h"
#include "app/search_dialogs.h"
#include "gui_fixture.h"
#include "test_files.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {

const QString kEdition = QStringLiteral("&Edition");
const QString kNavigation = QStringLiteral("&Mode de Navigation");

struct Criteria {
    QString word;
    bool names = false;
    bool documentNames = false;
    bool expected = false;
    bool contents = false;
    bool wholeWord = false;
    bool matchCase = false;
};

QCheckBox* Check(CSearchCriteriaDlg& dlg, int id)
{
    return qobject_cast<QCheckBox*>(dlg.Control(id));
}

QPushButton* Button(CSearchCriteriaDlg& dlg, int id)
{
    return qobject_cast<QPushButton*>(dlg.Control(id));
}

// The next criteria dialog is filled as a user would and closed with OK.
void AnswerCriteria(const Criteria& c)
{
    DialogRunner::SetNextHandler([c](QDialog& d) {
        auto& dlg = dynamic_cast<CSearchCriteriaDlg&>(d);
        QTest::keyClicks(dlg.Control(IDC_SEARCH_WORD), c.word);
        const std::pair<int, bool> boxes[] = {{IDC_SUBJECT_TITLES, c.names},   {IDC_DOCUMENT_TITLES, c.documentNames},
                                              {IDC_EXPECTED_TEXTS, c.expected}, {IDC_DOCUMENT_CONTENTS, c.contents},
                                              {IDC_WHOLE_WORD, c.wholeWord},     {IDC_MATCH_CASE, c.matchCase}};
        for (const auto& [id, wanted] : boxes) {
            if (wanted)
                QTest::mouseClick(Check(dlg, id), Qt::LeftButton);
        }
        QTest::mouseClick(Button(dlg, IDOK), Qt::LeftButton);
        return d.result();
    });
}

QAction* MenuCommand(CMainFrame* frame, const QString& menuTitle, int id)
{
    QMenu* menu = TopMenu(frame->menuBar(), menuTitle);
    if (!menu)
        return nullptr;
    QMetaObject::invokeMethod(menu, "aboutToShow");
    return FindCommandAction(menu, id);
}

// Chooses a menu item as the user would; false when it is greyed.
bool ChooseMenu(CMainFrame* frame, const QString& menuTitle, int id)
{
    QAction* action = MenuCommand(frame, menuTitle, id);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

// The search runs off the window's thread: the window goes on handling events
// until it is over and its end shown.
void WaitForSearches()
{
    QElapsedTimer waited;
    waited.start();
    while (IsSearchRunning() && waited.elapsed() < 60000)
        QTest::qWait(5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool Search(CMainFrame* frame, const Criteria& c)
{
    AnswerCriteria(c);
    const bool chosen = ChooseMenu(frame, kEdition, ID_EDIT_FIND);
    WaitForSearches();
    return chosen;
}

CSearchProgressDlg* ProgressWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dlg = qobject_cast<CSearchProgressDlg*>(w); dlg && dlg->isVisible())
            return dlg;
    return nullptr;
}

QString ControlText(QDialog* dlg, int id)
{
    for (QWidget* child : dlg->findChildren<QWidget*>())
        if (child->property("controlId").toInt() == id)
            if (auto* label = qobject_cast<QLabel*>(child))
                return label->text();
    return {};
}


// Every subject item, "title/name", in tree order.
QStringList TreeSubjects(const CTenorelView* tree)
{
    QStringList out;
    const QTreeWidgetItem* root = tree->GetRootItem();
    for (int t = 0; root && t < root->childCount(); ++t) {
        for (int s = 0; s < root->child(t)->childCount(); ++s)
            out << root->child(t)->text(0) + QLatin1Char('/') + root->child(t)->child(s)->text(0);
    }
    return out;
}

QStringList HitNames(const CTenorelView* tree)
{
    QStringList names;
    for (const CTenorels* hit : tree->m_searchHits)
        names << QString::fromStdString(hit->GetSubjectName());
    return names;
}

bool SubjectsMenuEnabled(CMainFrame* frame)
{
    const int pos = CMainFrame::FindMenuItemByText(frame->menuBar(), QStringLiteral("&Sujets"));
    return pos >= 0 && frame->menuBar()->actions().at(pos)->isEnabled() && frame->IsSubjectsMenuEnabled();
}

bool Checked(CMainFrame* frame, int id)
{
    QAction* action = MenuCommand(frame, kNavigation, id);
    return action && action->isCheckable() && action->isChecked();
}

void RightClick(CTenorelView* tree, QTreeWidgetItem* item)
{
    const QRect r = tree->visualItemRect(item);
    QTest::mouseClick(tree->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(r.left() + 4, r.center().y()));
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    std::unique_ptr<CTenorelApp> Open(const std::vector<SubjectSpec>& specs)
    {
        return StartApp({WriteBook(m_dir, QStringLiteral("livre.tvo"), specs)});
    }

    std::string Doc(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)).toStdString(); }

    // A subject of every scope: only its name, its expected text, one of its
    // file names or the inside of one of its files holds "quittance".
    std::vector<SubjectSpec> ScopeBook()
    {
        WriteFile(m_dir.filePath(QStringLiteral("bail.txt")), "Quittance de loyer de janvier\n");
        WriteFile(m_dir.filePath(QStringLiteral("vide.txt")), "rien ici\n");
        return {{"Loyer", "Janvier", 0, "", {Doc("vide.txt"), Doc("bail.txt")}},
                {"Banque", "Relevé", 1, "attendre la quittance", {Doc("vide.txt")}},
                {"Assurance", "Contrat", 0, "", {Doc("quittance_2006.odg")}},
                {"Divers", "Quittances", 0, "", {}},
                {"Banque", "Prêt", 0, "rien", {Doc("vide.txt")}}};
    }

private Q_SLOTS:
    void init()
    {
        MessageBox::ClearHistory();
        FileDialog::ClearHistory();
    }

    void criteriaDialogControlsAndDefaults()
    {
        auto app = Open({{"EDF", "2006", 0, "", {}}});
        bool inspected = false;
        DialogRunner::SetNextHandler([&inspected](QDialog& d) {
            auto& dlg = dynamic_cast<CSearchCriteriaDlg&>(d);
            inspected = true;
            [&] {
                QCOMPARE(dlg.windowTitle(), QStringLiteral("Rechercher"));
                const std::pair<int, QString> boxes[] = {
                    {IDC_SUBJECT_TITLES, QStringLiteral("Titres des sujets")},
                    {IDC_DOCUMENT_TITLES, QStringLiteral("Titre des documents")},
                    {IDC_EXPECTED_TEXTS, QStringLiteral("Attendus")},
                    {IDC_DOCUMENT_CONTENTS, QStringLiteral("Documents des sujets")},
                    {IDC_WHOLE_WORD, QStringLiteral("Mot entier uniquement")},
                    {IDC_MATCH_CASE, QStringLiteral("Respecter la casse")}};
                for (const auto& [id, label] : boxes) {
                    QVERIFY(Check(dlg, id));
                    QCOMPARE(Check(dlg, id)->text(), label);
                    QVERIFY(!Check(dlg, id)->isChecked());
                }
                // The four scopes are framed by "Zone de recherche", the options are not.
                auto* zone = qobject_cast<QGroupBox*>(Check(dlg, IDC_SUBJECT_TITLES)->parentWidget());
                QVERIFY(zone);
                QCOMPARE(zone->title(), QStringLiteral("Zone de recherche"));
                QCOMPARE(Check(dlg, IDC_DOCUMENT_CONTENTS)->parentWidget(), zone);
                QVERIFY(Check(dlg, IDC_WHOLE_WORD)->parentWidget() != zone);
                auto* word = qobject_cast<QLineEdit*>(dlg.Control(IDC_SEARCH_WORD));
                QVERIFY(word);
                QVERIFY(word->text().isEmpty());
                bool labelFound = false;
                for (QLabel* label : dlg.findChildren<QLabel*>())
                    labelFound |= label->text() == QStringLiteral("Rechercher :") && label->buddy() == word;
                QVERIFY(labelFound);
                QCOMPARE(Button(dlg, IDOK)->text(), QStringLiteral("OK"));
                QVERIFY(Button(dlg, IDOK)->isDefault());
                QCOMPARE(Button(dlg, IDCANCEL)->text(), QStringLiteral("&Annuler"));
                QVERIFY(!Button(dlg, IDOK)->isEnabled());

                // Spaces alone vanish from the box as they are typed.
                QTest::keyClicks(word, QStringLiteral("   "));
                QCOMPARE(word->text(), QString());
                // Options alone never enable OK.
                QTest::keyClicks(word, QStringLiteral("  EDF "));
                QCOMPARE(word->text(), QStringLiteral("EDF "));
                QTest::mouseClick(Check(dlg, IDC_WHOLE_WORD), Qt::LeftButton);
                QTest::mouseClick(Check(dlg, IDC_MATCH_CASE), Qt::LeftButton);
                QVERIFY(!Button(dlg, IDOK)->isEnabled());
                // Each scope is enough.
                for (int id : {IDC_SUBJECT_TITLES, IDC_DOCUMENT_TITLES, IDC_EXPECTED_TEXTS, IDC_DOCUMENT_CONTENTS}) {
                    QTest::mouseClick(Check(dlg, id), Qt::LeftButton);
                    QVERIFY(Button(dlg, IDOK)->isEnabled());
                    QTest::mouseClick(Check(dlg, id), Qt::LeftButton);
                    QVERIFY(!Button(dlg, IDOK)->isEnabled());
                }
                QTest::mouseClick(Check(dlg, IDC_EXPECTED_TEXTS), Qt::LeftButton);
                word->clear();
                QVERIFY(!Button(dlg, IDOK)->isEnabled());
                QTest::keyClicks(word, QStringLiteral("x"));
                QVERIFY(Button(dlg, IDOK)->isEnabled());
                QTest::mouseClick(Button(dlg, IDCANCEL), Qt::LeftButton);
            }();
            return d.result();
        });
        CMainFrame* frame = app->MainFrame();
        QVERIFY(ChooseMenu(frame, kEdition, ID_EDIT_FIND));
        QVERIFY(inspected);
        // Cancelled: nothing happened.
        QVERIFY(MessageBox::History().empty());
        QVERIFY(!ActiveWindow(*app)->Tree()->m_bSearchMode);

        // A new dialog remembers nothing.
        bool fresh = false;
        DialogRunner::SetNextHandler([&fresh](QDialog& d) {
            auto& dlg = dynamic_cast<CSearchCriteriaDlg&>(d);
            fresh = !Check(dlg, IDC_EXPECTED_TEXTS)->isChecked() && !Check(dlg, IDC_WHOLE_WORD)->isChecked() &&
                    qobject_cast<QLineEdit*>(dlg.Control(IDC_SEARCH_WORD))->text().isEmpty() &&
                    !Button(dlg, IDOK)->isEnabled();
            return int{QDialog::Rejected};
        });
        QVERIFY(ChooseMenu(frame, kEdition, ID_EDIT_FIND));
        QVERIFY(fresh);
    }

    void eachScopeFindsItsSubjects_data()
    {
        QTest::addColumn<int>("scope");
        QTest::addColumn<QStringList>("hits");
        QTest::addColumn<QStringList>("tree");
        QTest::newRow("noms") << int{IDC_SUBJECT_TITLES} << QStringList{QStringLiteral("Quittances")}
                              << QStringList{QStringLiteral("Divers/Quittances")};
        QTest::newRow("attendus") << int{IDC_EXPECTED_TEXTS} << QStringList{QStringLiteral("Relevé")}
                                  << QStringList{QStringLiteral("Banque/Relevé")};
        QTest::newRow("noms de fichiers") << int{IDC_DOCUMENT_TITLES} << QStringList{QStringLiteral("Contrat")}
                                          << QStringList{QStringLiteral("Assurance/Contrat")};
        QTest::newRow("contenus") << int{IDC_DOCUMENT_CONTENTS} << QStringList{QStringLiteral("Janvier")}
                                  << QStringList{QStringLiteral("Loyer/Janvier")};
    }

    void eachScopeFindsItsSubjects()
    {
        QFETCH(int, scope);
        QFETCH(QStringList, hits);
        QFETCH(QStringList, tree);
        auto app = Open(ScopeBook());
        CMainFrame* frame = app->MainFrame();
        Criteria c{QStringLiteral("quittance")};
        c.names = scope == IDC_SUBJECT_TITLES;
        c.expected = scope == IDC_EXPECTED_TEXTS;
        c.documentNames = scope == IDC_DOCUMENT_TITLES;
        c.contents = scope == IDC_DOCUMENT_CONTENTS;
        QVERIFY(Search(frame, c));
        CTenorelView* view = ActiveWindow(*app)->Tree();
        // The drawing of "Contrat" is of no kind the search reads: a search
        // of the contents says so, once.
        if (c.contents) {
            QCOMPARE(MessageBox::History().size(), std::size_t{1});
            QCOMPARE(MessageBox::History().back().text,
                     QStringLiteral("Un document n'a pas été examiné, son genre n'est pas lu : .odg (1)."));
            QCOMPARE(MessageBox::History().back().look, MessageBox::Information);
        } else {
            QVERIFY(MessageBox::History().empty());
        }
        QCOMPARE(HitNames(view), hits);
        QVERIFY(view->m_bSearchMode);
        QCOMPARE(TreeSubjects(view), tree);
    }

    void searchModeShowsTheHitsInBookOrder()
    {
        auto app = Open(ScopeBook());
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        tree->setCurrentItem(FindItem(tree, QStringLiteral("Prêt")));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(4));
        QVERIFY(Checked(frame, ID_NAVIGATION_STANDARD));
        QVERIFY(!Checked(frame, ID_NAVIGATION_SEARCH));

        // Through the toolbar's magnifying glass this time.
        Criteria all{QStringLiteral("quittance"), true, true, true, true};
        AnswerCriteria(all);
        QAction* find = frame->ToolBar()->findChild<QAction*>(QStringLiteral("toolbar_57636"));
        QVERIFY(find);
        frame->UpdateToolbar();
        QVERIFY(find->isEnabled());
        find->trigger();
        WaitForSearches();

        QCOMPARE(tree->m_searchHits,
                 (std::vector<CTenorels*>{doc->GetSubject(0), doc->GetSubject(1), doc->GetSubject(2), doc->GetSubject(3)}));
        QVERIFY(tree->m_bSearchMode);
        // Root expanded, the hits' general titles sorted, nothing selected.
        QTreeWidgetItem* root = tree->GetRootItem();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(root->text(0), doc->GetTitle());
        QVERIFY(root->isExpanded());
        QCOMPARE(ChildTexts(root), (QStringList{QStringLiteral("Assurance"), QStringLiteral("Banque"),
                                                QStringLiteral("Divers"), QStringLiteral("Loyer")}));
        QCOMPARE(ChildTexts(tree->FindGeneralTitleItem("Banque")), QStringList{QStringLiteral("Relevé")});
        QVERIFY(!tree->currentItem());
        // The subject that was current is no longer shown: none is current.
        QVERIFY(!doc->GetCurrentSubject());
        QCOMPARE(window->List()->GetRowCount(), 0);
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Blank);

        QVERIFY(Checked(frame, ID_NAVIGATION_SEARCH));
        QVERIFY(!Checked(frame, ID_NAVIGATION_STANDARD));
        QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Recherche"));
        QVERIFY(!SubjectsMenuEnabled(frame));
        QVERIFY(!doc->IsModified());

        // Selecting a hit shows its documents as in standard mode.
        tree->setCurrentItem(FindItem(tree, QStringLiteral("Janvier")));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(0));
        QCOMPARE(window->List()->GetRowCount(), 2);
        // Its document opens with the word marked.
        CListeView* list = window->List();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->RowRect(1).center());
        QCOMPARE(window->Preview()->CurrentPath(), QString::fromStdString(Doc("bail.txt")));
        QCOMPARE(window->Preview()->HitBarText(), QStringLiteral("Occurrence 1 sur 1"));
        QCOMPARE(window->Preview()->Browser()->textCursor().selectedText(), QStringLiteral("Quittance"));

        // A second window on the book starts in standard mode; the pane and
        // "&Sujets" follow the active window.
        QVERIFY(ChooseMenu(frame, QStringLiteral("Fe&nêtre"), ID_WINDOW_NEW));
        QTRY_VERIFY(ActiveWindow(*app) != window);
        ActiveWindow(*app)->SetActiveView(ActiveWindow(*app)->Tree());
        frame->UpdateToolbar();
        QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Standard"));
        QVERIFY(Checked(frame, ID_NAVIGATION_STANDARD));
        QVERIFY(SubjectsMenuEnabled(frame));
        frame->MdiArea()->setActiveSubWindow(window);
        window->SetActiveView(window->Tree());
        frame->UpdateToolbar();
        QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Recherche"));

        // From the preview the tree's commands are not on the route.
        window->SetActiveView(window->Preview());
        QVERIFY(!ChooseMenu(frame, kEdition, ID_EDIT_FIND));
        QVERIFY(!ChooseMenu(frame, kNavigation, ID_NAVIGATION_STANDARD));
    }

    void wholeWordAndCase()
    {
        auto app = Open({{"A", "Mot-clé", 0, "", {}}, {"A", "Motif", 0, "", {}}, {"B", "Facture EDF", 0, "", {}}});
        CMainFrame* frame = app->MainFrame();
        CTenorelView* tree = ActiveWindow(*app)->Tree();
        Criteria whole{QStringLiteral("Mot"), true};
        whole.wholeWord = true;
        QVERIFY(Search(frame, whole));
        QCOMPARE(HitNames(tree), QStringList{QStringLiteral("Mot-clé")});

        QVERIFY(Search(frame, {QStringLiteral("fact.re"), true}));
        QCOMPARE(HitNames(tree), QStringList{QStringLiteral("Facture EDF")});
        Criteria cased{QStringLiteral("fact.re"), true};
        cased.matchCase = true;
        QVERIFY(Search(frame, cased));
        QCOMPARE(MessageBox::History().back().text, QStringLiteral("Aucun sujet ne correspond aux critères"));
    }

    void noHitLeavesTheTreeAlone()
    {
        auto app = Open(ScopeBook());
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        tree->setCurrentItem(FindItem(tree, QStringLiteral("Prêt")));
        const QStringList before = TreeSubjects(tree);

        QVERIFY(Search(frame, {QStringLiteral("introuvable"), true, true, true, true}));
        QCOMPARE(MessageBox::History().size(), std::size_t{2});
        QCOMPARE(MessageBox::History().front().text, QStringLiteral("Aucun sujet ne correspond aux critères"));
        QCOMPARE(MessageBox::History().front().look, MessageBox::NoIcon);
        QCOMPARE(MessageBox::History().front().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(MessageBox::History().back().text.contains(QStringLiteral(".odg (1)")));
        QVERIFY(!tree->m_bSearchMode);
        QCOMPARE(TreeSubjects(tree), before);
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(4));
        QVERIFY(SubjectsMenuEnabled(frame));
        // No hits: "Navigation par recherche" changes nothing.
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_SEARCH));
        QVERIFY(!tree->m_bSearchMode);
        QVERIFY(Checked(frame, ID_NAVIGATION_STANDARD));

        // In search mode a search that finds nothing keeps the earlier tree
        // but forgets the hits.
        QVERIFY(Search(frame, {QStringLiteral("Relev"), true}));
        QVERIFY(tree->m_bSearchMode);
        QVERIFY(Search(frame, {QStringLiteral("introuvable"), true}));
        QVERIFY(tree->m_bSearchMode);
        QCOMPARE(TreeSubjects(tree), QStringList{QStringLiteral("Banque/Relevé")});
        QVERIFY(tree->m_searchHits.empty());
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_STANDARD));
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_SEARCH));
        QVERIFY(!tree->m_bSearchMode);
        QCOMPARE(TreeSubjects(tree), before);
    }

    void invalidPatternChangesNothing()
    {
        auto app = Open(ScopeBook());
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        QVERIFY(Search(frame, {QStringLiteral("Relev"), true}));
        const std::vector<CTenorels*> hits = tree->m_searchHits;
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_STANDARD));
        tree->setCurrentItem(FindItem(tree, QStringLiteral("Prêt")));
        const QStringList before = TreeSubjects(tree);

        for (bool matchCase : {false, true}) {
            MessageBox::ClearHistory();
            Criteria bad{QStringLiteral("(x"), true, true, true, true};
            bad.matchCase = matchCase;
            QVERIFY(Search(frame, bad));
            QCOMPARE(MessageBox::History().size(), std::size_t{1});
            QVERIFY(MessageBox::History().back().text.startsWith(QStringLiteral("Le mot « (x » ne peut pas être recherché")));
            QCOMPARE(MessageBox::History().back().look, MessageBox::Exclamation);
            QVERIFY(!tree->m_bSearchMode);
            QCOMPARE(TreeSubjects(tree), before);
            QCOMPARE(tree->currentItem(), FindItem(tree, QStringLiteral("Prêt")));
            QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(4));
            QCOMPARE(tree->m_searchHits, hits);
            QVERIFY(!doc->IsModified());
            QVERIFY(SubjectsMenuEnabled(frame));
            QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Standard"));
        }
        // The earlier hits are still there to go back to.
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_SEARCH));
        QCOMPARE(TreeSubjects(tree), QStringList{QStringLiteral("Banque/Relevé")});
    }

    void standardModeRestoresTreeAndSelection()
    {
        auto app = Open({{"EDF", "2006", 0, "attendu EDF", {"/d/edf.pdf"}},
                         {"GDF", "2006", 1, "attendu GDF", {"/d/gdf1.pdf", "/d/gdf2.pdf"}},
                         {"EDF", "2005", 0, "", {}},
                         {"Impôts", "Taxe", 0, "", {}}});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        const QStringList full = TreeSubjects(tree);

        QVERIFY(Search(frame, {QStringLiteral("2006"), true}));
        QCOMPARE(TreeSubjects(tree), (QStringList{QStringLiteral("EDF/2006"), QStringLiteral("GDF/2006")}));
        // The second of two subjects with the same name, selected in search mode.
        tree->setCurrentItem(tree->FindSubjectItem(doc->GetSubject(1)));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(1));
        // Its expected text holds no hit: no bar over a note.
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Text);
        QCOMPARE(window->Preview()->HitBarText(), QString());

        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_STANDARD));
        QVERIFY(!tree->m_bSearchMode);
        QCOMPARE(TreeSubjects(tree), full);
        QCOMPARE(CTenorelView::SubjectOf(tree->currentItem()), doc->GetSubject(1));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(1));
        QCOMPARE(window->List()->GetRowCount(), 2);
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Text);
        QCOMPARE(window->Preview()->HitBarText(), QString());
        QVERIFY(SubjectsMenuEnabled(frame));
        QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Standard"));
        QVERIFY(Checked(frame, ID_NAVIGATION_STANDARD));
        QVERIFY(!Checked(frame, ID_NAVIGATION_SEARCH));
        // The hits are kept for the next return to search mode.
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_SEARCH));
        QCOMPARE(TreeSubjects(tree), (QStringList{QStringLiteral("EDF/2006"), QStringLiteral("GDF/2006")}));
        QVERIFY(!SubjectsMenuEnabled(frame));

        // A general title selected: nothing is selected afterwards.
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_STANDARD));
        tree->setCurrentItem(tree->FindGeneralTitleItem("Impôts"));
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_STANDARD));
        QVERIFY(!tree->currentItem());
        QVERIFY(!doc->GetCurrentSubject());
        QCOMPARE(window->List()->GetRowCount(), 0);

        // The public entry the merge uses: subjects appended meanwhile appear.
        tree->setCurrentItem(FindItem(tree, QStringLiteral("Taxe")));
        doc->AppendSubject(std::make_unique<CTenorels>("Eau", "2007", 0));
        tree->OnStandardNavigation();
        QCOMPARE(TreeSubjects(tree).size(), full.size() + 1);
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(3));
    }

    void hitsNeverOutliveTheirRecords()
    {
        auto app = Open({{"EDF", "a", 0, "", {}}, {"EDF", "b", 0, "", {}}, {"GDF", "c", 0, "", {}}});
        CMainFrame* frame = app->MainFrame();
        CTenorelView* tree = ActiveWindow(*app)->Tree();
        CTenorelDoc* doc = ActiveWindow(*app)->GetDocument();
        QVERIFY(Search(frame, {QStringLiteral("[ac]"), true}));
        QCOMPARE(HitNames(tree), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_STANDARD));
        tree->setCurrentItem(FindItem(tree, QStringLiteral("c")));

        // The book's records replaced as a reload does: the old hits are gone.
        SubjectList reloaded = MakeSubjects({{"EDF", "a", 0, "", {}}, {"GDF", "c", 0, "", {}}});
        doc->ReplaceSubjects(std::move(reloaded));
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_SEARCH));
        QVERIFY(!tree->m_bSearchMode);
        QVERIFY(tree->m_searchHits.empty());
        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_STANDARD));
        QCOMPARE(TreeSubjects(tree), (QStringList{QStringLiteral("EDF/a"), QStringLiteral("GDF/c")}));
        QVERIFY(!tree->currentItem());
    }

    void noContextMenuInSearchMode()
    {
        auto app = Open({{"EDF", "2006", 0, "", {"/d/a.pdf"}}, {"EDF", "2007", 0, "", {}}});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        CTenorelDoc* doc = window->GetDocument();
        QVERIFY(Search(frame, {QStringLiteral("2006"), true}));
        const int tracked = PopupMenu::TrackedCount();
        QTreeWidgetItem* item = FindItem(tree, QStringLiteral("2006"));
        tree->scrollToItem(item);
        RightClick(tree, item);
        QCOMPARE(tree->currentItem(), item);
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(0));
        QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(0, 0), tree->mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(tree, &keyboard);
        window->List()->SelectDocument(0);
        QContextMenuEvent onList(QContextMenuEvent::Mouse, QPoint(5, 5), window->List()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(window->List()->viewport(), &onList);
        QCOMPARE(PopupMenu::TrackedCount(), tracked);

        QVERIFY(ChooseMenu(frame, kNavigation, ID_NAVIGATION_STANDARD));
        PopupMenu::SetNextChoice([](QMenu&) { return 0; });
        tree->scrollToItem(FindItem(tree, QStringLiteral("2006")));
        RightClick(tree, FindItem(tree, QStringLiteral("2006")));
        QCOMPARE(PopupMenu::TrackedCount(), tracked + 1);
    }

    void progressWindowShowsTheWorkAndCancels()
    {
        // A document whose reading never ends on its own, after one that is
        // read at once.
        WriteFile(m_dir.filePath(QStringLiteral("formes.pdf")), QByteArray::fromStdString(tavelo::test::NestedFormsPdf()));
        std::vector<SubjectSpec> book = ScopeBook();
        book.push_back({"Lent", "Formes", 0, "", {Doc("vide.txt"), Doc("formes.pdf")}});
        auto app = Open(book);
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelView* tree = window->Tree();
        // Hits of an earlier search, which a cancelled one leaves alone.
        QVERIFY(Search(frame, {QStringLiteral("Quittances"), true}));
        QCOMPARE(HitNames(tree), QStringList{QStringLiteral("Quittances")});
        MessageBox::ClearHistory();

        Criteria contents{QStringLiteral("zorglub")};
        contents.contents = true;
        AnswerCriteria(contents);
        QVERIFY(ChooseMenu(frame, kEdition, ID_EDIT_FIND));
        QTRY_VERIFY_WITH_TIMEOUT(ProgressWindow() != nullptr &&
                                     ControlText(ProgressWindow(), IDC_FILE_LINE).endsWith(QStringLiteral("formes.pdf")),
                                 10000);
        CSearchProgressDlg* progress = ProgressWindow();
        QCOMPARE(progress->windowTitle(), QStringLiteral("Etat de la recherche"));
        QVERIFY(!progress->isModal());
        QCOMPARE(ControlText(progress, IDC_FILE_LINE), QStringLiteral("Recherche dans le fichier : formes.pdf"));
        QTRY_COMPARE(ControlText(progress, IDC_SEARCH_COUNT), QStringLiteral("Documents lus : 5 sur 6, dont 1 jamais lu auparavant"));
        QCOMPARE(progress->m_progress->maximum(), 6);
        QCOMPARE(progress->m_progress->value(), 5);
        // The window is the user's meanwhile: another subject can be chosen,
        // and searching again waits for this search.
        QVERIFY(FindItem(tree, QStringLiteral("Quittances")));
        tree->setCurrentItem(FindItem(tree, QStringLiteral("Quittances")));
        QVERIFY(window->GetDocument()->GetCurrentSubject());
        QCOMPARE(window->GetDocument()->GetCurrentSubject()->GetSubjectName(), std::string("Quittances"));
        QVERIFY(!MenuCommand(frame, kEdition, ID_EDIT_FIND)->isEnabled());

        QPushButton* cancel = nullptr;
        for (QPushButton* b : progress->findChildren<QPushButton*>())
            if (b->property("controlId").toInt() == IDCANCEL)
                cancel = b;
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("&Annuler"));
        QTest::mouseClick(cancel, Qt::LeftButton);
        // At once: the progress window is gone and the window is as before.
        QVERIFY(ProgressWindow() == nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(!IsSearchRunning(), 2000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(HitNames(tree), QStringList{QStringLiteral("Quittances")});
        QVERIFY(tree->m_bSearchMode);
        QVERIFY(MessageBox::History().empty());
        QVERIFY(MenuCommand(frame, kEdition, ID_EDIT_FIND)->isEnabled());

        // Escape cancels too; closing the book during a search cancels it.
        AnswerCriteria(contents);
        QVERIFY(ChooseMenu(frame, kEdition, ID_EDIT_FIND));
        QTRY_VERIFY(ProgressWindow() != nullptr);
        QTest::keyClick(ProgressWindow(), Qt::Key_Escape);
        QVERIFY(ProgressWindow() == nullptr);
        AnswerCriteria(contents);
        QVERIFY(ChooseMenu(frame, kEdition, ID_EDIT_FIND));
        QTRY_VERIFY(ProgressWindow() != nullptr);
        window->GetDocument()->OnCloseDocument();
        QTRY_VERIFY(ProgressWindow() == nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(!IsSearchRunning(), 2000);
        QVERIFY(MessageBox::History().empty());
    }

    void toolsMenuEmptiesTheTextCache()
    {
        WriteFile(m_dir.filePath(QStringLiteral("note.rtf")), "{\\rtf1 une quittance}");
        auto app = Open({{"Loyer", "Note", 0, "", {Doc("note.rtf")}}});
        CMainFrame* frame = app->MainFrame();
        Criteria contents{QStringLiteral("quittance")};
        contents.contents = true;
        QVERIFY(Search(frame, contents));
        TextCache& cache = DefaultTextSource().Cache();
        QVERIFY(cache.Stats() && cache.Stats()->texts > 0);
        const QString tools = QStringLiteral("&Outils");
        MessageBox::SetNextAnswer(QMessageBox::No);
        QVERIFY(ChooseMenu(frame, tools, ID_CLEAR_TEXT_CACHE));
        QVERIFY(cache.Stats()->texts > 0);
        MessageBox::ClearHistory();
        MessageBox::SetNextAnswer(QMessageBox::Yes);
        QVERIFY(ChooseMenu(frame, tools, ID_CLEAR_TEXT_CACHE));
        QCOMPARE(cache.Stats()->texts, 0u);
        QCOMPARE(MessageBox::History().back().text, QStringLiteral("Le cache des textes des documents est vide."));
        // The next search reads the document again and still finds it.
        QVERIFY(Search(frame, contents));
        QCOMPARE(HitNames(ActiveWindow(*app)->Tree()), QStringList{QStringLiteral("Note")});
        // A word that looks like markup is shown as it was typed.
        std::unique_ptr<QMessageBox> box(MessageBox::Create(nullptr, QStringLiteral("<b>(</b>"), MessageBox::Stop,
                                                            QMessageBox::Ok, QMessageBox::NoButton));
        QCOMPARE(box->textFormat(), Qt::PlainText);
    }

    void unreadableDocumentsAreReportedAtTheEnd()
    {
        // Not an OLE compound file, although it holds the word in clear.
        WriteFile(m_dir.filePath(QStringLiteral("abime.doc")), QByteArray("quittance ").repeated(100));
        WriteFile(m_dir.filePath(QStringLiteral("bon.txt")), "une quittance\n");
        auto app = Open({{"Loyer", "Abîmé", 0, "", {Doc("abime.doc")}},
                         {"Loyer", "Bon", 0, "", {Doc("bon.txt")}},
                         {"Loyer", "Perdu", 0, "", {Doc("absent.txt")}}});
        CMainFrame* frame = app->MainFrame();
        CTenorelView* tree = ActiveWindow(*app)->Tree();
        Criteria contents{QStringLiteral("quittance")};
        contents.contents = true;
        QVERIFY(Search(frame, contents));
        QCOMPARE(HitNames(tree), QStringList{QStringLiteral("Bon")});
        QVERIFY(tree->m_bSearchMode);
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        const MessageBox::Shown& report = MessageBox::History().back();
        QCOMPARE(report.look, MessageBox::Exclamation);
        QVERIFY(report.text.startsWith(QStringLiteral("2 documents n'ont pas pu être lus pendant la recherche :")));
        QVERIFY(report.text.contains(QStringLiteral("abime.doc")));
        QVERIFY(report.text.contains(QStringLiteral("absent.txt")));
        QVERIFY(!report.text.contains(QStringLiteral("bon.txt")));

        // Nothing found and a file unreadable: both are said, in that order.
        MessageBox::ClearHistory();
        QVERIFY(Search(frame, {QStringLiteral("introuvable"), false, false, false, true}));
        QCOMPARE(MessageBox::History().size(), std::size_t{2});
        QCOMPARE(MessageBox::History().front().text, QStringLiteral("Aucun sujet ne correspond aux critères"));
        QVERIFY(MessageBox::History().back().text.contains(QStringLiteral("abime.doc")));
    }
};

TAVELO_GUI_TEST_MAIN(TestSearch)
#include "test_search.moc"
