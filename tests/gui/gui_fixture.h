#pragma once

#include <QFile>
// Shared set-up of the widget tests: a private settings and data folder, books
// written to disk, and the application started as the command line would.

#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/main_frame.h"
#include "app/splitter.h"
#include "app/tenorel_app.h"
#include "app/tenorel_doc.h"
#include "app/ui_prompts.h"
#include "app/menu_builder.h"
#include "book/file_io.h"
#include "book/tenorels.h"
#include "views/html_view.h"
#include "views/liste_view.h"
#include "views/tenorel_view.h"

namespace tavelo::gui::test {

// Settings and desktop files of the tests go to a folder of their own.
inline QTemporaryDir& PrivateHome()
{
    static QTemporaryDir home;
    return home;
}

inline void PrepareEnvironment()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOME", PrivateHome().path().toUtf8());
    qputenv("XDG_DATA_HOME", (PrivateHome().path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (PrivateHome().path() + QStringLiteral("/config")).toUtf8());
    QStandardPaths::setTestModeEnabled(true);
}

struct SubjectSpec {
    std::string title;
    std::string name;
    int state = 0;
    std::string expected;
    std::vector<std::string> documents;
};

inline SubjectList MakeSubjects(const std::vector<SubjectSpec>& specs)
{
    SubjectList list;
    for (const SubjectSpec& s : specs) {
        auto record = std::make_unique<CTenorels>(s.title, s.name, s.state);
        record->SetExpectedText(s.expected);
        for (const std::string& d : s.documents)
            record->AddDocumentPath(d);
        list.push_back(std::move(record));
    }
    return list;
}

inline QString WriteBook(const QTemporaryDir& dir, const QString& name, const std::vector<SubjectSpec>& specs)
{
    const QString path = dir.filePath(name);
    WriteNewFile(path.toStdString(), WriteSubjectList(MakeSubjects(specs)), true);
    return path;
}

// The application started with these arguments, its main window sized so that
// the book window's panes can take their initial sizes.
inline std::unique_ptr<CTenorelApp> StartApp(const QStringList& arguments = {}, bool* started = nullptr)
{
    auto app = std::make_unique<CTenorelApp>();
    const bool ok = app->InitInstance(arguments);
    if (started)
        *started = ok;
    if (CMainFrame* frame = app->MainFrame()) {
        frame->showNormal();
        frame->setGeometry(0, 0, 1400, 1000);
        QApplication::processEvents();
        QTest::qWait(30);
    }
    return app;
}

inline CSplitter* ActiveWindow(const CTenorelApp& app)
{
    return app.MainFrame()->ActiveBookWindow();
}

inline QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& text)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

inline QMenu* TopMenu(QMenuBar* bar, const QString& title)
{
    for (QAction* action : bar->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

inline QStringList ChildTexts(const QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; item && i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}
inline QStringList ListRows(const CListeView* list)
{
    QStringList rows;
    for (int i = 0; i < list->GetRowCount(); ++i)
        rows << list->DocumentPath(i);
    return rows;
}
inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace tavelo::gui::test

#define TAVELO_GUI_TEST_MAIN(TestClass)                                                                                \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        tavelo::gui::test::PrepareEnvironment();                                                                       \
        QApplication application(argc, argv);                                                                          \
        tavelo::gui::SetUnattended(true);                                                                             \
        TestClass testObject;                                                                                          \
        return QTest::qExec(&testObject, argc, argv);                                                                  \
    }
