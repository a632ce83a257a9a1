// The preview's pages and how a path becomes one: reading the file within its
// limits, choosing the page by the file's kind, the error page, and the keys
// of the book's window that step through hits. How each kind is shown is in
// preview_kinds.cpp, the marking of hits in preview_hits.cpp.
#include "views/html_view.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPdfDocument>
#include <QPdfView>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/resources.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "search/hit_marker.h"
#include "search/search_pattern.h"
#include "views/expected_text_file.h"
#include "views/preview_file.h"
#include "views/preview_parts.h"

namespace tavelo::gui {

namespace {
using preview::KindOfPath;
using preview::kMaxPictureBytes;
using preview::ShowsExtractedText;
using preview::Units;
// Past these sizes a file is not previewed.
constexpr std::size_t kMaxPreviewBytes = std::size_t{32} << 20;
constexpr std::size_t kMaxPdfBytes = std::size_t{1} << 30;
// What is read of a file of another kind to tell whether it is a picture.
constexpr std::size_t kSniffBytes = 64 * 1024;
} // namespace

const char* CHTMLView::BlankPageHtml()
{
    return "<html>\r\n<body>\r\n\r\n</body>\r\n</html>\r\n";
}

CHTMLView::CHTMLView(CTenorelDoc* document, QWidget* parent) : QStackedWidget(parent), CView(document)
{
    setObjectName(QStringLiteral("preview"));
    setFrameShape(QFrame::StyledPanel);
    m_textPage = new QWidget(this);
    auto* textLayout = new QVBoxLayout(m_textPage);
    textLayout->setContentsMargins(0, 0, 0, 0);
    textLayout->setSpacing(0);
    m_textBar = new HitBar(m_textPage);
    m_browser = new PreviewBrowser(m_textPage);
    m_browser->setObjectName(QStringLiteral("previewBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setFrameShape(QFrame::NoFrame);
    textLayout->addWidget(m_textBar);
    textLayout->addWidget(m_browser, 1);
    addWidget(m_textPage);

    m_pdfDocument = new QPdfDocument(this);
    m_pdfView = new QPdfView(this);
    m_pdfView->setDocument(m_pdfDocument);
    m_pdfView->setPageMode(QPdfView::PageMode::MultiPage);
    m_pdfView->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    addWidget(m_pdfView);

    m_pdfHitPage = new QWidget(this);
    auto* pdfLayout = new QVBoxLayout(m_pdfHitPage);
    pdfLayout->setContentsMargins(0, 0, 0, 0);
    pdfLayout->setSpacing(0);
    m_pdfBar = new HitBar(m_pdfHitPage);
    m_pdfScroll = new QScrollArea(m_pdfHitPage);
    m_pdfScroll->setFrameShape(QFrame::NoFrame);
    m_pdfScroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_pdfPicture = new QLabel(m_pdfScroll);
    m_pdfPicture->setObjectName(QStringLiteral("pdfHitPage"));
    m_pdfScroll->setWidget(m_pdfPicture);
    pdfLayout->addWidget(m_pdfBar);
    pdfLayout->addWidget(m_pdfScroll, 1);
    addWidget(m_pdfHitPage);

    for (HitBar* bar : {m_textBar, m_pdfBar}) {
        connect(bar->next, &QToolButton::clicked, this, [this] { NextHit(); });
        connect(bar->previous, &QToolButton::clicked, this, [this] { PreviousHit(); });
        connect(bar->open, &QPushButton::clicked, this, [this] { OpenExternally(); });
        bar->hide();
    }

    m_noPreview = new QWidget(this);
    auto* layout = new QVBoxLayout(m_noPreview);
    m_noPreviewLabel = new QLabel(m_noPreview);
    m_noPreviewLabel->setWordWrap(true);
    m_noPreviewLabel->setAlignment(Qt::AlignCenter);
    m_noPreviewLabel->setTextFormat(Qt::PlainText);
    m_openButton = new QPushButton(Tx(text::kOpenWithDefault), m_noPreview);
    layout->addStretch();
    layout->addWidget(m_noPreviewLabel);
    layout->addWidget(m_openButton, 0, Qt::AlignHCenter);
    layout->addStretch();
    addWidget(m_noPreview);
    connect(m_openButton, &QPushButton::clicked, this, [this] { OpenExternally(); });

    setCurrentWidget(m_textPage);
}

CHTMLView::~CHTMLView()
{
    for (auto& [thread, state] : m_extractThreads)
        state->cancel = true;
    for (auto& [thread, state] : m_extractThreads)
        thread.join();
    m_pdfView->setDocument(nullptr);
}

QTextBrowser* CHTMLView::Browser() const
{
    return m_browser;
}

QString CHTMLView::DisplayedText() const
{
    if (m_page == Page::NoPreview)
        return m_noPreviewLabel->text();
    if (m_page == Page::Pdf || m_page == Page::Image)
        return {};
    return m_browser->toPlainText();
}

void CHTMLView::LoadBlankPage()
{
    CancelExtract();
    m_pdfDocument->close();
    m_browser->setHtml(QString::fromLatin1(BlankPageHtml()));
    ShowBrowser(Page::Blank);
    m_path.clear();
}

void CHTMLView::Navigate(const QString& path)
{
    CancelExtract();
    m_pdfDocument->close();
    m_path = path;
    // The expected text is written by the tree in one Unicode form and read
    // back in that form, whatever its characters.
    if (path == ExpectedTextFile::Path()) {
        QByteArray bytes;
        if (ReadDocument(path, kMaxPreviewBytes, false, bytes)) {
            m_browser->setPlainText(ExpectedTextFile::Decode(bytes));
            ShowBrowser(Page::Text);
        }
        return;
    }
    const DocumentKind kind = KindOfPath(path);
    const bool text = kind == DocumentKind::kText;
    const bool html = kind == DocumentKind::kHtml;
    const bool pdf = kind == DocumentKind::kPdf;
    const std::size_t limit = pdf ? kMaxPdfBytes : text || html ? kMaxPreviewBytes : kSniffBytes;
    QByteArray bytes;
    if (!ReadDocument(path, limit, !text && !html && !pdf, bytes))
        return;
    if (ShowsExtractedText(kind)) {
        ShowExtracted(path, static_cast<int>(kind));
    } else if (text) {
        ShowText(path, bytes);
    } else if (html) {
        ShowHtml(path, bytes);
    } else if (pdf) {
        ShowPdf(path, bytes);
    } else {
        QBuffer head(&bytes);
        head.open(QIODevice::ReadOnly);
        if (!QImageReader::imageFormat(&head).isEmpty()) {
            if (ReadDocument(path, kMaxPictureBytes, false, bytes))
                ShowImage(path, bytes);
        } else if (kind == DocumentKind::kImage) {
            // A scan in a format this desktop cannot show: its recognised text.
            ShowExtracted(path, static_cast<int>(kind));
        } else {
            ShowNoPreview(path);
        }
    }
}

bool CHTMLView::ReadDocument(const QString& path, std::size_t maxBytes, bool headOnly, QByteArray& bytes)
{
    const PreviewBytes read = ReadForPreview(path.toStdString(), maxBytes, headOnly);
    switch (read.outcome) {
    case PreviewBytes::Outcome::kRead:
        bytes = QByteArray(read.bytes.data(), static_cast<qsizetype>(read.bytes.size()));
        return true;
    case PreviewBytes::Outcome::kMissing:
        ShowError(Tx(text::kPreviewMissing).arg(path));
        return false;
    case PreviewBytes::Outcome::kRefused:
    case PreviewBytes::Outcome::kTooLarge:
    case PreviewBytes::Outcome::kTimedOut:
        break;
    }
    QString reason = QString::fromStdString(read.reason);
    if (!reason.isEmpty())
        reason[0] = reason[0].toUpper();
    ShowError(Tx(text::kPreviewUnreadable).arg(path, reason + QLatin1Char('.')));
    return false;
}

void CHTMLView::ShowError(const QString& message)
{
    m_browser->setHtml(QStringLiteral("<html><body><h3>%1</h3><p>%2</p></body></html>")
                           .arg(Tx(text::kPreviewErrorTitle).toHtmlEscaped(), message.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
    ShowBrowser(Page::Error);
}

void CHTMLView::OpenExternally()
{
    if (m_path.isEmpty())
        return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_path)))
        MessageBox::Show(window(), Tx(text::kOpenWithDefaultFailed).arg(m_path), MessageBox::Exclamation);
}

void CHTMLView::ShowBrowser(Page page)
{
    m_page = page;
    setCurrentWidget(m_textPage);
    // A new page starts at its top (a hit, marked below, moves there): the
    // browser would otherwise keep the place of the page before, often at a
    // hit far down.
    m_browser->verticalScrollBar()->setValue(0);
    m_browser->horizontalScrollBar()->setValue(0);
    MarkTextHits(m_marker && (page == Page::Text || page == Page::Html)
                     ? m_marker->InUtf16(Units(m_browser->toPlainText()))
                     : HitSpans{});
}

void CHTMLView::showEvent(QShowEvent* event)
{
    QStackedWidget::showEvent(event);
    if (m_shortcutsMade)
        return;
    m_shortcutsMade = true;
    // F3 and Shift+F3 work wherever the focus is in this book's window, and
    // only there: two windows side by side each keep their own.
    QWidget* scope = this;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        scope = w;
        if (qobject_cast<QMdiSubWindow*>(w))
            break;
    }
    const auto go = [this](bool forward) {
        const HitBar* bar = CurrentBar();
        if (bar->isVisible() && bar->next->isVisible())
            forward ? NextHit() : PreviousHit();
    };
    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), scope, this, [go] { go(true); },
                               Qt::WidgetWithChildrenShortcut);
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), scope, this, [go] { go(false); },
                                   Qt::WidgetWithChildrenShortcut);
    // Gone with the preview, whoever owns them.
    connect(this, &QObject::destroyed, next, &QObject::deleteLater);
    connect(this, &QObject::destroyed, previous, &QObject::deleteLater);
}

void CHTMLView::resizeEvent(QResizeEvent* event)
{
    QStackedWidget::resizeEvent(event);
    // The page's picture follows the pane's width.
    if (m_page == Page::Pdf && m_pdfShownPage >= 0)
        RenderPdfPage(m_pdfShownPage);
}

} // namespace tavelo::gui
