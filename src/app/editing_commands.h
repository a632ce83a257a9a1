#pragma once
// The book's subject and document commands: new subject (32777), rename
// (32786), delete (32780), expected text (32787), remove a document (32779) and
// re-point a document (32782), move a subject under another general title
// (32821) and rename a general title (32820), attached to every book with
// their enabling rules.

#include <QString>
#include <string>

namespace tavelo::gui {

class CTenorelDoc;

// Registers the handlers for every book made afterwards (once per process).
void RegisterEditingCommands();

void OnNewSubject(CTenorelDoc& doc);
void OnRenameSubject(CTenorelDoc& doc);
void OnDeleteSubject(CTenorelDoc& doc);
void OnExpectedText(CTenorelDoc& doc);
void OnRemoveDocument(CTenorelDoc& doc);
void OnModifyDocumentPath(CTenorelDoc& doc);
void OnMoveSubject(CTenorelDoc& doc);
void OnRenameGeneralTitle(CTenorelDoc& doc);

// What the file dialog of the re-pointing offers for a document path: the
// file's extension as default extension and filter, its name without folder.
// A name without '.' gets the filter "Fichier (*)" and no default extension.
struct DocumentFileOffer {
    QString filter;
    QString fileName;
    QString defaultSuffix;
};
DocumentFileOffer OfferFor(const std::string& documentPath);

} // namespace tavelo::gui
