#include "app/inbox_commands.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/command.h"
#include "app/resource_ids.h"
#include "app/resources.h"
#include "app/scan_dlg.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "views/inbox.h"

namespace tavelo::gui {

namespace {

const char* const kFoldersTitle = QT_TRANSLATE_NOOP("Tavelo", "Boîte de réception");
const char* const kFoldersIntro = QT_TRANSLATE_NOOP(
    "Tavelo", "Dossiers surveillés pour ce livre. Les fichiers qui y arrivent sont proposés au rangement, avec les sujets qui leur conviennent le mieux.");
const char* const kAddFolder = QT_TRANSLATE_NOOP("Tavelo", "&Ajouter un dossier…");
const char* const kRemoveFolder = QT_TRANSLATE_NOOP("Tavelo", "&Retirer");
const char* const kChooseFolder = QT_TRANSLATE_NOOP("Tavelo", "Dossier à surveiller");

} // namespace

CInboxFoldersDlg::CInboxFoldersDlg(const QStringList& folders, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("inboxFoldersDlg"));
    setWindowTitle(Tx(kFoldersTitle));
    setModal(true);
    auto* intro = new QLabel(Tx(kFoldersIntro), this);
    intro->setWordWrap(true);
    m_list = new QListWidget(this);
    m_list->addItems(folders);
    m_add = new QPushButton(Tx(kAddFolder), this);
    m_remove = new QPushButton(Tx(kRemoveFolder), this);
    auto* side = new QVBoxLayout;
    side->addWidget(m_add);
    side->addWidget(m_remove);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_list, 1);
    middle->addLayout(side);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Tx(text::kOkButton), QDialogButtonBox::AcceptRole);
    buttons->addButton(Tx(text::kCancelDialogButton), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(middle);
    layout->addWidget(buttons);
    setMinimumWidth(480);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_add, &QPushButton::clicked, this, [this] {
        const QString folder = FileDialog::GetExistingDirectory(this, Tx(kChooseFolder), QDir::homePath());
        if (!folder.isEmpty() && m_list->findItems(QDir::cleanPath(folder), Qt::MatchExactly).isEmpty())
            m_list->addItem(QDir::cleanPath(folder));
    });
    connect(m_remove, &QPushButton::clicked, this, [this] { delete m_list->currentItem(); });
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_remove->setEnabled(row >= 0); });
    m_remove->setEnabled(false);
}

QStringList CInboxFoldersDlg::Folders() const
{
    QStringList folders;
    for (int i = 0; i < m_list->count(); ++i)
        folders << m_list->item(i)->text();
    return folders;
}

void OnInboxFolders(CTenorelDoc& doc)
{
    Inbox* inbox = Inbox::For(&doc);
    CInboxFoldersDlg dlg(inbox->Folders(), CTenorelDoc::DialogParent());
    if (DialogRunner::Exec(dlg) != QDialog::Accepted)
        return;
    inbox->SetFolders(dlg.Folders());
}

void OnScan(CTenorelDoc& doc)
{
    CScanDlg dlg(&doc, CTenorelDoc::DialogParent());
    DialogRunner::Exec(dlg);
}

void RegisterInboxCommands()
{
    using Books = CommandRegistry<CTenorelDoc>;
    // The inbox is kept under the book's file: a book never saved has none.
    Books::Register(ID_INBOX, OnInboxFolders, CTenorelDoc::UpdateNeedsPath);
    Books::Register(ID_SCAN, OnScan);
}

} // namespace tavelo::gui
