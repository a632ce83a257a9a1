#include "reading/text_decoding.h"
#include "views/html_view.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfView>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/resources.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/file_io.h"
#include "book/text.h"
#include "views/expected_text_file.h"
#include "views/preview_file.h"

namespace tavelo::gui {

namespace {
// Past these sizes a file is not previewed.
constexpr std::size_t kMaxPreviewBytes = std::size_t{32} << 20;
constexpr std::size_t kMaxPictureBytes = std::size_t{256} << 20;
constexpr std::size_t kMaxPdfBytes = std::size_t{1} << 30;
// What is read of a file of another kind to tell whether it is a picture.
constexpr std::size_t kSniffBytes = 64 * 1024;
// The picture page's own picture.
const char* const kPictureUrl = "tavelo-preview:picture";

bool HasSuffix(const QString& path, std::initializer_list<const char*> suffixes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const char* s : suffixes) {
        if (suffix == QLatin1String(s))
            return true;
    }
    return false;
}
} // namespace

QString DecodeTextFile(const QByteArray& bytes)
{
    std::string storage;
    const std::string_view text =
        tavelo::DecodeTextFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), storage);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The browser of the text, HTML and picture pages. What an HTML page refers
// to (pictures, style sheets) goes through the same careful reading as the
// documents themselves; nothing is fetched from the network.
class CHTMLView::PreviewBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QImage picture;

protected:
    QVariant loadResource(int type, const QUrl& name) override
    {
        if (name.toString() == QLatin1String(kPictureUrl))
            return picture;
        // A refusal is an empty value, not a null one: on a null one the
        // document would open the file itself, and wait on a named pipe.
        const QVariant refused = QByteArray("");
        if (!name.isLocalFile())
            return name.scheme() == QLatin1String("data") ? QTextBrowser::loadResource(type, name) : refused;
        const PreviewBytes read = ReadForPreview(name.toLocalFile().toStdString(), kMaxPictureBytes, false);
        if (read.outcome != PreviewBytes::Outcome::kRead)
            return refused;
        return QByteArray(read.bytes.data(), static_cast<qsizetype>(read.bytes.size()));
    }
};

const char* CHTMLView::BlankPageHtml()
{
    return "<html>\r\n<body>\r\n\r\n</body>\r\n</html>\r\n";
}

CHTMLView::CHTMLView(CTenorelDoc* document, QWidget* parent) : QStackedWidget(parent), CView(document)
{
    setObjectName(QStringLiteral("preview"));
    setFrameShape(QFrame::StyledPanel);
    m_browser = new PreviewBrowser(this);
    m_browser->setObjectName(QStringLiteral("previewBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setFrameShape(QFrame::NoFrame);
    addWidget(m_browser);

    m_pdfDocument = new QPdfDocument(this);
    m_pdfView = new QPdfView(this);
    m_pdfView->setDocument(m_pdfDocument);
    m_pdfView->setPageMode(QPdfView::PageMode::MultiPage);
    m_pdfView->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    addWidget(m_pdfView);

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

    setCurrentWidget(m_browser);
}

CHTMLView::~CHTMLView()
{
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
    m_pdfDocument->close();
    m_browser->setHtml(QString::fromLatin1(BlankPageHtml()));
    setCurrentWidget(m_browser);
    m_page = Page::Blank;
    m_path.clear();
}

void CHTMLView::Navigate(const QString& path)
{
    m_pdfDocument->close();
    m_path = path;
    // The expected text is written by the tree in one Unicode form and read
    // back in that form, whatever its characters.
    if (path == ExpectedTextFile::Path()) {
        QByteArray bytes;
        if (ReadDocument(path, kMaxPreviewBytes, false, bytes)) {
            m_browser->setPlainText(ExpectedTextFile::Decode(bytes));
            setCurrentWidget(m_browser);
            m_page = Page::Text;
        }
        return;
    }
    const bool text = HasSuffix(path, {"txt"});
    const bool html = HasSuffix(path, {"htm", "html", "xhtml"});
    const bool pdf = HasSuffix(path, {"pdf"});
    const std::size_t limit = pdf ? kMaxPdfBytes : text || html ? kMaxPreviewBytes : kSniffBytes;
    QByteArray bytes;
    if (!ReadDocument(path, limit, !text && !html && !pdf, bytes))
        return;
    if (text) {
        ShowText(path, bytes);
    } else if (html) {
        ShowHtml(path, bytes);
    } else if (pdf) {
        ShowPdf(path, bytes);
    } else {
        QBuffer head(&bytes);
        head.open(QIODevice::ReadOnly);
        if (QImageReader::imageFormat(&head).isEmpty())
            ShowNoPreview(path);
        else if (ReadDocument(path, kMaxPictureBytes, false, bytes))
            ShowImage(path, bytes);
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

void CHTMLView::ShowText(const QString&, const QByteArray& bytes)
{
    m_browser->setPlainText(DecodeTextFile(bytes));
    setCurrentWidget(m_browser);
    m_page = Page::Text;
}

void CHTMLView::ShowHtml(const QString& path, const QByteArray& bytes)
{
    m_browser->document()->setBaseUrl(QUrl::fromLocalFile(path));
    m_browser->setSearchPaths({QFileInfo(path).absolutePath()});
    m_browser->setHtml(DecodeTextFile(bytes));
    setCurrentWidget(m_browser);
    m_page = Page::Html;
}

void CHTMLView::ShowImage(const QString& path, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        ShowError(Tx(text::kPreviewUnreadable).arg(path, reader.errorString()));
        return;
    }
    m_browser->picture = picture;
    const int available = std::max(64, m_browser->viewport()->width() - 24);
    QString width;
    if (picture.width() > available)
        width = QStringLiteral(" width=\"%1\"").arg(available);
    m_browser->document()->setBaseUrl(QUrl());
    m_browser->setHtml(QStringLiteral("<html><body><p align=\"center\"><img src=\"%1\"%2></p></body></html>")
                           .arg(QLatin1String(kPictureUrl), width));
    setCurrentWidget(m_browser);
    m_page = Page::Image;
}

void CHTMLView::ShowPdf(const QString& path, const QByteArray& bytes)
{
    // The document reads from memory: the file was read, within its deadline,
    // by ReadDocument.
    m_pdfDocument->close();
    delete m_pdfBytes;
    m_pdfBytes = new QBuffer(this);
    m_pdfBytes->setData(bytes);
    m_pdfBytes->open(QIODevice::ReadOnly);
    m_pdfDocument->load(m_pdfBytes);
    if (m_pdfDocument->status() != QPdfDocument::Status::Ready || m_pdfDocument->pageCount() <= 0) {
        ShowError(Tx(text::kPreviewUnreadable).arg(path, Tx(text::kPdfUnreadable)));
        return;
    }
    setCurrentWidget(m_pdfView);
    m_page = Page::Pdf;
}

void CHTMLView::ShowNoPreview(const QString& path)
{
    m_noPreviewLabel->setText(Tx(text::kNoPreview).arg(QFileInfo(path).fileName()));
    // Only a regular file, read within the deadline, comes this far.
    m_openButton->setEnabled(true);
    setCurrentWidget(m_noPreview);
    m_page = Page::NoPreview;
}

void CHTMLView::ShowError(const QString& message)
{
    m_browser->setHtml(QStringLiteral("<html><body><h3>%1</h3><p>%2</p></body></html>")
                           .arg(Tx(text::kPreviewErrorTitle).toHtmlEscaped(), message.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
    setCurrentWidget(m_browser);
    m_page = Page::Error;
}

void CHTMLView::OpenExternally()
{
    if (m_path.isEmpty())
        return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_path)))
        MessageBox::Show(window(), Tx(text::kOpenWithDefaultFailed).arg(m_path), MessageBox::Exclamation);
}

} // namespace tavelo::gui
