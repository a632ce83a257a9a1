#pragma once
// The progress window of the export and the subject copy: a folder line, a file
// line and a bar. It is modeless and has no way to cancel; the work runs on the
// user-interface thread, so every push repaints it at once.

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

namespace tavelo::gui {

inline constexpr int IDD_EXPORT_PROGRESS = 145;
inline constexpr int IDC_FOLDER_TEXT = 1013;
inline constexpr int IDC_FILE_TEXT = 1009;
inline constexpr int IDC_PROGRESS = 1010;

class CExportProgressDlg : public QDialog {
    Q_OBJECT
public:
    CExportProgressDlg();

    // Before Create.
    void SetMaximum(int maximum) { m_nMax = maximum; }
    int GetMaximum() const { return m_nMax; }

    // Makes the window, owned by `parent`, and shows it with its texts.
    void Create(QWidget* parent);
    // Shows the two text fields in the two lines and repaints the window.
    void PushTexts();
    void Step();

    // The two text fields the caller changes before PushTexts.
    QString m_strFolderText;
    QString m_strFileText;

    QLabel* FolderLine() const { return m_folderLine; }
    QLabel* FileLine() const { return m_fileLine; }
    QProgressBar* Bar() const { return m_bar; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void ShowTexts();
    void Repaint();

    int m_nMax = 0;
    bool m_repainting = false;
    QLabel* m_folderLine = nullptr;
    QLabel* m_fileLine = nullptr;
    QProgressBar* m_bar = nullptr;
};

} // namespace tavelo::gui
