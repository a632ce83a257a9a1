#include "app/export_progress_dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/translation.h"
#include "editing/messages.h"

namespace tavelo::gui {

CExportProgressDlg::CExportProgressDlg()
    : m_strFolderText(ToQ(Tr("Editing", messages::kExportTopText)))
{
    setObjectName(QStringLiteral("exportProgress"));
    setWindowTitle(ToQ(Tr("Editing", messages::kExportTitle)));
}

void CExportProgressDlg::Create(QWidget* parent)
{
    setParent(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);

    m_folderLine = new QLabel(this);
    m_folderLine->setObjectName(QString::number(IDC_FOLDER_TEXT));
    // The resource's text of the file line never shows: the empty field replaces it.
    m_fileLine = new QLabel(ToQ(Tr("Editing", messages::kCopyingFile)), this);
    m_fileLine->setObjectName(QString::number(IDC_FILE_TEXT));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QString::number(IDC_PROGRESS));
    m_bar->setTextVisible(false);
    // A bar of range 0 .. 0 is Qt's busy indicator: an empty run shows an empty bar.
    m_bar->setRange(0, std::max(m_nMax, 1));
    m_bar->setValue(0);

    for (QLabel* line : {m_folderLine, m_fileLine}) {
        line->setTextFormat(Qt::PlainText);
        line->setMinimumWidth(360);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_folderLine);
    layout->addWidget(m_fileLine);
    layout->addWidget(m_bar);

    ShowTexts();
    show();
    PushTexts();
}

void CExportProgressDlg::Repaint()
{
    if (!isVisible() || m_repainting)
        return;
    m_repainting = true;
    // The work blocks the event loop: a window not yet mapped on the screen
    // (its expose still queued) paints nothing until its events are handled.
    // User input stays queued until the work ends.
    if (!testAttribute(Qt::WA_Mapped))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    m_repainting = false;
}

void CExportProgressDlg::ShowTexts()
{
    if (!m_folderLine)
        return;
    // Setting an unchanged text would schedule a paint from inside a paint.
    if (m_folderLine->text() != m_strFolderText)
        m_folderLine->setText(m_strFolderText);
    if (m_fileLine->text() != m_strFileText)
        m_fileLine->setText(m_strFileText);
}

void CExportProgressDlg::PushTexts()
{
    ShowTexts();
    Repaint();
}

void CExportProgressDlg::Step()
{
    if (!m_bar)
        return;
    // A QProgressBar does not wrap at its maximum as the platform's bar does;
    // past the range it simply stays full.
    m_bar->setValue(std::min(m_bar->value() + 1, m_bar->maximum()));
    Repaint();
}

void CExportProgressDlg::paintEvent(QPaintEvent* event)
{
    ShowTexts();
    QDialog::paintEvent(event);
}

void CExportProgressDlg::closeEvent(QCloseEvent* event)
{
    // No close box and no way to stop the work: the caller closes the window.
    event->ignore();
}

void CExportProgressDlg::reject()
{
}

} // namespace tavelo::gui
