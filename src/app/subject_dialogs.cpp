#include "app/subject_dialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>
#include <limits>

#include "app/resource_ids.h"
#include "app/resources.h"
#include "app/translation.h"
#include "views/subject_filter.h"

namespace tavelo::gui {

namespace {

QLineEdit* MakeLineEdit(QWidget* parent, int id)
{
    auto* edit = new QLineEdit(parent);
    edit->setProperty("controlId", id);
    // QLineEdit stops at 32767 characters unless told otherwise.
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QLabel* MakeLabel(QWidget* parent, const char* textValue, QWidget* buddy)
{
    auto* label = new QLabel(Tx(textValue), parent);
    label->setBuddy(buddy);
    return label;
}

// "OK" (default) and "Annuler", right-aligned, added below `layout`.
QPushButton* AddButtons(QDialog* dialog, QVBoxLayout* layout)
{
    auto* ok = new QPushButton(Tx(text::kOkButton), dialog);
    ok->setProperty("controlId", int{IDOK});
    ok->setDefault(true);
    ok->setAutoDefault(true);
    auto* cancel = new QPushButton(Tx(text::kCancelDialogButton), dialog);
    cancel->setProperty("controlId", int{IDCANCEL});
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    return ok;
}

QWidget* FindControl(const QWidget* dialog, int id)
{
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        if (child->property("controlId").toInt() == id)
            return child;
    }
    return nullptr;
}

} // namespace

GeneralTitleCompletion::GeneralTitleCompletion(QLineEdit* edit, QStringList titles)
    : QObject(edit), m_edit(edit), m_titles(std::move(titles))
{
    m_titles.removeDuplicates();
    for (const QString& title : m_titles)
        m_folded << SubjectFilter::Fold(title);
    m_model = new QStringListModel(this);
    // The list is filtered here, folding accents, not by the completer.
    m_completer = new QCompleter(m_model, this);
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setWidget(edit);
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), edit, [edit](const QString& chosen) {
        edit->setText(chosen);
    });
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& typed) {
        const QStringList matches = Matches(typed);
        m_model->setStringList(matches);
        // Nothing to offer, or only what is already typed.
        if (matches.isEmpty() || (matches.size() == 1 && matches.front() == typed))
            m_completer->popup()->hide();
        else
            m_completer->complete();
    });
}

QStringList GeneralTitleCompletion::Matches(const QString& typed) const
{
    const QString folded = SubjectFilter::Fold(typed);
    if (folded.isEmpty())
        return {};
    QStringList starting;
    QStringList holding;
    for (qsizetype i = 0; i < m_titles.size(); ++i) {
        if (m_folded[i].startsWith(folded))
            starting << m_titles[i];
        else if (m_folded[i].contains(folded))
            holding << m_titles[i];
    }
    return starting + holding;
}

CNewSubjectDlg::CNewSubjectDlg(QWidget* parent, const QStringList& generalTitles) : QDialog(parent)
{
    setObjectName(QStringLiteral("newSubjectDlg"));
    setWindowTitle(Tx(text::kNewSubjectTitle));
    setModal(true);
    m_generalTitle = MakeLineEdit(this, IDC_GENERAL_TITLE);
    m_completion = new GeneralTitleCompletion(m_generalTitle, generalTitles);
    m_subjectName = MakeLineEdit(this, IDC_SUBJECT_NAME);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel(this, text::kNewSubjectGeneralTitle, m_generalTitle));
    layout->addWidget(m_generalTitle);
    layout->addWidget(MakeLabel(this, text::kNewSubjectName, m_subjectName));
    layout->addWidget(m_subjectName);
    m_ok = AddButtons(this, layout);
    connect(m_generalTitle, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    connect(m_subjectName, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    UpdateOk();
    setMinimumWidth(380);
}

void CNewSubjectDlg::UpdateOk()
{
    m_ok->setEnabled(!m_generalTitle->text().isEmpty() && !m_subjectName->text().isEmpty());
}

QString CNewSubjectDlg::GetGeneralTitle() const
{
    return m_generalTitle->text();
}

QString CNewSubjectDlg::GetSubjectName() const
{
    return m_subjectName->text();
}

QWidget* CNewSubjectDlg::Control(int id) const
{
    return FindControl(this, id);
}

CRenameSubjectDlg::CRenameSubjectDlg(const QString& name, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("renameSubjectDlg"));
    setWindowTitle(Tx(text::kRenameSubjectTitle));
    setModal(true);
    m_name = MakeLineEdit(this, IDC_RENAME_NAME);
    m_name->setText(name);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel(this, text::kRenameSubjectName, m_name));
    layout->addWidget(m_name);
    m_ok = AddButtons(this, layout);
    m_ok->setEnabled(!name.isEmpty());
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString& t) { m_ok->setEnabled(!t.isEmpty()); });
    setMinimumWidth(380);
}

QString CRenameSubjectDlg::GetName() const
{
    return m_name->text();
}

QWidget* CRenameSubjectDlg::Control(int id) const
{
    return FindControl(this, id);
}

CGeneralTitleDlg::CGeneralTitleDlg(const QString& title, const QString& label, const QString& initial,
                                   const QString& unchanged, const QStringList& generalTitles, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("generalTitleDlg"));
    setWindowTitle(title);
    setModal(true);
    m_edit = MakeLineEdit(this, IDC_GENERAL_TITLE_CHOICE);
    m_edit->setText(initial);
    m_completion = new GeneralTitleCompletion(m_edit, generalTitles);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(label, this);
    caption->setBuddy(m_edit);
    layout->addWidget(caption);
    layout->addWidget(m_edit);
    m_ok = AddButtons(this, layout);
    const auto update = [this, unchanged](const QString& t) { m_ok->setEnabled(!t.isEmpty() && t != unchanged); };
    update(initial);
    connect(m_edit, &QLineEdit::textChanged, this, update);
    setMinimumWidth(380);
}

QString CGeneralTitleDlg::GetGeneralTitle() const
{
    return m_edit->text();
}

QWidget* CGeneralTitleDlg::Control(int id) const
{
    return FindControl(this, id);
}

CExpectedTextDlg::CExpectedTextDlg(const QString& storedText, QWidget* parent)
    : QDialog(parent), m_storedText(storedText), m_shownText(ToDisplay(storedText))
{
    setObjectName(QStringLiteral("expectedTextDlg"));
    setWindowTitle(Tx(text::kExpectedTextTitle));
    setModal(true);
    m_edit = new QPlainTextEdit(this);
    m_edit->setProperty("controlId", int{IDC_EXPECTED_TEXT});
    m_edit->setTabChangesFocus(true);
    m_edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_edit->setPlainText(m_shownText);
    // What the edit gives back for the text just set: the reference that tells
    // an untouched text from an edited one.
    m_shownText = m_edit->toPlainText();
    m_edit->moveCursor(QTextCursor::End);
    m_edit->setMinimumSize(480, 220);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel(this, text::kExpectedTextLabel, m_edit));
    layout->addWidget(m_edit, 1);
    AddButtons(this, layout);
}

QString CExpectedTextDlg::ToDisplay(const QString& stored)
{
    QString shown = stored;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QString CExpectedTextDlg::ToStored(const QString& shown)
{
    QString stored = shown;
    stored.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    stored.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return stored;
}

QString CExpectedTextDlg::GetText() const
{
    const QString shown = m_edit->toPlainText();
    if (shown == m_shownText)
        return m_storedText;
    return ToStored(shown);
}

QWidget* CExpectedTextDlg::Control(int id) const
{
    return FindControl(this, id);
}

} // namespace tavelo::gui
