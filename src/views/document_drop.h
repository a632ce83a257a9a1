#pragma once
// Files dropped from the file manager on the subject tree or the document list.
// A book file (.tvo) opens as a book, as it does when dropped anywhere else on
// the main window; any other file joins the current subject as a document,
// refused like "&Ajouter un document" when the subject already holds it. With no
// current subject every file goes to the main window.

class QAbstractItemView;

namespace tavelo::gui {

class CView;

// Makes `view` (the widget of `pane`) take dropped files.
void AcceptDocumentDrops(QAbstractItemView* view, CView* pane);

} // namespace tavelo::gui
