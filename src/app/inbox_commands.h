#pragma once
// "Outils ▸ Boîte de réception…" (32830): the folders watched for the book,
// and "Fichier ▸ Numériser…" (32831): a scan into the inbox or under the
// selected subject. Attached to every book.

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace tavelo::gui {

class CTenorelDoc;

// The folders of a book's inbox: added with the folder browser, removed one
// at a time.
class CInboxFoldersDlg : public QDialog {
    Q_OBJECT
public:
    CInboxFoldersDlg(const QStringList& folders, QWidget* parent = nullptr);

    QStringList Folders() const;
    QListWidget* List() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RemoveButton() const { return m_remove; }

private:
    QListWidget* m_list;
    QPushButton* m_add;
    QPushButton* m_remove;
};

void OnInboxFolders(CTenorelDoc& doc);
void OnScan(CTenorelDoc& doc);

void RegisterInboxCommands();

} // namespace tavelo::gui
