#pragma once
// "&Rechercher un sujet" and the two navigation modes, attached to every
// subject tree.

namespace tavelo::gui {

class CTenorelView;

// Installs 57636, 32789, 32790 and the mode pane (106) into the subject trees
// made from now on.
void RegisterSearchCommands();

// Asks for the criteria, searches the book's subjects and shows the hits in
// search mode, or says that nothing was found.
void OnFindSubject(CTenorelView& view);

} // namespace tavelo::gui
