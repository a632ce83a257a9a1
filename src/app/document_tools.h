#pragma once
// The book's tools for documents that went missing: "Vérifier les documents"
// (32810) and "Retrouver les documents déplacés…" (32811).

#include <functional>
#include <string>

#include "editing/relink.h"

namespace tavelo {
class CTenorels;
}

namespace tavelo::gui {

class CCheckDocumentsDlg;
class CTenorelDoc;

// Opens the check window of the book (the one already open, raised, when
// there is one) and starts the check.
CCheckDocumentsDlg* OnCheckDocuments(CTenorelDoc& doc);
// Asks for a folder, looks for the missing documents there and re-points
// the ones the user confirms.
void OnRelinkDocuments(CTenorelDoc& doc);
// Selects the subject in the book's first window, and the document in its
// list: the one at `index` when it still has that path, else the first with
// that path. False when the subject is no longer in the book.
bool ShowDocumentInBook(CTenorelDoc& doc, const CTenorels* subject, int index, const std::string& path);

// Where the content step of the relinking reads what was known of the
// documents: the search's text cache unless replaced.
std::function<RelinkSources()>& RelinkContentSources();

void RegisterDocumentTools();

} // namespace tavelo::gui
