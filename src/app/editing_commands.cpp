#include "app/editing_commands.h"

#include <QTreeWidgetItem>
#include <memory>

#include "app/command.h"
#include "app/command_host.h"
#include "app/resources.h"
#include "app/splitter.h"
#include "app/subject_dialogs.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/tenorels.h"
#include "views/liste_view.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

// Every subject tree of the book: the first window's, then those of the
// windows opened later on it.
std::vector<CTenorelView*> TreesOf(const CTenorelDoc& doc)
{
    std::vector<CTenorelView*> trees;
    for (std::size_t i = 0; i < doc.GetViewCount(); ++i) {
        if (auto* tree = dynamic_cast<CTenorelView*>(doc.GetView(i)))
            trees.push_back(tree);
    }
    return trees;
}

// The document list of the book window the command came from, when it is one
// of this book's; otherwise the list of the book's first window.
const CListeView* CommandList(const CTenorelDoc& doc)
{
    if (CommandHost* host = CommandHost::Instance()) {
        for (CCmdTarget* target : host->ActiveRoute()) {
            auto* window = dynamic_cast<CSplitter*>(target);
            if (window && window->GetDocument() == &doc && window->List())
                return window->List();
        }
    }
    return doc.GetListView();
}

// The selected row of that list, or -1 when there is no current subject, no
// list or no selected row.
int SelectedDocument(const CTenorelDoc& doc)
{
    const CTenorels* subject = doc.GetCurrentSubject();
    const CListeView* list = CommandList(doc);
    if (!subject || !list)
        return -1;
    const int row = list->GetSelectedRow();
    return row < subject->GetDocumentCount() ? row : -1;
}

// The general title the rename acts on: the current subject's, or the one
// selected in the tree of the command's window.
const std::string* GeneralTitleToRename(const CTenorelDoc& doc)
{
    if (const CTenorels* subject = doc.GetCurrentSubject())
        return &subject->GetGeneralTitle();
    const CTenorelView* tree = doc.CommandTree();
    return tree ? CTenorelView::GeneralTitleOf(tree->currentItem()) : nullptr;
}

const char* const kMoveTitle = QT_TRANSLATE_NOOP("Tavelo", "Déplacer le sujet");
const char* const kMoveLabel = QT_TRANSLATE_NOOP("Tavelo", "Titre général sous lequel ranger « %1 »");
const char* const kRenameTitleTitle = QT_TRANSLATE_NOOP("Tavelo", "Renommer le titre général");
const char* const kRenameTitleLabel = QT_TRANSLATE_NOOP("Tavelo", "Nouveau nom du titre général « %1 »");

} // namespace

void RegisterEditingCommands()
{
    // Once per process: what is registered later (tests) is not overridden.
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    using Registry = CommandRegistry<CTenorelDoc>;
    Registry::Register(ID_NEW_SUBJECT, OnNewSubject);
    Registry::Register(ID_RENAME_SUBJECT, OnRenameSubject, CTenorelDoc::UpdateNeedsCurrentSubject);
    Registry::Register(ID_DELETE_SUBJECT, OnDeleteSubject, CTenorelDoc::UpdateNeedsCurrentSubject);
    Registry::Register(ID_EXPECTED_TEXT, OnExpectedText, CTenorelDoc::UpdateNeedsCurrentSubject);
    Registry::Register(ID_REMOVE_DOCUMENT, OnRemoveDocument);
    Registry::Register(ID_MODIFY_DOCUMENT_PATH, OnModifyDocumentPath);
    Registry::Register(ID_MOVE_SUBJECT, OnMoveSubject, [](CTenorelDoc& doc, CCmdUI& ui) {
        ui.Enable(doc.GetCurrentSubject() != nullptr && !doc.IsReadOnly());
    });
    Registry::Register(ID_RENAME_GENERAL_TITLE, OnRenameGeneralTitle, [](CTenorelDoc& doc, CCmdUI& ui) {
        ui.Enable(GeneralTitleToRename(doc) != nullptr && !doc.IsReadOnly());
    });
}

void OnNewSubject(CTenorelDoc& doc)
{
    CNewSubjectDlg dlg(CTenorelDoc::DialogParent(), doc.GeneralTitles());
    if (DialogRunner::Exec(dlg) != QDialog::Accepted)
        return;
    CTenorels* subject = doc.AppendSubject(std::make_unique<CTenorels>(
        dlg.GetGeneralTitle().toStdString(), dlg.GetSubjectName().toStdString(), CTenorels::kOpen));
    doc.SetModifiedFlag(true);
    if (CTenorelView* tree = doc.GetTreeView())
        tree->AddSubjectToTree(subject, true);
    // The book's other windows list it as well, without selecting it.
    for (CTenorelView* tree : TreesOf(doc)) {
        if (tree != doc.GetTreeView() && !tree->m_bSearchMode)
            tree->AddSubjectToTree(subject, false);
    }
}

void OnRenameSubject(CTenorelDoc& doc)
{
    CTenorels* subject = doc.GetCurrentSubject();
    if (!subject)
        return;
    CRenameSubjectDlg dlg(ToQ(subject->GetSubjectName()), CTenorelDoc::DialogParent());
    if (DialogRunner::Exec(dlg) != QDialog::Accepted)
        return;
    // The dialog's event loop may have run other commands.
    if (doc.GetCurrentSubject() != subject)
        return;
    subject->SetSubjectName(dlg.GetName().toStdString());
    // The subject's item in every window takes the new name where it stands:
    // the tree is not re-sorted.
    for (CTenorelView* tree : TreesOf(doc)) {
        if (QTreeWidgetItem* item = tree->FindSubjectItem(subject))
            item->setText(0, dlg.GetName());
    }
    doc.SetModifiedFlag(true);
}

void OnMoveSubject(CTenorelDoc& doc)
{
    CTenorels* subject = doc.GetCurrentSubject();
    if (!subject || doc.RefuseReadOnlyEdit())
        return;
    const QString current = ToQ(subject->GetGeneralTitle());
    CGeneralTitleDlg dlg(Tx(kMoveTitle), Tx(kMoveLabel).arg(ToQ(subject->GetSubjectName())), QString(), current,
                         doc.GeneralTitles(), CTenorelDoc::DialogParent());
    if (DialogRunner::Exec(dlg) != QDialog::Accepted || doc.GetCurrentSubject() != subject)
        return;
    doc.MoveSubject(subject, dlg.GetGeneralTitle().toStdString());
}

void OnRenameGeneralTitle(CTenorelDoc& doc)
{
    const std::string* chosen = GeneralTitleToRename(doc);
    if (!chosen || doc.RefuseReadOnlyEdit())
        return;
    // Copied: the dialog's event loop may change the tree and the subjects.
    const std::string from = *chosen;
    CGeneralTitleDlg dlg(Tx(kRenameTitleTitle), Tx(kRenameTitleLabel).arg(ToQ(from)), ToQ(from), ToQ(from),
                         doc.GeneralTitles(), CTenorelDoc::DialogParent());
    if (DialogRunner::Exec(dlg) != QDialog::Accepted)
        return;
    doc.RenameGeneralTitle(from, dlg.GetGeneralTitle().toStdString());
}

void OnExpectedText(CTenorelDoc& doc)
{
    CTenorels* subject = doc.GetCurrentSubject();
    if (!subject)
        return;
    CExpectedTextDlg dlg(ToQ(subject->GetExpectedText()), CTenorelDoc::DialogParent());
    if (DialogRunner::Exec(dlg) != QDialog::Accepted || doc.GetCurrentSubject() != subject)
        return;
    const std::string text = dlg.GetText().toStdString();
    if (text == subject->GetExpectedText())
        return;
    subject->SetExpectedText(text);
    doc.SetModifiedFlag(true);
    if (CTenorelView* tree = doc.GetTreeView())
        tree->ShowExpectedText(subject);
}

void OnDeleteSubject(CTenorelDoc& doc)
{
    const auto answer = MessageBox::Show(CTenorelDoc::DialogParent(), Tx(text::kConfirmDeleteSubject),
                                         MessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    CTenorels* subject = doc.GetCurrentSubject();
    const long index = doc.IndexOf(subject);
    if (!subject || index < 0)
        return;
    // Its items and search hits leave every window of the book; the trees then
    // show no selection, matching the book's lack of a current subject.
    for (CTenorelView* tree : TreesOf(doc)) {
        tree->RemoveSubjectItem(subject);
        tree->setCurrentItem(nullptr);
    }
    doc.SetCurrentSubject(nullptr);
    doc.RemoveSubject(static_cast<std::size_t>(index));
    for (std::size_t i = 0; i < doc.GetViewCount(); ++i) {
        if (auto* list = dynamic_cast<CListeView*>(doc.GetView(i)))
            list->ShowDocuments(nullptr);
    }
    doc.RefreshDocumentList();
    doc.SetModifiedFlag(true);
}

void OnRemoveDocument(CTenorelDoc& doc)
{
    const int row = SelectedDocument(doc);
    if (row < 0)
        return;
    doc.GetCurrentSubject()->RemoveDocumentPath(row);
    doc.RefreshDocumentList();
    doc.SetModifiedFlag(true);
}

DocumentFileOffer OfferFor(const std::string& documentPath)
{
    // The extension is looked for in the file name only: a '.' in a folder
    // name is no extension.
    const QString name = ToQ(GetDocumentFileName(documentPath));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? name.mid(dot + 1) : QString();
    if (extension.isEmpty())
        return {Tx(text::kAnyDocumentFilter), name, QString()};
    return {Tx(text::kDocumentFilter).arg(extension), name, extension};
}

void OnModifyDocumentPath(CTenorelDoc& doc)
{
    const int row = SelectedDocument(doc);
    if (row < 0)
        return;
    CTenorels* subject = doc.GetCurrentSubject();
    const DocumentFileOffer offer = OfferFor(subject->GetDocumentPath(row));
    const QString chosen = FileDialog::GetOpenFileName(CTenorelDoc::DialogParent(), Tx(text::kOpenTitle),
                                                       offer.fileName, offer.filter, offer.defaultSuffix);
    if (chosen.isEmpty())
        return;
    // The dialog's event loop may have changed the subject or its list.
    if (doc.GetCurrentSubject() != subject || row >= subject->GetDocumentCount())
        return;
    subject->SetDocumentPath(row, chosen.toStdString());
    doc.RefreshDocumentList();
    doc.SetModifiedFlag(true);
}

} // namespace tavelo::gui
