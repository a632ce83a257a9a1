#include "app/ui_prompts.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

#include "app/resources.h"
#include "app/translation.h"

namespace tavelo::gui {

namespace {

struct PendingFile {
    QString path;
};

std::deque<PendingFile>& PendingFiles()
{
    static std::deque<PendingFile> pending;
    return pending;
}

std::vector<FileDialog::Asked>& FileHistory()
{
    static std::vector<FileDialog::Asked> history;
    return history;
}

std::deque<bool>& PrintAnswers()
{
    static std::deque<bool> answers;
    return answers;
}

int g_printShown = 0;
bool g_unattended = false;

std::deque<std::function<int(QDialog&)>>& DialogHandlers()
{
    static std::deque<std::function<int(QDialog&)>> handlers;
    return handlers;
}

} // namespace

void SetUnattended(bool unattended)
{
    g_unattended = unattended;
}

bool IsUnattended()
{
    return g_unattended;
}

std::deque<QMessageBox::StandardButton>& MessageBox::Answers()
{
    static std::deque<QMessageBox::StandardButton> answers;
    return answers;
}

std::vector<MessageBox::Shown>& MessageBox::MutableHistory()
{
    static std::vector<Shown> history;
    return history;
}

QMessageBox* MessageBox::Create(QWidget* parent, const QString& text, Look look, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (look) {
    case NoIcon:
        break;
    case Stop:
        icon = QMessageBox::Critical;
        break;
    case Exclamation:
        icon = QMessageBox::Warning;
        break;
    case Information:
        icon = QMessageBox::Information;
        break;
    }
    auto* box = new QMessageBox(icon, Tx(text::kAppName), text, buttons, parent);
    // Messages quote names, paths and the user's words: never read as markup.
    box->setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    if (QAbstractButton* b = box->button(QMessageBox::Yes))
        b->setText(Tx(text::kYesButton));
    if (QAbstractButton* b = box->button(QMessageBox::No))
        b->setText(Tx(text::kNoButton));
    if (QAbstractButton* b = box->button(QMessageBox::Cancel))
        b->setText(Tx(text::kAvailableCancel));
    return box;
}

QMessageBox::StandardButton MessageBox::Show(QWidget* parent, const QString& text, Look look,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    QMessageBox::StandardButton answer;
    if (!Answers().empty()) {
        answer = Answers().front();
        Answers().pop_front();
    } else if (g_unattended) {
        answer = defaultButton != QMessageBox::NoButton ? defaultButton
                 : buttons.testFlag(QMessageBox::Ok)     ? QMessageBox::Ok
                                                         : QMessageBox::Cancel;
    } else {
        QMessageBox* box = Create(parent, text, look, buttons, defaultButton);
        box->exec();
        answer = static_cast<QMessageBox::StandardButton>(box->standardButton(box->clickedButton()));
        if (answer == QMessageBox::NoButton)
            answer = buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
        delete box;
    }
    MutableHistory().push_back({Tx(text::kAppName), text, look, buttons, answer});
    return answer;
}

void MessageBox::SetNextAnswer(QMessageBox::StandardButton answer)
{
    Answers().push_back(answer);
}

const std::vector<MessageBox::Shown>& MessageBox::History()
{
    return MutableHistory();
}

void MessageBox::ClearHistory()
{
    MutableHistory().clear();
    Answers().clear();
}

bool FileDialog::TakeAnswer(Kind kind, const QString& title, const QString& initialPath, const QString& filter,
                            QString& answer, const QString& defaultSuffix)
{
    FileHistory().push_back({kind, title, initialPath, filter, defaultSuffix});
    if (PendingFiles().empty()) {
        if (!g_unattended)
            return false;
        answer.clear();
        return true;
    }
    answer = PendingFiles().front().path;
    PendingFiles().pop_front();
    return true;
}

QString FileDialog::GetOpenFileName(QWidget* parent, const QString& title, const QString& initialPath,
                                    const QString& filter)
{
    QString answer;
    if (TakeAnswer(Open, title, initialPath, filter, answer))
        return answer;
    return QFileDialog::getOpenFileName(parent, title, initialPath, filter);
}

QString FileDialog::GetOpenFileName(QWidget* parent, const QString& title, const QString& initialPath,
                                    const QString& filter, const QString& defaultSuffix)
{
    QString answer;
    if (TakeAnswer(Open, title, initialPath, filter, answer, defaultSuffix))
        return answer;
    QFileDialog dialog(parent, title, initialPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString FileDialog::GetSaveFileName(QWidget* parent, const QString& title, const QString& initialPath,
                                    const QString& filter, const QString& defaultSuffix)
{
    QString answer;
    if (!TakeAnswer(Save, title, initialPath, filter, answer, defaultSuffix)) {
        QFileDialog dialog(parent, title, initialPath, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
    if (!answer.isEmpty() && !defaultSuffix.isEmpty() && !answer.section(QLatin1Char('/'), -1).contains(QLatin1Char('.')))
        answer += QLatin1Char('.') + defaultSuffix;
    return answer;
}

QString FileDialog::GetExistingDirectory(QWidget* parent, const QString& title, const QString& initialPath)
{
    QString answer;
    if (TakeAnswer(Folder, title, initialPath, QString(), answer))
        return answer;
    return QFileDialog::getExistingDirectory(parent, title, initialPath);
}

void FileDialog::SetNextFileName(const QString& path)
{
    PendingFiles().push_back({path});
}

const std::vector<FileDialog::Asked>& FileDialog::History()
{
    return FileHistory();
}

void FileDialog::ClearHistory()
{
    FileHistory().clear();
    PendingFiles().clear();
}

bool PrintDialog::Exec(QPrinter& printer, QWidget* parent, QWidget* options)
{
    ++g_printShown;
    if (!PrintAnswers().empty()) {
        const bool accept = PrintAnswers().front();
        PrintAnswers().pop_front();
        return accept;
    }
    if (g_unattended)
        return false;
    QPrintDialog dialog(&printer, parent);
    if (options)
        dialog.setOptionTabs({options});
    return dialog.exec() == QDialog::Accepted;
}

void PrintDialog::SetNextAnswer(bool accept)
{
    PrintAnswers().push_back(accept);
}

int PrintDialog::ShownCount()
{
    return g_printShown;
}

int DialogRunner::Exec(QDialog& dialog)
{
    if (!DialogHandlers().empty()) {
        auto handler = std::move(DialogHandlers().front());
        DialogHandlers().pop_front();
        return handler(dialog);
    }
    if (g_unattended)
        return QDialog::Rejected;
    return dialog.exec();
}

void DialogRunner::SetNextHandler(std::function<int(QDialog&)> handler)
{
    DialogHandlers().push_back(std::move(handler));
}

} // namespace tavelo::gui
