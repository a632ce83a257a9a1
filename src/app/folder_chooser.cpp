#include "app/folder_chooser.h"

#include <QDir>
#include <QFileInfo>

#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "views/liste_view.h"

namespace tavelo::gui {

void ChooseFolder(CTenorelDoc& doc)
{
    doc.SetChosenFolder({});
    CListeView* list = doc.GetListView();
    if (!list)
        return;
    const QString chosen =
        FileDialog::GetExistingDirectory(list->window(), Tx(kChooseFolderTitle), QDir::homePath());
    if (chosen.isEmpty())
        return;
    // Only a folder of the file system is an answer.
    const QFileInfo info(chosen);
    if (!info.isDir())
        return;
    doc.SetChosenFolder(QDir::cleanPath(info.absoluteFilePath()).toStdString());
}

} // namespace tavelo::gui
