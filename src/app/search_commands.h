#pragma once
// "&Rechercher un sujet" and the two navigation modes, attached to every
// subject tree.

class QWidget;

namespace tavelo::gui {

class CTenorelView;

// Installs 57636, 32789, 32790 and the mode pane (106) into the subject trees
// made from now on.
void RegisterSearchCommands();

// Asks for the criteria and starts the search of the book's subjects, off the
// window's thread: the window stays usable and the progress window can
// cancel. At the end the hits are shown in search mode, or a message says
// that nothing was found.
void OnFindSubject(CTenorelView& view);

// "&Vider le cache des textes": after the user's confirmation, forgets every
// text kept for the search; the documents are read again at the next search.
void ClearTextCache(QWidget* parent);

// Whether a search of this process is still running (or winding down).
bool IsSearchRunning();
// Cancels every search and waits for their threads (the program is ending).
void StopSearches();

} // namespace tavelo::gui
