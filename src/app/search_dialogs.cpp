#include "app/search_dialogs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/resource_ids.h"
#include "app/resources.h"
#include "app/translation.h"

namespace tavelo::gui {

namespace {

QWidget* FindControl(const QWidget* dialog, int id)
{
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        if (child->property("controlId").toInt() == id)
            return child;
    }
    return nullptr;
}

QCheckBox* MakeCheck(QWidget* parent, const char* label, int id)
{
    auto* box = new QCheckBox(Tx(label), parent);
    box->setProperty("controlId", id);
    return box;
}

} // namespace

CSearchCriteriaDlg::CSearchCriteriaDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Tx(text::kSearchTitle));
    setObjectName(QStringLiteral("searchCriteria"));
    setProperty("dialogId", int{IDD_SEARCH_CRITERIA});
    setModal(true);

    auto* wordLabel = new QLabel(Tx(text::kSearchWordLabel), this);
    m_editWord = new QLineEdit(this);
    m_editWord->setProperty("controlId", int{IDC_SEARCH_WORD});
    wordLabel->setBuddy(m_editWord);

    m_checkWholeWord = MakeCheck(this, text::kSearchWholeWord, IDC_WHOLE_WORD);
    m_checkMatchCase = MakeCheck(this, text::kSearchMatchCase, IDC_MATCH_CASE);
    m_checkIgnoreAccents = MakeCheck(this, text::kSearchIgnoreAccents, IDC_IGNORE_ACCENTS);

    auto* zone = new QGroupBox(Tx(text::kSearchZone), this);
    m_checkSubjectTitles = MakeCheck(zone, text::kSearchSubjectTitles, IDC_SUBJECT_TITLES);
    m_checkDocumentTitles = MakeCheck(zone, text::kSearchDocumentTitles, IDC_DOCUMENT_TITLES);
    m_checkExpectedTexts = MakeCheck(zone, text::kSearchExpectedTexts, IDC_EXPECTED_TEXTS);
    m_checkDocumentContents = MakeCheck(zone, text::kSearchDocumentContents, IDC_DOCUMENT_CONTENTS);
    auto* zoneLayout = new QVBoxLayout(zone);
    zoneLayout->addWidget(m_checkSubjectTitles);
    zoneLayout->addWidget(m_checkDocumentTitles);
    zoneLayout->addWidget(m_checkExpectedTexts);
    zoneLayout->addWidget(m_checkDocumentContents);

    m_btnOK = new QPushButton(Tx(text::kOkButton), this);
    m_btnOK->setProperty("controlId", int{IDOK});
    m_btnOK->setDefault(true);
    m_btnCancel = new QPushButton(Tx(text::kCancelButton), this);
    m_btnCancel->setProperty("controlId", int{IDCANCEL});
    m_btnCancel->setAutoDefault(false);

    connect(m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_editWord, &QLineEdit::textChanged, this, [this] { UpdateOkButton(); });
    for (QCheckBox* scope : {m_checkSubjectTitles, m_checkDocumentContents, m_checkExpectedTexts, m_checkDocumentTitles})
        connect(scope, &QCheckBox::clicked, this, [this] { UpdateOkButton(); });

    auto* wordRow = new QHBoxLayout;
    wordRow->addWidget(wordLabel);
    wordRow->addWidget(m_editWord, 1);
    auto* options = new QVBoxLayout;
    options->addWidget(m_checkWholeWord);
    options->addWidget(m_checkMatchCase);
    options->addWidget(m_checkIgnoreAccents);
    options->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addLayout(options);
    middle->addWidget(zone, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(wordRow);
    layout->addLayout(middle);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    UpdateData(false);
    m_btnOK->setEnabled(false);
    m_editWord->setFocus();
}

QWidget* CSearchCriteriaDlg::Control(int id) const
{
    return FindControl(this, id);
}

void CSearchCriteriaDlg::UpdateData(bool save)
{
    struct Binding {
        QCheckBox* box;
        bool* member;
    };
    const Binding bindings[] = {{m_checkExpectedTexts, &m_bExpectedTexts},     {m_checkMatchCase, &m_bMatchCase},
                                {m_checkDocumentContents, &m_bDocumentContents}, {m_checkWholeWord, &m_bWholeWord},
                                {m_checkSubjectTitles, &m_bSubjectTitles},     {m_checkDocumentTitles, &m_bDocumentTitles},
                                {m_checkIgnoreAccents, &m_bIgnoreAccents}};
    if (save) {
        for (const Binding& b : bindings)
            *b.member = b.box->isChecked();
        m_strWord = m_editWord->text();
        return;
    }
    for (const Binding& b : bindings)
        b.box->setChecked(*b.member);
    // Rewriting an unchanged text would move the caret to its end.
    if (m_editWord->text() != m_strWord)
        m_editWord->setText(m_strWord);
}

void CSearchCriteriaDlg::UpdateOkButton()
{
    UpdateData(true);
    qsizetype first = 0;
    while (first < m_strWord.size() && m_strWord.at(first).isSpace())
        ++first;
    m_strWord.remove(0, first);
    const bool anyScope = m_bExpectedTexts || m_bDocumentContents || m_bSubjectTitles || m_bDocumentTitles;
    m_btnOK->setEnabled(anyScope && !m_strWord.isEmpty());
    UpdateData(false);
}

void CSearchCriteriaDlg::accept()
{
    UpdateData(true);
    QDialog::accept();
}

CSearchProgressDlg::CSearchProgressDlg(int subjectCount, QWidget* parent)
    : QDialog(parent), m_nSubjectCount(subjectCount)
{
    setWindowTitle(Tx(text::kSearchProgressTitle));
    setObjectName(QStringLiteral("searchProgress"));
    setProperty("dialogId", int{IDD_SEARCH_PROGRESS});
    setModal(false);
    // Only "&Annuler" or Escape ends it before the search does.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_fileLine = new QLabel(this);
    m_fileLine->setProperty("controlId", int{IDC_FILE_LINE});
    m_fileLine->setTextFormat(Qt::PlainText);
    m_fileLine->setMinimumWidth(360);
    m_countLine = new QLabel(this);
    m_countLine->setProperty("controlId", int{IDC_SEARCH_COUNT});
    m_countLine->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setProperty("controlId", int{IDC_SEARCH_PROGRESS});
    m_progress->setTextVisible(false);
    m_btnCancel = new QPushButton(Tx(text::kCancelButton), this);
    m_btnCancel->setProperty("controlId", int{IDCANCEL});
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fileLine);
    layout->addWidget(m_countLine);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
}

QWidget* CSearchProgressDlg::Control(int id) const
{
    return FindControl(this, id);
}

void CSearchProgressDlg::Create()
{
    // A range of 0 .. 0 would make the bar a busy indicator.
    m_progress->setRange(0, std::max(m_nSubjectCount, 1));
    m_progress->setValue(0);
    m_fileLine->setText(m_strCurrentFile);
    show();
    m_bCreated = isVisible();
}

void CSearchProgressDlg::SetCurrentFile(const QString& text)
{
    m_strCurrentFile = text;
    m_fileLine->setText(m_strCurrentFile);
}

void CSearchProgressDlg::StepIt()
{
    if (m_progress->value() < m_progress->maximum())
        m_progress->setValue(m_progress->value() + 1);
}

void CSearchProgressDlg::Show(const SearchProgress::Snapshot& progress)
{
    SetCurrentFile(QString::fromUtf8(progress.line.data(), static_cast<qsizetype>(progress.line.size())));
    QString count;
    if (progress.documentsToRead > 0)
        count = Tx(text::kSearchDocumentCount).arg(progress.documentsRead).arg(progress.documentsToRead);
    if (progress.firstReadings == 1)
        count += Tx(text::kSearchFirstReading);
    else if (progress.firstReadings > 1)
        count += Tx(text::kSearchFirstReadings).arg(progress.firstReadings);
    m_countLine->setText(count);
    m_progress->setValue(static_cast<int>(std::min<std::size_t>(progress.subjectsExamined,
                                                                static_cast<std::size_t>(m_progress->maximum()))));
}

} // namespace tavelo::gui
