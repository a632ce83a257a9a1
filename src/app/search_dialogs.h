#pragma once
// The two windows of "&Rechercher un sujet": the criteria dialog (dialog 147)
// and the progress window shown while the search runs (dialog 148).

#include <QDialog>
#include <QString>

#include "search/search_progress.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tavelo::gui {

enum SearchResourceId : int {
    IDD_SEARCH_CRITERIA = 147,
    IDD_SEARCH_PROGRESS = 148,
    IDC_SEARCH_PROGRESS = 1010,
    IDC_SEARCH_COUNT = 1011,
    IDC_SEARCH_WORD = 1015,
    IDC_SUBJECT_TITLES = 1016,
    IDC_DOCUMENT_CONTENTS = 1017,
    IDC_EXPECTED_TEXTS = 1018,
    IDC_WHOLE_WORD = 1019,
    IDC_MATCH_CASE = 1020,
    IDC_DOCUMENT_TITLES = 1021,
    IDC_IGNORE_ACCENTS = 1022,
};

namespace text {
inline constexpr const char* kSearchTitle = QT_TRANSLATE_NOOP("Tavelo", "Rechercher");
inline constexpr const char* kSearchWordLabel = QT_TRANSLATE_NOOP("Tavelo", "Rechercher :");
inline constexpr const char* kSearchZone = QT_TRANSLATE_NOOP("Tavelo", "Zone de recherche");
inline constexpr const char* kSearchSubjectTitles = QT_TRANSLATE_NOOP("Tavelo", "Titres des sujets");
inline constexpr const char* kSearchDocumentTitles = QT_TRANSLATE_NOOP("Tavelo", "Titre des documents");
inline constexpr const char* kSearchExpectedTexts = QT_TRANSLATE_NOOP("Tavelo", "Attendus");
inline constexpr const char* kSearchDocumentContents = QT_TRANSLATE_NOOP("Tavelo", "Documents des sujets");
inline constexpr const char* kSearchWholeWord = QT_TRANSLATE_NOOP("Tavelo", "Mot entier uniquement");
inline constexpr const char* kSearchMatchCase = QT_TRANSLATE_NOOP("Tavelo", "Respecter la casse");
inline constexpr const char* kSearchIgnoreAccents = QT_TRANSLATE_NOOP("Tavelo", "Ignorer les accents");
inline constexpr const char* kSearchProgressTitle = QT_TRANSLATE_NOOP("Tavelo", "Etat de la recherche");
inline constexpr const char* kSearchInterrupted = QT_TRANSLATE_NOOP("Tavelo", "La recherche a été interrompue : %1");
inline constexpr const char* kSearchDocumentCount = QT_TRANSLATE_NOOP("Tavelo", "Documents lus : %1 sur %2");
inline constexpr const char* kSearchFirstReading = QT_TRANSLATE_NOOP("Tavelo", ", dont 1 jamais lu auparavant");
inline constexpr const char* kSearchFirstReadings = QT_TRANSLATE_NOOP("Tavelo", ", dont %1 jamais lus auparavant");
inline constexpr const char* kClearTextCacheQuestion =
    QT_TRANSLATE_NOOP("Tavelo", "Oublier le texte de tous les documents lus jusqu'ici ? Ils seront relus à la prochaine recherche "
    "(les documents numérisés seront de nouveau reconnus, ce qui peut être long).");
inline constexpr const char* kTextCacheCleared = QT_TRANSLATE_NOOP("Tavelo", "Le cache des textes des documents est vide.");
inline constexpr const char* kTextCacheNotCleared = QT_TRANSLATE_NOOP("Tavelo", "Impossible de vider le cache des textes des documents : %1.");
} // namespace text

// Modal. Every dialog opens with nothing checked and an empty word; OK is
// enabled only while a word and at least one scope are given.
class CSearchCriteriaDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSearchCriteriaDlg(QWidget* parent);

    // The control with a numeric identifier (1, 2, 1015 to 1022).
    QWidget* Control(int id) const;
    // Removes leading white space from the word box and enables OK when a
    // word and at least one scope are given.
    void UpdateOkButton();
    void accept() override;

    QPushButton* m_btnOK;
    bool m_bExpectedTexts = false;
    bool m_bMatchCase = false;
    bool m_bDocumentContents = false;
    bool m_bWholeWord = false;
    bool m_bSubjectTitles = false;
    QString m_strWord;
    bool m_bDocumentTitles = false;
    // "Ignorer les accents": accents and ligatures folded on both sides.
    bool m_bIgnoreAccents = false;

private:
    // Controls to members (save) or members to controls.
    void UpdateData(bool save);

    QPushButton* m_btnCancel;
    QLineEdit* m_editWord;
    QCheckBox* m_checkSubjectTitles;
    QCheckBox* m_checkDocumentTitles;
    QCheckBox* m_checkExpectedTexts;
    QCheckBox* m_checkDocumentContents;
    QCheckBox* m_checkWholeWord;
    QCheckBox* m_checkMatchCase;
    QCheckBox* m_checkIgnoreAccents;
};

// Modeless: the file being read, how many documents are read of how many to
// read, one bar step per subject examined, and "&Annuler" (or Escape), which
// rejects the window: whoever runs the search stops it then.
class CSearchProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSearchProgressDlg(int subjectCount, QWidget* parent);

    QWidget* Control(int id) const;
    // Shows the window with an empty text line and an empty bar.
    void Create();
    void SetCurrentFile(const QString& text);
    void StepIt();
    // Brings every line and the bar to where the search is.
    void Show(const SearchProgress::Snapshot& progress);

    bool m_bCreated = false;
    int m_nSubjectCount;
    QProgressBar* m_progress;
    QString m_strCurrentFile;

private:
    QLabel* m_fileLine;
    QLabel* m_countLine;
    QPushButton* m_btnCancel;
};

} // namespace tavelo::gui
