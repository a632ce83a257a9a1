#pragma once
// The folder browser of the copying tools: its answer becomes the book's
// chosen folder, which the caller reads right after.

#include <QtGlobal>

namespace tavelo::gui {

class CTenorelDoc;

inline constexpr const char* kChooseFolderTitle = QT_TRANSLATE_NOOP("Tavelo", "Choix du dossier");

// Empties the book's chosen folder, then, when the book's third view is its
// document list, asks for a folder owned by that view's window and stores the
// answer. A cancelled browser, or a book without its document list, leaves the
// chosen folder empty.
void ChooseFolder(CTenorelDoc& doc);

} // namespace tavelo::gui
