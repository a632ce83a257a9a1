#pragma once
// The example book of the "&?" menu and of `tavelo --exemple`: a few subjects
// under three general titles, with documents of the kinds the preview and the
// search read (text, HTML, RTF, PDF), so that a newcomer sees the three panes
// filled and a search that finds something. It is written in the interface's
// language.

#include <QString>

namespace tavelo::gui {

// Writes the documents and the book "Exemple.tvo" into `folder` (which must
// exist) and returns the book's path; empty when something could not be
// written.
QString WriteExampleBook(const QString& folder);

// "Exemple.tvo", the name of the book in the folder.
QString ExampleBookFileName();

// The subject the example opens on: its expected text tells what to try.
QString ExampleFirstSubject();

} // namespace tavelo::gui
