#pragma once
// Every message box, file or folder dialog, print dialog and modal dialog of the
// program is shown through these classes, so that tests can answer them ahead
// of time and read what would have been shown.

#include <QMessageBox>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

class QDialog;
class QPrinter;
class QWidget;

namespace tavelo::gui {

// Unattended runs (tests) never block on a window that nobody answers: an
// unanswered message box gives its default button, a file dialog is
// cancelled, a dialog is rejected and a popup menu chooses nothing.
void SetUnattended(bool unattended);
bool IsUnattended();

class MessageBox {
public:
    // The four looks of the program's messages.
    enum Look { NoIcon, Stop, Exclamation, Information };

    struct Shown {
        QString title;
        QString text;
        Look look;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton answer;
    };

    // Shows a modal box titled "Tavelo" and returns the button pressed.
    static QMessageBox::StandardButton Show(QWidget* parent, const QString& text, Look look,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // The box Show would display, not yet shown.
    static QMessageBox* Create(QWidget* parent, const QString& text, Look look, QMessageBox::StandardButtons buttons,
                               QMessageBox::StandardButton defaultButton);

    // The next Show returns this answer without showing anything.
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    static const std::vector<Shown>& History();
    static void ClearHistory();

private:
    static std::deque<QMessageBox::StandardButton>& Answers();
    static std::vector<Shown>& MutableHistory();
};

class FileDialog {
public:
    enum Kind { Open, Save, Folder };
    struct Asked {
        Kind kind;
        QString title;
        QString initialPath;
        QString filter;
        QString defaultSuffix;
    };

    // Each returns the chosen path, or an empty text when the user cancels.
    static QString GetOpenFileName(QWidget* parent, const QString& title, const QString& initialPath,
                                   const QString& filter);
    // An existing file; `defaultSuffix` is added to a name typed without one.
    static QString GetOpenFileName(QWidget* parent, const QString& title, const QString& initialPath,
                                   const QString& filter, const QString& defaultSuffix);
    // `defaultSuffix` is added to a name typed without one.
    static QString GetSaveFileName(QWidget* parent, const QString& title, const QString& initialPath,
                                   const QString& filter, const QString& defaultSuffix);
    static QString GetExistingDirectory(QWidget* parent, const QString& title, const QString& initialPath);

    // The next dialog returns this path (empty: cancelled) without showing.
    static void SetNextFileName(const QString& path);
    static const std::vector<Asked>& History();
    static void ClearHistory();

private:
    static bool TakeAnswer(Kind kind, const QString& title, const QString& initialPath, const QString& filter,
                           QString& answer, const QString& defaultSuffix = QString());
};

class PrintDialog {
public:
    // True when the user confirmed printing on `printer`. `options`, when
    // given, is shown as a tab of the dialog (its window title names it).
    static bool Exec(QPrinter& printer, QWidget* parent, QWidget* options = nullptr);
    static void SetNextAnswer(bool accept);
    static int ShownCount();
};

// Modal dialogs of the program's own (about box, reservation dialogs).
class DialogRunner {
public:
    // Runs the dialog modally and returns its result code.
    static int Exec(QDialog& dialog);
    // The next Exec hands the dialog to this function instead of running its
    // event loop; the function's result is Exec's (tests click buttons there).
    static void SetNextHandler(std::function<int(QDialog&)> handler);
};

} // namespace tavelo::gui
