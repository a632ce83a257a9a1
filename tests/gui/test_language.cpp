// The interface in English and in French: every text the windows show (menu
// bars, context menus, prompts and tooltips, toolbar, status bar, the
// dialogs) is an English translation under English, and the program's own
// French text under French. A text that is neither was added without being
// marked for translation, or is missing from translations/tavelo_en.ts.

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <set>

#include "app/about_dlg.h"
#include "app/export_progress_dlg.h"
#include "app/reservation_dlg.h"
#include "app/search_dialogs.h"
#include "app/subject_dialogs.h"
#include "app/translation.h"
#include "base/catalogue.h"
#include "gui_fixture.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {

struct Texts {
    std::set<QString> french;
    std::set<QString> english;
};

// The sources and translations of the window's context, from the same .ts
// the .qm is made from.
const Texts& Catalogue()
{
    static const Texts texts = [] {
        Texts t;
        for (const CatalogueEntry& e : EnglishCatalogue()) {
            if (std::string_view(e.context) != "Tavelo")
                continue;
            t.french.insert(QString::fromUtf8(e.source));
            t.english.insert(QString::fromUtf8(e.translation));
        }
        return t;
    }();
    return texts;
}

// Texts made of names and symbols only, the same in every language.
bool Neutral(const QString& text)
{
    static const QStringList same = {QStringLiteral("Tavelo"), QStringLiteral("OK")};
    return text.trimmed().isEmpty() || same.contains(text) || !text.contains(QRegularExpression(QStringLiteral("[A-Za-zÀ-ÿ]")));
}

class Walk {
public:
    explicit Walk(bool english) : m_english(english) {}

    // A file name the program puts into a text is left out of it.
    void Name(const QString& name) { m_names << name; }

    void Text(QString text, const QString& where)
    {
        for (const QString& name : m_names)
            text.remove(name);
        if (Neutral(text))
            return;
        const auto& expected = m_english ? Catalogue().english : Catalogue().french;
        if (!expected.count(text))
            m_wrong << where + QStringLiteral(": ") + text;
        ++m_seen;
    }

    void Menu(const QWidget* menu, const QString& where)
    {
        for (QAction* action : menu->actions()) {
            const int id = CommandIdOf(action);
            // Recent files and the window list show names, not texts.
            static const QRegularExpression numbered(QStringLiteral("^&\\d+ "));
            if (action->isSeparator() || (id > ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) ||
                numbered.match(action->text()).hasMatch())
                continue;
            const QString place = where + QStringLiteral(" > ") + action->text();
            Text(action->text(), place);
            Text(action->statusTip(), place + QStringLiteral(" (prompt)"));
            // Qt's own tooltip of an action is its text without the '&'.
            if (action->toolTip() != QString(action->text()).remove(QLatin1Char('&')))
                Text(action->toolTip(), place + QStringLiteral(" (tooltip)"));
            if (QMenu* sub = action->menu()) {
                QMetaObject::invokeMethod(sub, "aboutToShow");
                Menu(sub, place);
            }
        }
    }

    void Dialog(QWidget* dialog)
    {
        const QString where = QString::fromLatin1(dialog->metaObject()->className());
        Text(dialog->windowTitle(), where + QStringLiteral(" title"));
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            Text(label->text(), where);
        for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
            Text(button->text(), where);
        for (const QGroupBox* box : dialog->findChildren<QGroupBox*>())
            Text(box->title(), where);
    }

    QStringList m_wrong;
    int m_seen = 0;

private:
    bool m_english;
    QStringList m_names;
};

void WalkEverything(Walk& walk, const QTemporaryDir& dir)
{
    auto app = StartApp();
    CMainFrame* frame = app->MainFrame();
    // Menu 129 (a book is open), its toolbar and status bar.
    walk.Menu(frame->menuBar(), QStringLiteral("129"));
    for (QAction* action : frame->ToolBar()->actions()) {
        if (!action->isSeparator())
            walk.Text(action->toolTip(), QStringLiteral("toolbar"));
    }
    for (int pane = 0; pane < 5; ++pane)
        walk.Text(frame->StatusPane(pane)->text(), QStringLiteral("status bar"));
    for (int menuId : {IDR_POPUP_DOCUMENT, IDR_POPUP_SUBJECT}) {
        std::unique_ptr<QMenu> popup(BuildPopup(MenuResource(menuId).front(), nullptr));
        walk.Menu(popup.get(), QString::number(menuId));
    }
    // Menu 128, once the book is closed.
    QVERIFY(frame->RunCommand(ID_FILE_CLOSE));
    QApplication::processEvents();
    walk.Menu(frame->menuBar(), QStringLiteral("128"));

    CAboutDlg about(frame);
    walk.Dialog(&about);
    CNewSubjectDlg newSubject(frame);
    walk.Dialog(&newSubject);
    CRenameSubjectDlg rename(QStringLiteral("2006"), frame);
    walk.Dialog(&rename);
    CExpectedTextDlg expected(QString(), frame);
    walk.Dialog(&expected);
    const QString book = WriteBook(dir, QStringLiteral("livre.tvo"), {});
    walk.Name(book);
    CReservationDlg reservation(book, frame);
    walk.Dialog(&reservation);
    CAvailableDlg available(book, frame);
    walk.Dialog(&available);
    CSearchCriteriaDlg criteria(frame);
    walk.Dialog(&criteria);
    CSearchProgressDlg progress(3, frame);
    walk.Dialog(&progress);
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void englishInterfaceHasNoFrenchLeft()
    {
        QVERIFY(InstallInterfaceLanguage(UiLanguage::kEnglish));
        QTemporaryDir dir;
        Walk walk(true);
        WalkEverything(walk, dir);
        RemoveInterfaceLanguage();
        InstallInterfaceLanguage(UiLanguage::kFrench);
        QVERIFY2(walk.m_wrong.isEmpty(), qPrintable(QStringLiteral("\n") + walk.m_wrong.join(QLatin1Char('\n'))));
        QVERIFY(walk.m_seen > 150);
    }

    void frenchInterfaceIsTheProgramsOwnText()
    {
        QVERIFY(InstallInterfaceLanguage(UiLanguage::kFrench));
        QTemporaryDir dir;
        Walk walk(false);
        WalkEverything(walk, dir);
        QVERIFY2(walk.m_wrong.isEmpty(), qPrintable(QStringLiteral("\n") + walk.m_wrong.join(QLatin1Char('\n'))));
        // A few texts as they stand in the menus of the original program.
        auto app = StartApp();
        QCOMPARE(TopMenu(app->MainFrame()->menuBar(), QStringLiteral("&Sujets"))->actions().at(4)->text(),
                 QStringLiteral("&Clotûrer le sujet"));
    }

    // Qt's own dialogs and the desktop's file types speak the interface's
    // language, whatever the locale: French by default, English under English.
    void frameworkTextsFollowTheInterface()
    {
        struct Case {
            UiLanguage language;
            QString open;
            QString cancel;
            QString textType;
            QString pdfType;
        };
        const Case cases[] = {
            {UiLanguage::kFrench, QStringLiteral("&Ouvrir"), QStringLiteral("Annuler"), QStringLiteral("document texte brut"),
             QStringLiteral("document PDF")},
            {UiLanguage::kEnglish, QStringLiteral("&Open"), QStringLiteral("Cancel"), QStringLiteral("plain text document"),
             QStringLiteral("PDF document")},
        };
        for (const Case& c : cases) {
            QVERIFY(InstallInterfaceLanguage(c.language));
            QTemporaryDir dir;
            auto app = StartApp({WriteBook(dir, QStringLiteral("livre.tvo"),
                                           {{"EDF", "2006", 0, "", {"/nulle/part/a.txt", "/nulle/part/b.pdf"}}})});
            CSplitter* window = ActiveWindow(*app);
            window->Tree()->setCurrentItem(FindItem(window->Tree(), QStringLiteral("2006")));
            const DocumentListModel* model = window->List()->Model();
            QCOMPARE(model->index(0, 2).data().toString(), c.textType);
            QCOMPARE(model->index(1, 2).data().toString(), c.pdfType);

            // "Open a book" from the File menu shows Qt's file dialog.
            QStringList buttons;
            QTimer watch;
            watch.setInterval(20);
            connect(&watch, &QTimer::timeout, &watch, [&buttons, &watch] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                for (const QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
                    buttons << button->text();
                watch.stop();
                dialog->reject();
            });
            watch.start();
            SetUnattended(false);
            QAction* open = FindCommandAction(app->MainFrame()->menuBar(), ID_FILE_OPEN);
            QVERIFY(open);
            open->trigger();
            SetUnattended(true);
            QCOMPARE(buttons.size(), 2);
            QVERIFY2(buttons.contains(c.open), qPrintable(buttons.join(QLatin1Char(' '))));
            QVERIFY2(buttons.contains(c.cancel), qPrintable(buttons.join(QLatin1Char(' '))));
        }
        RemoveInterfaceLanguage();
        InstallInterfaceLanguage(UiLanguage::kFrench);
    }

    void englishMenusFollowTheRenamedSubjectsMenu()
    {
        // "&Sujets" is looked up by its text: under English, by the English one.
        QVERIFY(InstallInterfaceLanguage(UiLanguage::kEnglish));
        QTemporaryDir dir;
        auto app = StartApp({WriteBook(dir, QStringLiteral("livre.tvo"), {{"EDF", "2006", 0, "", {}}})});
        CTenorelView* tree = ActiveWindow(*app)->Tree();
        tree->m_searchHits = {ActiveWindow(*app)->GetDocument()->Subjects().front().get()};
        QMenuBar* bar = app->MainFrame()->menuBar();
        QMenu* subjects = TopMenu(bar, QStringLiteral("&Subjects"));
        QVERIFY(subjects);
        QVERIFY(subjects->menuAction()->isEnabled());
        QVERIFY(app->MainFrame()->RunCommand(ID_NAVIGATION_SEARCH));
        QVERIFY(!subjects->menuAction()->isEnabled());
        QCOMPARE(app->MainFrame()->StatusPane(1)->text(), QStringLiteral("Search Mode"));
        RemoveInterfaceLanguage();
        InstallInterfaceLanguage(UiLanguage::kFrench);
    }
};

TAVELO_GUI_TEST_MAIN(TestLanguage)
#include "test_language.moc"
