// The main window as the user meets it: menu bars, accelerators, toolbar,
// status bar, menu activation and the layout of a book window.

#include <QLabel>
#include <algorithm>
#include <QMenu>
#include <QProcess>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include "app/editing_commands.h"
#include "gui_fixture.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {

struct Item {
    int id;
    QString text;
};
using MenuSpec = std::vector<std::pair<QString, std::vector<Item>>>;

MenuSpec ReadMenuBar(QMenuBar* bar)
{
    MenuSpec layout;
    for (QAction* top : bar->actions()) {
        std::vector<Item> items;
        for (QAction* a : top->menu()->actions())
            items.push_back({a->isSeparator() ? 0 : a->data().toInt(), a->isSeparator() ? QString() : a->text()});
        layout.emplace_back(top->text(), items);
    }
    return layout;
}

const MenuSpec kMenu128 = {
    {QStringLiteral("&Fichier"),
     {{57600, QStringLiteral("&Nouveau\tCtrl+N")},
      {57601, QStringLiteral("&Ouvrir...\tCtrl+O")},
      {0, {}},
      {32783, QStringLiteral("&Importer\tCtrl+I")},
      {32784, QStringLiteral("E&xporter\tCtrl+X")},
      {0, {}},
      {57616, QStringLiteral("Fichier récent")},
      {0, {}},
      {57665, QStringLiteral("&Quitter")}}},
    {QStringLiteral("&Affichage"), {{59392, QStringLiteral("&Barre d'outils")}, {59393, QStringLiteral("Barre d'é&tat")}}},
    {QStringLiteral("&?"),
     {{32800, QStringLiteral("Livre d'e&xemple")}, {0, {}}, {57664, QStringLiteral("&A propos de Tavelo...")}}},
};

const MenuSpec kMenu129 = {
    {QStringLiteral("&Fichier"),
     {{57600, QStringLiteral("&Nouveau document\tCtrl+N")},
      {57601, QStringLiteral("&Ouvrir document\tCtrl+O")},
      {57602, QStringLiteral("&Fermer document")},
      {57603, QStringLiteral("&Enregistrer\tCtrl+S")},
      {57604, QStringLiteral("En&registrer sous...")},
      {0, {}},
      {32783, QStringLiteral("&Importer\tCtrl+I")},
      {32784, QStringLiteral("E&xporter\tCtrl+X")},
      {32795, QStringLiteral("&Fusionner\tCtrl+F")},
      {0, {}},
      {32831, QStringLiteral("N&umériser…")},
      {0, {}},
      {57607, QStringLiteral("Im&primer…\tCtrl+P")},
      {57609, QStringLiteral("Aperçu a&vant impression")},
      {0, {}},
      {57616, QStringLiteral("Fichier récent")},
      {0, {}},
      {57665, QStringLiteral("&Quitter")}}},
    {QStringLiteral("&Edition"),
     {{32796, QStringLiteral("&Copier le sujet")}, {0, {}}, {57636, QStringLiteral("&Rechercher un sujet")}}},
    {QStringLiteral("&Sujets"),
     {{32777, QStringLiteral("&Nouveau Sujet\tCtrl+A")},
      {32780, QStringLiteral("&Supprimer le sujet\tCtrl+Sup")},
      {32786, QStringLiteral("&Renommer le sujet")},
      {0, {}},
      {32781, QStringLiteral("&Clotûrer le sujet")},
      {0, {}},
      {32787, QStringLiteral("&Attendu")},
      {0, {}},
      {32821, QStringLiteral("&Déplacer vers un autre titre général…")},
      {32820, QStringLiteral("Renommer le &titre général…")}}},
    {QStringLiteral("&Mode de Navigation"),
     {{32789, QStringLiteral("Navigation Standard")}, {32790, QStringLiteral("Navigation par recherche")}}},
    {QStringLiteral("&Outils"),
     {{32785, QStringLiteral("&Changement de dossier\tCtrl+D")},
      {0, {}},
      {32810, QStringLiteral("&Vérifier les documents")},
      {32811, QStringLiteral("&Retrouver les documents déplacés…")},
      {0, {}},
      {32830, QStringLiteral("&Boîte de réception…")},
      {0, {}},
      {32910, QStringLiteral("&Vider le cache des textes")},
      {32911, QStringLiteral("&Suspendre la lecture des documents")}}},
    {QStringLiteral("&Affichage"), {{59392, QStringLiteral("&Barre d'outils")}, {59393, QStringLiteral("Barre d'é&tat")}}},
    {QStringLiteral("Fe&nêtre"),
     {{57648, QStringLiteral("&Nouvelle fenêtre")},
      {57650, QStringLiteral("&Cascade")},
      {57651, QStringLiteral("&Mosaïque")},
      {57649, QStringLiteral("&Réorganiser les icônes")}}},
    {QStringLiteral("&?"),
     {{32800, QStringLiteral("Livre d'e&xemple")}, {0, {}}, {57664, QStringLiteral("&A propos de Tavelo...")}}},
};

void CompareMenus(const MenuSpec& actual, const MenuSpec& expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (std::size_t m = 0; m < expected.size(); ++m) {
        QCOMPARE(actual[m].first, expected[m].first);
        QCOMPARE(actual[m].second.size(), expected[m].second.size());
        for (std::size_t i = 0; i < expected[m].second.size(); ++i) {
            QCOMPARE(actual[m].second[i].id, expected[m].second[i].id);
            QCOMPARE(actual[m].second[i].text, expected[m].second[i].text);
        }
    }
}

// Opens a popup as the menu bar would, so the update handlers run.
void Prepare(QMenu* menu)
{
    QMetaObject::invokeMethod(menu, "aboutToShow");
}

bool IsEnabled(QMenuBar* bar, int id)
{
    QAction* a = FindCommandAction(bar, id);
    return a && a->isEnabled();
}

// Chooses a menu item as the user does: the popup opens (its items updated),
// then the item is triggered if enabled.
bool ChooseMenu(CMainFrame* frame, const QString& menuTitle, int id)
{
    QMenu* menu = TopMenu(frame->menuBar(), menuTitle);
    if (!menu || !menu->menuAction()->isEnabled())
        return false;
    Prepare(menu);
    QAction* action = FindCommandAction(menu, id);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        MessageBox::ClearHistory();
        FileDialog::ClearHistory();
    }

    void menuBarsFollowTheBookWindows()
    {
        auto app = StartApp();
        CMainFrame* frame = app->MainFrame();
        QCOMPARE(frame->CurrentMenuResource(), 129);
        CompareMenus(ReadMenuBar(frame->menuBar()), kMenu129);

        // Closing the only (unmodified) book leaves menu 128.
        QVERIFY(frame->RunCommand(ID_FILE_CLOSE));
        QTRY_COMPARE(frame->BookWindows().size(), std::size_t{0});
        QTRY_COMPARE(frame->CurrentMenuResource(), 128);
        CompareMenus(ReadMenuBar(frame->menuBar()), kMenu128);

        // Without a book, import and export have no handler: greyed.
        QMenu* file = TopMenu(frame->menuBar(), QStringLiteral("&Fichier"));
        Prepare(file);
        QVERIFY(!IsEnabled(frame->menuBar(), ID_IMPORT));
        QVERIFY(!IsEnabled(frame->menuBar(), ID_EXPORT));
        QVERIFY(IsEnabled(frame->menuBar(), ID_FILE_NEW));
        QVERIFY(IsEnabled(frame->menuBar(), ID_APP_EXIT));
        QAction* recent = FindCommandAction(frame->menuBar(), ID_FILE_MRU_FIRST);
        QVERIFY(recent && !recent->isEnabled());

        QVERIFY(frame->RunCommand(ID_FILE_NEW));
        QTRY_COMPARE(frame->CurrentMenuResource(), 129);
        QCOMPARE(ActiveWindow(*app)->GetDocument()->GetTitle(), QStringLiteral("Tavelo2"));
    }

    void commandsWithoutHandlerAreGreyed()
    {
        auto app = StartApp();
        CMainFrame* frame = app->MainFrame();
        for (QAction* top : frame->menuBar()->actions())
            Prepare(top->menu());
        // Copy of a subject and export are greyed by their rules (no current
        // subject, no path), like the commands that need a current subject.
        for (int id : {ID_DELETE_SUBJECT, ID_RENAME_SUBJECT, ID_EXPECTED_TEXT, ID_COPY_SUBJECT, ID_EXPORT})
            QVERIFY2(!IsEnabled(frame->menuBar(), id), qPrintable(QString::number(id)));
        for (int id : {ID_NEW_SUBJECT, ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS,
                       ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE, ID_APP_ABOUT,
                       ID_VIEW_TOOLBAR, ID_EDIT_FIND, ID_NAVIGATION_STANDARD, ID_NAVIGATION_SEARCH, ID_IMPORT,
                       ID_MERGE, ID_CHANGE_FOLDER})
            QVERIFY2(IsEnabled(frame->menuBar(), id), qPrintable(QString::number(id)));
        // No current subject: the close/reopen command is greyed by the book.
        QVERIFY(!IsEnabled(frame->menuBar(), ID_CLOSE_SUBJECT));
        QVERIFY(FindCommandAction(frame->menuBar(), ID_VIEW_TOOLBAR)->isChecked());

        // A handler attached later through the registry enables its command.
        CommandRegistry<CTenorelDoc>::Register(ID_EXPORT, [](CTenorelDoc&) {}, &CTenorelDoc::UpdateNeedsPath);
        QVERIFY(frame->RunCommand(ID_FILE_NEW));
        Prepare(TopMenu(frame->menuBar(), QStringLiteral("&Fichier")));
        QVERIFY(!IsEnabled(frame->menuBar(), ID_EXPORT)); // a new book has no path
        CommandRegistry<CTenorelDoc>::Unregister(ID_EXPORT);
    }

    void acceleratorsAreTheTablesKeys()
    {
        int newSubject = 0;
        RegisterEditingCommands();
        CommandRegistry<CTenorelDoc>::Register(ID_NEW_SUBJECT, [&newSubject](CTenorelDoc&) { ++newSubject; });
        auto app = StartApp();
        CSplitter* window = ActiveWindow(*app);
        window->Tree()->setFocus();
        QApplication::processEvents();
        // The change of folder starts with its prompt; the merge with its file dialog.
        const auto changeFolder = [] {
            int n = 0;
            for (const MessageBox::Shown& shown : MessageBox::History())
                n += shown.text == QStringLiteral("Donner le dossier où se trouve désormais les fichiers") ? 1 : 0;
            return n;
        };
        const auto merge = [] {
            int n = 0;
            for (const FileDialog::Asked& asked : FileDialog::History())
                n += asked.title == QStringLiteral("Choix du fichier à fusionner") ? 1 : 0;
            return n;
        };

        // The keys the menus show; Ctrl+C re-points nothing.
        QTest::keyClick(window->Tree(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(changeFolder(), 0);
        QTest::keyClick(window->Tree(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(changeFolder(), 1);
        QTest::keyClick(window->Tree(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(newSubject, 1);
        QTest::keyClick(window->Tree(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(merge(), 1);
        // Every key hint of the book window's menus has its accelerator.
        QStringList hints;
        for (const PopupDef& popup : MenuResource(IDR_TAVELOTYPE)) {
            for (const MenuItemDef& item : popup.items) {
                const QString text = item.text ? QString::fromUtf8(item.text) : QString();
                if (!text.contains(QLatin1Char('\t')))
                    continue;
                const QKeySequence keys(text.section(QLatin1Char('\t'), 1).replace(QStringLiteral("Sup"), QStringLiteral("Del")));
                const bool bound = std::any_of(AcceleratorTable().begin(), AcceleratorTable().end(),
                                               [&](const AcceleratorDef& a) { return a.keys == keys && a.id == item.id; });
                if (!bound)
                    hints << text;
            }
        }
        QCOMPARE(hints, QStringList());

        // Ctrl+N makes a second book.
        QTest::keyClick(window->Tree(), Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(app->Documents().size(), std::size_t{2});

        CommandRegistry<CTenorelDoc>::Register(ID_NEW_SUBJECT, OnNewSubject);
    }

    void paneCyclingWithF6()
    {
        auto app = StartApp();
        CSplitter* window = ActiveWindow(*app);
        QTRY_VERIFY(window->Tree()->hasFocus());
        QCOMPARE(window->GetActiveView(), static_cast<CView*>(window->Tree()));
        QTest::keyClick(window->Tree(), Qt::Key_F6);
        QCOMPARE(window->GetActiveView(), static_cast<CView*>(window->Preview()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QCOMPARE(window->GetActiveView(), static_cast<CView*>(window->List()));
        QVERIFY(window->List()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(window->GetActiveView(), static_cast<CView*>(window->Preview()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(window->GetActiveView(), static_cast<CView*>(window->Tree()));
    }

    void toolbarAndStatusBar()
    {
        auto app = StartApp();
        CMainFrame* frame = app->MainFrame();
        const QList<QAction*> buttons = frame->ToolBar()->actions();
        QCOMPARE(buttons.size(), 7);
        const int ids[] = {57600, 57601, 57603, 0, 57636, 0, 57664};
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(buttons[i]->isSeparator(), ids[i] == 0);
            if (ids[i] != 0) {
                QCOMPARE(buttons[i]->data().toInt(), ids[i]);
                QVERIFY(!buttons[i]->icon().isNull());
            }
        }
        QCOMPARE(buttons[0]->toolTip(), QStringLiteral("Nouveau"));
        QCOMPARE(buttons[2]->toolTip(), QStringLiteral("Enregistrer"));
        frame->UpdateToolbar();
        QVERIFY(buttons[4]->isEnabled()); // the active tree handles the search
        QVERIFY(buttons[0]->isEnabled());

        QCOMPARE(frame->StatusPane(0)->text(), QStringLiteral("Prêt"));
        // Updated by the active tree, which is in standard mode.
        QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Standard"));
        // The five panes, and the background reading's, hidden while it does not read.
        QCOMPARE(frame->statusBar()->findChildren<QLabel*>().size(), 6);
        QVERIFY(!frame->ReadingPane()->isVisible());

        // Hovering a menu item shows its prompt; leaving it shows "Prêt".
        QMenu* file = TopMenu(frame->menuBar(), QStringLiteral("&Fichier"));
        frame->menuBar()->setActiveAction(file->menuAction());
        QTRY_VERIFY(file->isVisible());
        QAction* save = FindCommandAction(file, ID_FILE_SAVE);
        QTest::mouseMove(file, file->actionGeometry(save).center());
        QTRY_COMPARE(frame->StatusPane(0)->text(), QStringLiteral("Enregistre le document actif"));
        QTest::keyClick(file, Qt::Key_Escape);
        QTRY_VERIFY(!file->isVisible());
        QTRY_COMPARE(frame->StatusPane(0)->text(), QStringLiteral("Prêt"));
        // Hovering a toolbar button shows the button's prompt.
        QStatusTipEvent tip(buttons[1]->statusTip());
        QApplication::sendEvent(frame->ToolBar()->widgetForAction(buttons[1]), &tip);
        QCOMPARE(frame->StatusPane(0)->text(), QStringLiteral("Ouvre un document Tavelo existant"));

        frame->SetModePaneText(QStringLiteral("Mode Standard"));
        QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Standard"));

        QVERIFY(frame->RunCommand(ID_VIEW_STATUS_BAR));
        QVERIFY(!frame->statusBar()->isVisible());
        Prepare(TopMenu(frame->menuBar(), QStringLiteral("&Affichage")));
        QVERIFY(!FindCommandAction(frame->menuBar(), ID_VIEW_STATUS_BAR)->isChecked());
    }

    void subjectsMenuSearchAndActivation()
    {
        QTemporaryDir dir;
        const QString path = WriteBook(dir, QStringLiteral("b.tvo"),
                                       {{"Impôts", "2006", 1, "", {}}, {"Impôts", "2007", 0, "Avis", {}}});
        auto app = StartApp({path});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        QMenuBar* bar = frame->menuBar();
        QMenu* subjects = TopMenu(bar, QStringLiteral("&Sujets"));
        QAction* closeItem = FindCommandAction(bar, ID_CLOSE_SUBJECT);

        Prepare(subjects);
        QCOMPARE(closeItem->text(), QStringLiteral("&Clotûrer le sujet"));
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("2006")));
        Prepare(subjects);
        QCOMPARE(closeItem->text(), QStringLiteral("&Ouvrir ce sujet"));
        QVERIFY(closeItem->isEnabled());
        window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("2007")));
        Prepare(subjects);
        QCOMPARE(closeItem->text(), QStringLiteral("&Cloturer ce sujet"));
        // No current subject: the last text stays.
        window->Tree()->setCurrentItem(window->Tree()->GetRootItem());
        Prepare(subjects);
        QCOMPARE(closeItem->text(), QStringLiteral("&Cloturer ce sujet"));
        QVERIFY(!closeItem->isEnabled());

        // Menu activation maximises a minimised book window.
        window->showMinimized();
        QApplication::processEvents();
        Prepare(TopMenu(bar, QStringLiteral("&Fichier")));
        QTRY_VERIFY(window->isMaximized());

        const int pos = CMainFrame::FindMenuItemByText(bar, QStringLiteral("&Sujets"));
        QCOMPARE(pos, 2);
        QCOMPARE(CMainFrame::FindMenuItemByText(bar, QStringLiteral("Sujets")), -1);
        frame->EnableSubjectsMenu(false);
        QVERIFY(!bar->actions().at(pos)->isEnabled());
        // The state is the active window's: a new book window in standard
        // mode has it enabled.
        QVERIFY(frame->RunCommand(ID_FILE_NEW));
        QVERIFY(frame->menuBar()->actions().at(pos)->isEnabled());

        // Items without text before it (as a window's system menu) are skipped.
        QMenuBar other;
        other.addAction(QString());
        other.addMenu(QStringLiteral("&Fichier"));
        other.addMenu(QStringLiteral("&Sujets"));
        QCOMPARE(CMainFrame::FindMenuItemByText(&other, QStringLiteral("&Sujets")), 2);
    }

    // Two books, one in search navigation: "&Sujets", the navigation modes
    // and the mode pane are always the active window's, also after the other
    // window closes.
    void menusFollowTheActiveBookWindow()
    {
        QTemporaryDir dir;
        auto app = StartApp({WriteBook(dir, QStringLiteral("exemple.tvo"), {{"EDF", "2006", 0, "", {}}})});
        CMainFrame* frame = app->MainFrame();
        CSplitter* searched = ActiveWindow(*app);
        searched->Tree()->m_searchHits = {searched->GetDocument()->GetSubject(0)};
        QVERIFY(ChooseMenu(frame, QStringLiteral("&Mode de Navigation"), ID_NAVIGATION_SEARCH));
        QVERIFY(searched->Tree()->m_bSearchMode);
        QMenu* subjects = TopMenu(frame->menuBar(), QStringLiteral("&Sujets"));
        QVERIFY(!subjects->menuAction()->isEnabled());
        QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Recherche"));

        // A brand-new book: its first subject can be made from the menu.
        QVERIFY(ChooseMenu(frame, QStringLiteral("&Fichier"), ID_FILE_NEW));
        CSplitter* fresh = ActiveWindow(*app);
        QVERIFY(fresh != searched);
        subjects = TopMenu(frame->menuBar(), QStringLiteral("&Sujets"));
        QVERIFY(subjects->menuAction()->isEnabled());
        Prepare(subjects);
        QVERIFY(IsEnabled(frame->menuBar(), ID_NEW_SUBJECT));
        QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Standard"));
        // With the focus in the list, the pane still tells the window's mode.
        fresh->SetActiveView(fresh->List());
        frame->UpdateToolbar();
        QCOMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Standard"));

        frame->MdiArea()->setActiveSubWindow(searched);
        QTRY_COMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Recherche"));
        QVERIFY(!subjects->menuAction()->isEnabled());
        frame->MdiArea()->setActiveSubWindow(fresh);
        QTRY_VERIFY(subjects->menuAction()->isEnabled());

        // Closing the new book leaves the searched one, shown as it is.
        fresh->SetActiveView(fresh->Tree());
        QVERIFY(ChooseMenu(frame, QStringLiteral("&Fichier"), ID_FILE_CLOSE));
        QTRY_COMPARE(frame->BookWindows().size(), std::size_t{1});
        QTRY_COMPARE(frame->StatusPane(1)->text(), QStringLiteral("Mode Recherche"));
        QCOMPARE(ActiveWindow(*app), searched);
        subjects = TopMenu(frame->menuBar(), QStringLiteral("&Sujets"));
        QVERIFY(!subjects->menuAction()->isEnabled());
        QMenu* navigation = TopMenu(frame->menuBar(), QStringLiteral("&Mode de Navigation"));
        Prepare(navigation);
        QVERIFY(IsEnabled(frame->menuBar(), ID_NAVIGATION_STANDARD));
        QVERIFY(IsEnabled(frame->menuBar(), ID_NAVIGATION_SEARCH));
        QVERIFY(FindCommandAction(frame->menuBar(), ID_NAVIGATION_SEARCH)->isChecked());
    }

    void bookWindowLayout()
    {
        auto app = StartApp();
        CSplitter* window = ActiveWindow(*app);
        QVERIFY(window->isMaximized());
        QTRY_COMPARE(window->Tree()->width(), CSplitter::kTreeWidth);
        QTRY_COMPARE(window->Preview()->height(), CSplitter::kPreviewHeight);
        QVERIFY(window->List()->height() > 0);
        QVERIFY(window->List()->y() > window->Preview()->y());
        QVERIFY(window->Tree()->hasFocus());
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("Tavelo - [Tavelo1]"));
        // The three views stand in the book in the order tree, preview, list.
        CTenorelDoc* doc = window->GetDocument();
        QCOMPARE(doc->GetViewCount(), std::size_t{3});
        QCOMPARE(doc->GetView(0), static_cast<CView*>(window->Tree()));
        QCOMPARE(doc->GetView(1), static_cast<CView*>(window->Preview()));
        QCOMPARE(doc->GetView(2), static_cast<CView*>(window->List()));
        // The tree keeps its width when the main window grows.
        app->MainFrame()->resize(1600, 1000);
        QApplication::processEvents();
        QTRY_COMPARE(window->Tree()->width(), CSplitter::kTreeWidth);
    }

    void titleNamesTheActiveBookInEveryWindowState()
    {
        auto app = StartApp();
        CMainFrame* frame = app->MainFrame();
        CSplitter* first = ActiveWindow(*app);
        QVERIFY(frame->RunCommand(ID_FILE_NEW));
        CSplitter* second = ActiveWindow(*app);
        // Each step: the window to activate, whether to maximise it, the title.
        const std::tuple<CSplitter*, bool, const char*> steps[] = {
            {second, false, "Tavelo - [Tavelo2]"}, {first, false, "Tavelo - [Tavelo1]"},
            {first, true, "Tavelo - [Tavelo1]"}, {second, true, "Tavelo - [Tavelo2]"}, {second, false, "Tavelo - [Tavelo2]"}};
        for (const auto& [window, maximised, title] : steps) {
            frame->MdiArea()->setActiveSubWindow(window);
            maximised ? window->showMaximized() : window->showNormal();
            QTRY_COMPARE(frame->windowTitle(), QString::fromUtf8(title));
        }
        first->close();
        second->close();
        QTRY_COMPARE(frame->windowTitle(), QStringLiteral("Tavelo"));
        frame->SetLockIndicators({false, false, true});
        QCOMPARE(frame->StatusPane(4)->text(), QStringLiteral("DEF"));
    }

    void startWithoutADisplayEndsWithAMessage()
    {
        // A display that does not answer (a server not started yet, or gone).
        int number = 150;
        while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
            ++number;
        QProcess tavelo;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(number));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C")); // French
        tavelo.setProcessEnvironment(environment);
        tavelo.start(QStringLiteral(TAVELO_BIN), {});
        QVERIFY(tavelo.waitForFinished(60000));
        QCOMPARE(tavelo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tavelo.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(tavelo.readAllStandardError()).contains(QStringLiteral("ne peut pas ouvrir sa fenêtre")));
    }

    void aboutBox()
    {
        auto app = StartApp();
        QString title;
        QString line;
        DialogRunner::SetNextHandler([&](QDialog& dialog) {
            title = dialog.windowTitle();
            if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("versionLine")))
                line = label->text();
            return int{QDialog::Accepted};
        });
        QVERIFY(app->MainFrame()->RunCommand(ID_APP_ABOUT));
        QCOMPARE(title, QStringLiteral("A propos de Tavelo"));
        QCOMPARE(line, QStringLiteral("Tavelo version 1.0.2.0"));
    }
};

TAVELO_GUI_TEST_MAIN(TestMainFrame)
#include "test_main_frame.moc"
