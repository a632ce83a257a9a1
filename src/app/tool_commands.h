#pragma once
// The duplication tools in the book windows: export (32784), subject copy
// (32796), change of folder (32785) on the book; import (32783) and merge
// (32795) on the subject tree. The copying itself is the window-free code of
// src/editing; this file shows what it asks for in message boxes, the folder
// browser and the progress window.

#include <QPointer>
#include <memory>

#include "app/long_operation.h"
#include "editing/copy_observer.h"

namespace tavelo::gui {

class CExportProgressDlg;
class CTenorelDoc;
class CTenorelView;

inline constexpr const char* kMergeTitle = QT_TRANSLATE_NOOP("Tavelo", "Choix du fichier à fusionner");
inline constexpr const char* kMergeFilter = QT_TRANSLATE_NOOP("Tavelo", "Fichier (*.tvo)");

// The copying tools' questions and reports, for one book.
class WindowCopyObserver : public tavelo::CopyObserver {
public:
    explicit WindowCopyObserver(CTenorelDoc& doc);
    ~WindowCopyObserver() override;

    void Message(const std::string& text, tavelo::MessageLook look) override;
    bool AskYesNo(const std::string& text) override;
    // Runs the book's folder chooser and returns the chosen folder.
    std::string ChooseFolder() override;
    // The progress window exists only while the book has a first view.
    void ProgressOpen(const std::string& title, const std::string& topText, int maximum) override;
    void ProgressText(const std::string& secondText) override;
    void ProgressStep() override;
    void ProgressClose() override;

private:
    CTenorelDoc& m_doc;
    QPointer<CExportProgressDlg> m_progress;
    const LongOperation m_busy;
};

void OnExport(CTenorelDoc& doc);
void OnCopySubject(CTenorelDoc& doc);
void OnChangeFolder(CTenorelDoc& doc);
// Opens a book through the open command with the import pending, so that the
// new book's tree re-points its documents into the export's folder of copies.
void OnImport(CTenorelView& tree);
void MergeBook(CTenorelView& tree);
// The import's re-pointing of a freshly opened book (the tree's hook).
void RepointImportedDocuments(CTenorelDoc& doc);

// Attaches the handlers above to every book and every subject tree made from
// now on, with their enabling rules.
void RegisterToolCommands();

} // namespace tavelo::gui
