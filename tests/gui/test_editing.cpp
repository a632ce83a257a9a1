// The subject and document commands through the menus, keys and dialogs:
// new subject, rename, expected text, delete, remove and re-point a document,
// and files dropped on a book window.

#include <QAbstractItemView>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include "app/editing_commands.h"
#include "app/reservation_dlg.h"
#include "app/subject_dialogs.h"
#include "book/held_file.h"
#include "gui_fixture.h"
#include "views/state_marks.h"

using namespace tavelo;
using namespace tavelo::gui;
using namespace tavelo::gui::test;

namespace {



QStringList Labels(const QDialog& dialog)
{
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

bool HasMark(const QTreeWidgetItem* item, const QIcon& mark)
{
    return item && item->icon(0).cacheKey() == mark.cacheKey();
}

// Whether an item of the tree stands for this record (compared by address
// only: the record may be gone).
bool ShowsRecord(QTreeWidget* tree, const void* record)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (CTenorelView::SubjectOf(*it) == record)
            return true;
    }
    return false;
}

QPushButton* Button(QWidget* control)
{
    return qobject_cast<QPushButton*>(control);
}

// Types the text key by key, accented letters included.
void Type(QWidget* edit, const QString& text)
{
    for (const QChar c : text) {
        const Qt::Key key = c.unicode() < 128 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Press, edit, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, edit, key, QString(c), Qt::NoModifier);
    }
}

// Selects the edit's whole text and erases it, as a user would.
void Erase(QWidget* edit)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
}

// Clicks the item's label in the tree, expanding what hides it.
void ClickItem(CTenorelView* tree, QTreeWidgetItem* item)
{
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    tree->scrollToItem(item);
    QApplication::processEvents();
    const QRect r = tree->visualItemRect(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left() + 6, r.center().y()));
}

void ClickRow(CListeView* list, int row)
{
    const QRect r = list->RowRect(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}

// Opens a menu of the menu bar as the user does and tells whether the item
// of that command shows enabled.
bool ShownEnabled(CMainFrame* frame, const char* menuTitle, int id)
{
    QMenu* menu = TopMenu(frame->menuBar(), QString::fromUtf8(menuTitle));
    if (!menu)
        return false;
    menu->popup(QPoint(10, 10));
    QApplication::processEvents();
    QAction* action = FindCommandAction(menu, id);
    const bool enabled = action && action->isEnabled();
    menu->hide();
    return enabled;
}

// Opens the menu and clicks the item of the command.
bool Choose(CMainFrame* frame, const char* menuTitle, int id)
{
    QMenu* menu = TopMenu(frame->menuBar(), QString::fromUtf8(menuTitle));
    if (!menu)
        return false;
    menu->popup(QPoint(10, 10));
    QApplication::processEvents();
    QAction* action = FindCommandAction(menu, id);
    if (!action || !action->isEnabled()) {
        menu->hide();
        return false;
    }
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
    QApplication::processEvents();
    return true;
}

// Shows the dialog, lets `act` work in it, and gives its result.
template <class Dialog>
void OnNextDialog(std::function<void(Dialog&)> act)
{
    DialogRunner::SetNextHandler([act](QDialog& dialog) {
        auto* typed = dynamic_cast<Dialog*>(&dialog);
        if (!typed)
            return int{QDialog::Rejected};
        dialog.show();
        QApplication::processEvents();
        act(*typed);
        return dialog.result();
    });
}

void Drop(QWidget* target, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QVERIFY(drop.isAccepted());
}

// Drags a subject of the tree onto another item, as the mouse does.
void DragSubject(CTenorelView* tree, const CTenorels* subject, QTreeWidgetItem* target)
{
    std::unique_ptr<QMimeData> mime(tree->SubjectDragData(subject));
    QVERIFY(mime);
    tree->scrollToItem(target);
    const QPoint at = tree->visualItemRect(target).center();
    QDragEnterEvent enter(at, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(at, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &move);
    QDropEvent drop(at, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &drop);
}

// Types into a general-title edit and picks the first title offered.
QStringList TypeAndPick(GeneralTitleCompletion* completion, QWidget* edit, const QString& typed)
{
    Type(edit, typed);
    QAbstractItemView* popup = completion->Completer()->popup();
    if (!popup->isVisible())
        return {};
    QStringList offered;
    for (int i = 0; i < popup->model()->rowCount(); ++i)
        offered << popup->model()->index(i, 0).data().toString();
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    return offered;
}

QStringList Titles(const CTenorelView* tree)
{
    return ChildTexts(tree->GetRootItem());
}

} // namespace

class TestEditing : public QObject {
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

    void newSubject()
    {
        auto app = StartApp();
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        QVERIFY(ShownEnabled(frame, "&Sujets", ID_NEW_SUBJECT));

        // Cancelled: nothing changes.
        OnNextDialog<CNewSubjectDlg>([](CNewSubjectDlg& dlg) {
            Type(dlg.Control(IDC_GENERAL_TITLE), QStringLiteral("EDF"));
            QTest::mouseClick(dlg.Control(IDCANCEL), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_NEW_SUBJECT));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{0});
        QVERIFY(!doc->IsModified());
        QCOMPARE(window->Tree()->topLevelItemCount(), 0);

        QStringList labels;
        QString title;
        std::vector<bool> okStates;
        bool acceptedByReturn = true;
        OnNextDialog<CNewSubjectDlg>([&](CNewSubjectDlg& dlg) {
            title = dlg.windowTitle();
            labels = Labels(dlg);
            QWidget* ok = dlg.Control(IDOK);
            QWidget* generalTitle = dlg.Control(IDC_GENERAL_TITLE);
            QWidget* name = dlg.Control(IDC_SUBJECT_NAME);
            okStates.push_back(ok->isEnabled());
            Type(generalTitle, QStringLiteral(" Impôts "));
            okStates.push_back(ok->isEnabled());
            // Return with OK greyed does not confirm.
            QTest::keyClick(generalTitle, Qt::Key_Return);
            acceptedByReturn = dlg.result() == QDialog::Accepted;
            Type(name, QStringLiteral("2"));
            okStates.push_back(ok->isEnabled());
            Erase(generalTitle);
            okStates.push_back(ok->isEnabled());
            Type(generalTitle, QStringLiteral(" Impôts "));
            Erase(name);
            okStates.push_back(ok->isEnabled());
            Type(name, QStringLiteral("Taxe 2006"));
            okStates.push_back(ok->isEnabled());
            QVERIFY(Button(ok)->isDefault());
            QCOMPARE(Button(ok)->text(), QStringLiteral("OK"));
            QCOMPARE(Button(dlg.Control(IDCANCEL))->text(), QStringLiteral("Annuler"));
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_NEW_SUBJECT));
        QCOMPARE(title, QStringLiteral("Nouveau sujet"));
        QCOMPARE(labels, (QStringList{QStringLiteral("Titre Général (Ex : EDF - Impôts etc...)"),
                                      QStringLiteral("Intitulé du sujet")}));
        QCOMPARE(okStates, (std::vector<bool>{false, false, true, false, false, true}));
        QVERIFY(!acceptedByReturn);

        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});
        const CTenorels* made = doc->GetSubject(0);
        QCOMPARE(made->GetGeneralTitle(), std::string(" Impôts "));
        QCOMPARE(made->GetSubjectName(), std::string("Taxe 2006"));
        QCOMPARE(made->GetState(), 0);
        QVERIFY(made->GetExpectedText().empty());
        QCOMPARE(made->GetDocumentCount(), 0);
        QVERIFY(doc->IsModified());
        // Root, title and subject; the new subject is selected and current.
        CTenorelView* tree = window->Tree();
        QCOMPARE(tree->GetRootItem()->text(0), doc->GetTitle());
        QCOMPARE(ChildTexts(tree->FindGeneralTitleItem(" Impôts ")), QStringList{QStringLiteral("Taxe 2006")});
        QCOMPARE(CTenorelView::SubjectOf(tree->currentItem()), made);
        QCOMPARE(doc->GetCurrentSubject(), made);
        QCOMPARE(window->List()->GetRowCount(), 0);
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Text);
    }

    // The general titles offered as one is typed, ignoring case and accents;
    // a subject moved by the menu and by a drag; a general title renamed.
    void generalTitlesKeptTidy()
    {
        auto app = Open({{"Impôts", "2006", 0, "", {}}, {"EDF", "Facture", 0, "", {}}, {"Banque", "Relevé", 0, "", {}}});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        CTenorelView* tree = window->Tree();

        QStringList offered;
        OnNextDialog<CNewSubjectDlg>([&offered](CNewSubjectDlg& dlg) {
            offered = TypeAndPick(dlg.Completion(), dlg.Control(IDC_GENERAL_TITLE), QStringLiteral("impots"));
            Type(dlg.Control(IDC_SUBJECT_NAME), QStringLiteral("2007"));
            QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_NEW_SUBJECT));
        QCOMPARE(offered, QStringList{QStringLiteral("Impôts")});
        QCOMPARE(doc->GetSubject(3)->GetGeneralTitle(), std::string("Impôts"));
        QCOMPARE(Titles(tree), (QStringList{QStringLiteral("Banque"), QStringLiteral("EDF"), QStringLiteral("Impôts")}));
        QCOMPARE(ChildTexts(tree->FindGeneralTitleItem("Impôts")), (QStringList{QStringLiteral("2006"), QStringLiteral("2007")}));
        doc->SetModifiedFlag(false);

        // "Facture" goes under "Impôts" through the subject menu.
        QCOMPARE(FindItem(tree, QStringLiteral("Facture"))->toolTip(0), QStringLiteral("Facture"));
        ClickItem(tree, FindItem(tree, QStringLiteral("Facture")));
        const CTenorels* facture = doc->GetSubject(1);
        QCOMPARE(doc->GetCurrentSubject(), facture);
        OnNextDialog<CGeneralTitleDlg>([&offered](CGeneralTitleDlg& dlg) {
            offered = TypeAndPick(dlg.Completion(), dlg.Control(IDC_GENERAL_TITLE_CHOICE), QStringLiteral("pô"));
            QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_MOVE_SUBJECT));
        QCOMPARE(offered, QStringList{QStringLiteral("Impôts")});
        QCOMPARE(facture->GetGeneralTitle(), std::string("Impôts"));
        QCOMPARE(Titles(tree), (QStringList{QStringLiteral("Banque"), QStringLiteral("Impôts")}));
        QCOMPARE(CTenorelView::SubjectOf(tree->currentItem()), facture);
        QVERIFY(doc->IsModified());
        QTRY_COMPARE(frame->windowTitle(), QStringLiteral("Tavelo - [book*]"));

        // "Relevé" dragged onto "Impôts"; dropped on its own title, nothing.
        const CTenorels* releve = doc->GetSubject(2);
        DragSubject(tree, releve, tree->FindGeneralTitleItem("Banque"));
        QCOMPARE(releve->GetGeneralTitle(), std::string("Banque"));
        DragSubject(tree, releve, tree->FindGeneralTitleItem("Impôts"));
        QCOMPARE(releve->GetGeneralTitle(), std::string("Impôts"));
        QCOMPARE(Titles(tree), QStringList{QStringLiteral("Impôts")});

        // The general title renamed: every subject under it follows.
        ClickItem(tree, tree->FindGeneralTitleItem("Impôts"));
        QVERIFY(!doc->GetCurrentSubject());
        OnNextDialog<CGeneralTitleDlg>([](CGeneralTitleDlg& dlg) {
            QCOMPARE(qobject_cast<QLineEdit*>(dlg.Control(IDC_GENERAL_TITLE_CHOICE))->text(), QStringLiteral("Impôts"));
            QVERIFY(!dlg.Control(IDOK)->isEnabled());
            Type(dlg.Control(IDC_GENERAL_TITLE_CHOICE), QStringLiteral(" et taxes"));
            QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_RENAME_GENERAL_TITLE));
        QCOMPARE(Titles(tree), QStringList{QStringLiteral("Impôts et taxes")});
        QCOMPARE(ChildTexts(tree->FindGeneralTitleItem("Impôts et taxes")),
                 (QStringList{QStringLiteral("2006"), QStringLiteral("2007"), QStringLiteral("Facture"), QStringLiteral("Relevé")}));
        for (const auto& subject : doc->Subjects())
            QCOMPARE(subject->GetGeneralTitle(), std::string("Impôts et taxes"));

        // Saved: the mark goes, the status bar says so for a while.
        QVERIFY(Choose(frame, "&Fichier", ID_FILE_SAVE));
        QVERIFY(!doc->IsModified());
        QCOMPARE(frame->StatusPane(0)->text(), QStringLiteral("Livre enregistré : %1").arg(doc->GetPathName()));
        QTRY_COMPARE(frame->windowTitle(), QStringLiteral("Tavelo - [book]"));
        QTRY_COMPARE_WITH_TIMEOUT(frame->StatusPane(0)->text(), QStringLiteral("Prêt"), 8000);
    }

    // A book another instance holds opens read-only: neither the menu nor a
    // drag moves its subjects or renames its titles.
    void generalTitlesOfAReadOnlyBook()
    {
        const QString path = WriteBook(m_dir, QStringLiteral("tenu.tvo"), {{"Impôts", "2006", 0, "", {}}, {"EDF", "Facture", 0, "", {}}});
        bool readOnly = true;
        std::unique_ptr<HeldFile> other = OpenHeldFile(path.toStdString(), readOnly, false);
        QVERIFY(other && !readOnly);
        DialogRunner::SetNextHandler([](QDialog& dialog) {
            if (auto* reservation = qobject_cast<CReservationDlg*>(&dialog))
                if (auto* button = qobject_cast<QPushButton*>(reservation->Control(IDOK)))
                    button->click();
            return dialog.result();
        });
        auto app = StartApp({path});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        QVERIFY(doc->IsReadOnly());
        CTenorelView* tree = window->Tree();
        ClickItem(tree, FindItem(tree, QStringLiteral("Facture")));
        QVERIFY(doc->GetCurrentSubject());
        QVERIFY(!ShownEnabled(frame, "&Sujets", ID_MOVE_SUBJECT));
        QVERIFY(!ShownEnabled(frame, "&Sujets", ID_RENAME_GENERAL_TITLE));
        MessageBox::ClearHistory();
        DragSubject(tree, doc->GetSubject(1), tree->FindGeneralTitleItem("Impôts"));
        QCOMPARE(doc->GetSubject(1)->GetGeneralTitle(), std::string("EDF"));
        QVERIFY(!doc->IsModified());
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History()[0].text,
                 QStringLiteral("Ce livre est ouvert en lecture seule : il ne peut pas être modifié ici."));
    }

    void renameSubject()
    {
        auto app = Open({{"EDF", "2006", 0, "", {}}, {"EDF", "2007", 0, "", {}}});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        CTenorelView* tree = window->Tree();
        QVERIFY(!ShownEnabled(frame, "&Sujets", ID_RENAME_SUBJECT));
        ClickItem(tree, FindItem(tree, QStringLiteral("2007")));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(1));
        QVERIFY(ShownEnabled(frame, "&Sujets", ID_RENAME_SUBJECT));

        // Cancelled after typing: unchanged.
        OnNextDialog<CRenameSubjectDlg>([](CRenameSubjectDlg& dlg) {
            Type(dlg.Control(IDC_RENAME_NAME), QStringLiteral("x"));
            QTest::mouseClick(dlg.Control(IDCANCEL), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_RENAME_SUBJECT));
        QCOMPARE(doc->GetSubject(1)->GetSubjectName(), std::string("2007"));
        QVERIFY(!doc->IsModified());

        // Confirmed with the name unchanged: the book is marked modified all the same.
        QString shown;
        std::vector<bool> okStates;
        OnNextDialog<CRenameSubjectDlg>([&](CRenameSubjectDlg& dlg) {
            shown = qobject_cast<QLineEdit*>(dlg.Control(IDC_RENAME_NAME))->text();
            okStates.push_back(dlg.Control(IDOK)->isEnabled());
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Modification du nom du sujet sélectionné"));
            QCOMPARE(Labels(dlg), QStringList{QStringLiteral("Nom du sujet")});
            QTest::keyClick(dlg.Control(IDC_RENAME_NAME), Qt::Key_Return);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_RENAME_SUBJECT));
        QCOMPARE(shown, QStringLiteral("2007"));
        QCOMPARE(okStates, std::vector<bool>{true});
        QVERIFY(doc->IsModified());
        doc->SetModifiedFlag(false);

        okStates.clear();
        OnNextDialog<CRenameSubjectDlg>([&](CRenameSubjectDlg& dlg) {
            QWidget* edit = dlg.Control(IDC_RENAME_NAME);
            Erase(edit);
            okStates.push_back(dlg.Control(IDOK)->isEnabled());
            Type(edit, QStringLiteral("1999"));
            okStates.push_back(dlg.Control(IDOK)->isEnabled());
            QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_RENAME_SUBJECT));
        QCOMPARE(okStates, (std::vector<bool>{false, true}));
        QCOMPARE(doc->GetSubject(1)->GetSubjectName(), std::string("1999"));
        // The item takes the new name in place: no re-sort.
        QCOMPARE(ChildTexts(tree->FindGeneralTitleItem("EDF")), (QStringList{QStringLiteral("2006"), QStringLiteral("1999")}));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("1999"));
        QCOMPARE(doc->GetCurrentSubject(), doc->GetSubject(1));
        QVERIFY(doc->IsModified());
    }

    void expectedText()
    {
        auto app = Open({{"EDF", "2006", 0, "Avis\r\nà recevoir", {}}});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        ClickItem(window->Tree(), FindItem(window->Tree(), QStringLiteral("2006")));
        CTenorels* subject = doc->GetSubject(0);

        // Confirmed without a change: not modified.
        QString shown;
        OnNextDialog<CExpectedTextDlg>([&](CExpectedTextDlg& dlg) {
            QCOMPARE(dlg.windowTitle(),
                     QStringLiteral("Modification du texte permettant de savoir ce qui est attendu pour clôturer le sujet"));
            QCOMPARE(Labels(dlg), QStringList{QStringLiteral("Texte renseignant l'attente pour clôturer le sujet")});
            shown = qobject_cast<QPlainTextEdit*>(dlg.Control(IDC_EXPECTED_TEXT))->toPlainText();
            QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_EXPECTED_TEXT));
        QCOMPARE(shown, QStringLiteral("Avis\nà recevoir"));
        QCOMPARE(subject->GetExpectedText(), std::string("Avis\r\nà recevoir"));
        QVERIFY(!doc->IsModified());

        // Return inserts a line break instead of confirming; stored as CR LF.
        bool closedByReturn = true;
        OnNextDialog<CExpectedTextDlg>([&](CExpectedTextDlg& dlg) {
            QWidget* edit = dlg.Control(IDC_EXPECTED_TEXT);
            QTest::keyClick(edit, Qt::Key_Return);
            closedByReturn = !dlg.isVisible();
            Type(edit, QStringLiteral("facture"));
            QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_EXPECTED_TEXT));
        QVERIFY(!closedByReturn);
        QCOMPARE(subject->GetExpectedText(), std::string("Avis\r\nà recevoir\r\nfacture"));
        QVERIFY(doc->IsModified());
        QCOMPARE(window->Preview()->DisplayedText(), QStringLiteral("Avis\nà recevoir\nfacture"));
        doc->SetModifiedFlag(false);

        // Cancelled: unchanged.
        OnNextDialog<CExpectedTextDlg>([](CExpectedTextDlg& dlg) {
            Erase(dlg.Control(IDC_EXPECTED_TEXT));
            QTest::mouseClick(dlg.Control(IDCANCEL), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_EXPECTED_TEXT));
        QCOMPARE(subject->GetExpectedText(), std::string("Avis\r\nà recevoir\r\nfacture"));
        QVERIFY(!doc->IsModified());

        // Emptied (OK stays enabled) and confirmed.
        bool okEnabled = false;
        OnNextDialog<CExpectedTextDlg>([&](CExpectedTextDlg& dlg) {
            Erase(dlg.Control(IDC_EXPECTED_TEXT));
            okEnabled = dlg.Control(IDOK)->isEnabled();
            QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_EXPECTED_TEXT));
        QVERIFY(okEnabled);
        QVERIFY(subject->GetExpectedText().empty());
        QVERIFY(doc->IsModified());
        QCOMPARE(window->Preview()->DisplayedText(), QString());
    }

    void lineBreakConversion()
    {
        QCOMPARE(CExpectedTextDlg::ToDisplay(QStringLiteral("a\r\nb\r\n")), QStringLiteral("a\nb\n"));
        QCOMPARE(CExpectedTextDlg::ToStored(QStringLiteral("a\nb\n")), QStringLiteral("a\r\nb\r\n"));
        // A text with lone line feeds (written elsewhere) comes back byte for
        // byte when left alone.
        CExpectedTextDlg dlg(QStringLiteral("a\nb\r\nc"));
        QCOMPARE(dlg.GetText(), QStringLiteral("a\nb\r\nc"));
    }

    void deleteSubjects()
    {
        auto app = Open({{"EDF", "a", 0, "", {"/d/a.pdf"}}, {"EDF", "b", 0, "", {}}, {"GDF", "c", 0, "", {"/d/c.pdf"}}});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        CTenorelView* tree = window->Tree();
        CTenorels* a = doc->GetSubject(0);
        CTenorels* b = doc->GetSubject(1);
        CTenorels* c = doc->GetSubject(2);
        tree->m_searchHits = {a, c};

        ClickItem(tree, FindItem(tree, QStringLiteral("c")));
        QCOMPARE(doc->GetCurrentSubject(), c);
        // Ctrl+Delete, answered No: nothing changes.
        MessageBox::SetNextAnswer(QMessageBox::No);
        QTest::keyClick(tree, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        const MessageBox::Shown& asked = MessageBox::History().back();
        QCOMPARE(asked.text, QStringLiteral("Vous êtes sûr de supprimer ce sujet"));
        QCOMPARE(asked.look, MessageBox::NoIcon);
        QVERIFY(asked.buttons == (QMessageBox::Yes | QMessageBox::No));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{3});
        QCOMPARE(doc->GetCurrentSubject(), c);
        QVERIFY(!doc->IsModified());

        // Yes: the only subject of GDF goes with its general title.
        MessageBox::SetNextAnswer(QMessageBox::Yes);
        QTest::keyClick(tree, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(doc->GetSubjectCount(), std::size_t{2});
        QCOMPARE(doc->IndexOf(c), -1L);
        QVERIFY(!tree->FindGeneralTitleItem("GDF"));
        QCOMPARE(tree->m_searchHits, std::vector<CTenorels*>{a});
        QVERIFY(!doc->GetCurrentSubject());
        QVERIFY(doc->IsModified());
        QCOMPARE(window->List()->GetRowCount(), 0);
        QVERIFY(!tree->currentItem());

        // The subject commands are greyed until a subject is selected again.
        QVERIFY(ShownEnabled(frame, "&Sujets", ID_NEW_SUBJECT));
        for (int id : {int{ID_DELETE_SUBJECT}, int{ID_RENAME_SUBJECT}, int{ID_EXPECTED_TEXT}, int{ID_CLOSE_SUBJECT}})
            QVERIFY2(!ShownEnabled(frame, "&Sujets", id), qPrintable(QString::number(id)));
        QVERIFY(!ShownEnabled(frame, "&Edition", ID_COPY_SUBJECT));
        const std::size_t asks = MessageBox::History().size();
        QTest::keyClick(tree, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(MessageBox::History().size(), asks);

        // One of two subjects of EDF: the general title stays.
        doc->SetModifiedFlag(false);
        ClickItem(tree, FindItem(tree, QStringLiteral("a")));
        QVERIFY(ShownEnabled(frame, "&Sujets", ID_DELETE_SUBJECT));
        MessageBox::SetNextAnswer(QMessageBox::Yes);
        QVERIFY(Choose(frame, "&Sujets", ID_DELETE_SUBJECT));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});
        QCOMPARE(doc->GetSubject(0), b);
        QCOMPARE(ChildTexts(tree->FindGeneralTitleItem("EDF")), QStringList{QStringLiteral("b")});
        QVERIFY(tree->m_searchHits.empty());
        QVERIFY(!doc->GetCurrentSubject());
        QVERIFY(doc->IsModified());
    }

    void sameNameAndTitle()
    {
        auto app = StartApp();
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        CTenorelView* tree = window->Tree();
        for (int i = 0; i < 2; ++i) {
            OnNextDialog<CNewSubjectDlg>([](CNewSubjectDlg& dlg) {
                Type(dlg.Control(IDC_GENERAL_TITLE), QStringLiteral("EDF"));
                Type(dlg.Control(IDC_SUBJECT_NAME), QStringLiteral("2006"));
                QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
            });
            QVERIFY(Choose(frame, "&Sujets", ID_NEW_SUBJECT));
        }
        QCOMPARE(doc->GetSubjectCount(), std::size_t{2});
        CTenorels* first = doc->GetSubject(0);
        CTenorels* second = doc->GetSubject(1);
        first->SetExpectedText("premier");
        QTreeWidgetItem* title = tree->FindGeneralTitleItem("EDF");
        QCOMPARE(ChildTexts(title), (QStringList{QStringLiteral("2006"), QStringLiteral("2006")}));
        QCOMPARE(doc->GetCurrentSubject(), second);

        // Renaming the second leaves the first alone.
        OnNextDialog<CRenameSubjectDlg>([](CRenameSubjectDlg& dlg) {
            Type(dlg.Control(IDC_RENAME_NAME), QStringLiteral("b"));
            QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_RENAME_SUBJECT));
        QCOMPARE(first->GetSubjectName(), std::string("2006"));
        QCOMPARE(second->GetSubjectName(), std::string("2006b"));
        QCOMPARE(tree->FindSubjectItem(first)->text(0), QStringLiteral("2006"));

        // Deleting the second keeps the first, in the tree and in the book.
        MessageBox::SetNextAnswer(QMessageBox::Yes);
        QVERIFY(Choose(frame, "&Sujets", ID_DELETE_SUBJECT));
        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});
        QCOMPARE(doc->GetSubject(0), first);
        QCOMPARE(title->childCount(), 1);
        QCOMPARE(CTenorelView::SubjectOf(title->child(0)), first);
        ClickItem(tree, title->child(0));
        QCOMPARE(doc->GetCurrentSubject(), first);
        QCOMPARE(window->Preview()->DisplayedText(), QStringLiteral("premier"));
    }

    void secondWindowOfTheBook()
    {
        auto app = Open({{"EDF", "a", 0, "", {"/d/1.pdf", "/d/2.pdf"}}, {"GDF", "c", 1, "", {}}});
        CMainFrame* frame = app->MainFrame();
        CTenorelDoc* doc = ActiveWindow(*app)->GetDocument();
        CTenorelView* firstTree = ActiveWindow(*app)->Tree();
        QVERIFY(frame->RunCommand(ID_WINDOW_NEW));
        QTRY_COMPARE(frame->BookWindows().size(), std::size_t{2});
        CSplitter* second = frame->BookWindows()[1];
        QTRY_COMPARE(ActiveWindow(*app), second);
        CTenorelView* tree = second->Tree();
        CTenorels* a = doc->GetSubject(0);
        CTenorels* c = doc->GetSubject(1);
        firstTree->m_searchHits = {a, c};
        tree->m_searchHits = {c};
        // A row selected in the first window's list is not removed by the
        // Delete key pressed in the second window, whose list has no selection.
        ClickItem(firstTree, FindItem(firstTree, QStringLiteral("a")));
        QCOMPARE(frame->BookWindows()[0]->List()->GetRowCount(), 2);
        ClickRow(frame->BookWindows()[0]->List(), 1);
        frame->MdiArea()->setActiveSubWindow(second);
        QTRY_COMPARE(ActiveWindow(*app), second);
        ClickItem(tree, FindItem(tree, QStringLiteral("a")));
        QCOMPARE(doc->GetCurrentSubject(), a);
        QTest::keyClick(tree, Qt::Key_Delete);
        QCOMPARE(a->GetDocumentCount(), 2);
        QVERIFY(!doc->IsModified());

        // Reopening a subject from the second window changes its mark in both.
        ClickItem(tree, FindItem(tree, QStringLiteral("c")));
        QVERIFY(HasMark(firstTree->FindSubjectItem(c), ClosedSubjectMark()));
        QVERIFY(frame->RunCommand(ID_CLOSE_SUBJECT));
        QCOMPARE(c->GetState(), 0);
        QVERIFY(HasMark(tree->FindSubjectItem(c), OpenSubjectMark()));
        QVERIFY(HasMark(firstTree->FindSubjectItem(c), OpenSubjectMark()));

        // A rename shows in both windows.
        OnNextDialog<CRenameSubjectDlg>([](CRenameSubjectDlg& dlg) {
            Type(dlg.Control(IDC_RENAME_NAME), QStringLiteral("2"));
            QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        });
        QVERIFY(Choose(frame, "&Sujets", ID_RENAME_SUBJECT));
        QCOMPARE(firstTree->FindSubjectItem(c)->text(0), QStringLiteral("c2"));
        QCOMPARE(tree->FindSubjectItem(c)->text(0), QStringLiteral("c2"));

        // A delete from the second window leaves no trace in either.
        // (The main window takes the keys again once the dialog has gone.)
        frame->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(frame));
        MessageBox::SetNextAnswer(QMessageBox::Yes);
        QTest::keyClick(tree, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(doc->GetSubjectCount(), std::size_t{1});
        QVERIFY(!doc->GetCurrentSubject());
        for (CTenorelView* t : {firstTree, tree}) {
            QVERIFY(!t->FindGeneralTitleItem("GDF"));
            QVERIFY(!ShowsRecord(t, c));
            QVERIFY(std::find(t->m_searchHits.begin(), t->m_searchHits.end(), c) == t->m_searchHits.end());
        }
        QCOMPARE(firstTree->m_searchHits, std::vector<CTenorels*>{a});
        QVERIFY(FindItem(firstTree, QStringLiteral("a")));
    }

    void removeAndModifyDocuments()
    {
        auto app = Open({{"EDF", "2006", 0, "",
                          {"/home/ana/Factures/edf_2006.pdf", "/home/ana/v1.2/lettre", "/home/ana/c.txt"}}});
        CMainFrame* frame = app->MainFrame();
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        CListeView* list = window->List();
        CTenorels* subject = doc->GetSubject(0);
        ClickItem(window->Tree(), FindItem(window->Tree(), QStringLiteral("2006")));
        QCOMPARE(list->GetRowCount(), 3);

        // No selected row: both commands do nothing.
        list->setFocus();
        QTRY_COMPARE(window->GetActiveView(), list);
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(frame->RunCommand(ID_MODIFY_DOCUMENT_PATH));
        QCOMPARE(subject->GetDocumentCount(), 3);
        QVERIFY(FileDialog::History().empty());
        QVERIFY(!doc->IsModified());

        // Re-pointing the first row: the dialog offers the file's type and name.
        ClickRow(list, 0);
        FileDialog::SetNextFileName(QString());
        PopupMenu::SetNextChoice([](QMenu&) { return int{ID_MODIFY_DOCUMENT_PATH}; });
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), list->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list->viewport(), &request);
        QCOMPARE(FileDialog::History().size(), std::size_t{1});
        const FileDialog::Asked offered = FileDialog::History().back();
        QCOMPARE(offered.kind, FileDialog::Open);
        QCOMPARE(offered.filter, QStringLiteral("Fichier (*.pdf)"));
        QCOMPARE(offered.initialPath, QStringLiteral("edf_2006.pdf"));
        QCOMPARE(offered.defaultSuffix, QStringLiteral("pdf"));
        QVERIFY(!doc->IsModified()); // cancelled

        FileDialog::SetNextFileName(QStringLiteral("/archives/edf_2006.pdf"));
        PopupMenu::SetNextChoice([](QMenu&) { return int{ID_MODIFY_DOCUMENT_PATH}; });
        QApplication::sendEvent(list->viewport(), &request);
        QCOMPARE(subject->GetDocumentPaths(), (std::vector<std::string>{"/archives/edf_2006.pdf", "/home/ana/v1.2/lettre",
                                                                        "/home/ana/c.txt"}));
        QCOMPARE(ListRows(list).front(), QStringLiteral("/archives/edf_2006.pdf"));
        QVERIFY(doc->IsModified());
        doc->SetModifiedFlag(false);

        // A file name without '.': any file, the name alone, no extension (the
        // '.' of the folder is not taken).
        ClickRow(list, 1);
        FileDialog::SetNextFileName(QString());
        QVERIFY(frame->RunCommand(ID_MODIFY_DOCUMENT_PATH));
        QCOMPARE(FileDialog::History().back().filter, QStringLiteral("Fichier (*)"));
        QCOMPARE(FileDialog::History().back().initialPath, QStringLiteral("lettre"));
        QCOMPARE(FileDialog::History().back().defaultSuffix, QString());

        // The Delete key removes the selected row only.
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(subject->GetDocumentPaths(),
                 (std::vector<std::string>{"/archives/edf_2006.pdf", "/home/ana/c.txt"}));
        QCOMPARE(ListRows(list), (QStringList{QStringLiteral("/archives/edf_2006.pdf"), QStringLiteral("/home/ana/c.txt")}));
        QCOMPARE(window->Preview()->CurrentPage(), CHTMLView::Page::Blank);
        QVERIFY(doc->IsModified());
    }

    void fileOffers()
    {
        const DocumentFileOffer windowsPath = OfferFor("C:\\Factures\\edf_2006.pdf");
        QCOMPARE(windowsPath.filter, QStringLiteral("Fichier (*.pdf)"));
        QCOMPARE(windowsPath.fileName, QStringLiteral("edf_2006.pdf"));
        QCOMPARE(windowsPath.defaultSuffix, QStringLiteral("pdf"));
        const DocumentFileOffer twoDots = OfferFor("/a/b/archive.tar.GZ");
        QCOMPARE(twoDots.filter, QStringLiteral("Fichier (*.GZ)"));
        QCOMPARE(twoDots.fileName, QStringLiteral("archive.tar.GZ"));
        const DocumentFileOffer trailingDot = OfferFor("/a/b/note.");
        QCOMPARE(trailingDot.filter, QStringLiteral("Fichier (*)"));
        QCOMPARE(trailingDot.defaultSuffix, QString());
    }

    void droppedFiles()
    {
        const QString other = WriteBook(m_dir, QStringLiteral("autre.tvo"), {{"X", "y", 0, "", {}}});
        auto app = Open({{"EDF", "2006", 0, "", {"/d/a.pdf"}}, {"EDF", "2007", 0, "", {}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        CTenorelView* tree = window->Tree();
        CTenorels* subject = doc->GetSubject(0);
        QVERIFY(tree->viewport()->acceptDrops());
        QVERIFY(window->List()->viewport()->acceptDrops());

        // A drag without files is refused.
        QMimeData textOnly;
        textOnly.setText(QStringLiteral("texte"));
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &textOnly, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &refused);
        QVERIFY(!refused.isAccepted());

        ClickItem(tree, FindItem(tree, QStringLiteral("2006")));
        Drop(tree->viewport(), {QStringLiteral("/d/b.odt")});
        QCOMPARE(subject->GetDocumentPaths(), (std::vector<std::string>{"/d/a.pdf", "/d/b.odt"}));
        QCOMPARE(ListRows(window->List()), (QStringList{QStringLiteral("/d/a.pdf"), QStringLiteral("/d/b.odt")}));
        QVERIFY(doc->IsModified());
        QVERIFY(MessageBox::History().empty());

        // The same file again, on the list: the add-document message.
        doc->SetModifiedFlag(false);
        Drop(window->List()->viewport(), {QStringLiteral("/d/b.odt"), QStringLiteral("/d/c.pdf")});
        QCOMPARE(MessageBox::History().size(), std::size_t{1});
        QCOMPARE(MessageBox::History().back().text, QStringLiteral("Ce document est déjà présent"));
        QCOMPARE(MessageBox::History().back().look, MessageBox::Exclamation);
        QCOMPARE(subject->GetDocumentPaths(), (std::vector<std::string>{"/d/a.pdf", "/d/b.odt", "/d/c.pdf"}));
        QCOMPARE(doc->GetSubject(1)->GetDocumentCount(), 0);

        // A book file opens as a book, also while a subject is current.
        Drop(tree->viewport(), {other});
        QTRY_COMPARE(app->Documents().size(), std::size_t{2});
        QCOMPARE(app->Documents().back()->GetPathName(), QFileInfo(other).absoluteFilePath());
        QCOMPARE(subject->GetDocumentCount(), 3);
    }

    void droppedWithoutCurrentSubject()
    {
        auto app = Open({{"EDF", "2006", 0, "", {}}});
        CSplitter* window = ActiveWindow(*app);
        CTenorelDoc* doc = window->GetDocument();
        // No subject is current: the file goes to the main window, which tries
        // to open it as a book and says it cannot.
        Drop(window->Tree()->viewport(), {m_dir.filePath(QStringLiteral("absent.pdf"))});
        QTRY_COMPARE(MessageBox::History().size(), std::size_t{1});
        QVERIFY(MessageBox::History().back().text.contains(QStringLiteral("absent.pdf")));
        QCOMPARE(doc->GetSubject(0)->GetDocumentCount(), 0);
        QVERIFY(!doc->IsModified());
        QCOMPARE(app->Documents().size(), std::size_t{1});
    }
};

TAVELO_GUI_TEST_MAIN(TestEditing)
#include "test_editing.moc"
