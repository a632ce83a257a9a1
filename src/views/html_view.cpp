#include "reading/text_decoding.h"
#include "views/html_view.h"

#include <QDesktopServices>
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

namespace tavelo::gui {

namespace {
// Past this size a text or HTML file is not previewed.
constexpr std::size_t kMaxPreviewBytes = std::size_t{32} << 20;

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

const char* CHTMLView::BlankPageHtml()
{
    return "<html>\r\n<body>\r\n\r\n</body>\r\n</html>\r\n";
}

CHTMLView::CHTMLView(CTenorelDoc* document, QWidget* parent) : QStackedWidget(parent), CView(document)
{
    setObjectName(QStringLiteral("preview"));
    setFrameShape(QFrame::StyledPanel);
    m_browser = new QTextBrowser(this);
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
    const QFileInfo info(path);
    if (!info.exists()) {
        ShowError(Tx(text::kPreviewMissing).arg(path));
        return;
    }
    if (HasSuffix(path, {"txt"}))
        ShowText(path);
    else if (HasSuffix(path, {"htm", "html", "xhtml"}))
        ShowHtml(path);
    else if (HasSuffix(path, {"pdf"}))
        ShowPdf(path);
    else if (!QImageReader::imageFormat(path).isEmpty())
        ShowImage(path);
    else
        ShowNoPreview(path);
}

bool CHTMLView::ReadPreviewText(const QString& path, QString& text)
{
    try {
        const FileBytes bytes = ReadFileBytes(path.toStdString(), kMaxPreviewBytes);
        std::string storage;
        const std::string_view decoded = tavelo::DecodeTextFile(bytes.View(), storage);
        text = QString::fromUtf8(decoded.data(), static_cast<qsizetype>(decoded.size()));
        return true;
    } catch (const FileError& e) {
        ShowError(Tx(text::kPreviewUnreadable).arg(path, QString::fromUtf8(e.what())));
        return false;
    }
}

void CHTMLView::ShowText(const QString& path)
{
    QString text;
    if (!ReadPreviewText(path, text))
        return;
    m_browser->setPlainText(text);
    setCurrentWidget(m_browser);
    m_page = Page::Text;
}

void CHTMLView::ShowHtml(const QString& path)
{
    QString text;
    if (!ReadPreviewText(path, text))
        return;
    m_browser->document()->setBaseUrl(QUrl::fromLocalFile(path));
    m_browser->setSearchPaths({QFileInfo(path).absolutePath()});
    m_browser->setHtml(text);
    setCurrentWidget(m_browser);
    m_page = Page::Html;
}

void CHTMLView::ShowImage(const QString& path)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!reader.canRead()) {
        ShowError(Tx(text::kPreviewUnreadable).arg(path, reader.errorString()));
        return;
    }
    const int available = std::max(64, m_browser->viewport()->width() - 24);
    QString width;
    if (size.isValid() && size.width() > available)
        width = QStringLiteral(" width=\"%1\"").arg(available);
    m_browser->setHtml(QStringLiteral("<html><body><p align=\"center\"><img src=\"%1\"%2></p></body></html>")
                           .arg(QUrl::fromLocalFile(path).toString().toHtmlEscaped(), width));
    setCurrentWidget(m_browser);
    m_page = Page::Image;
}

void CHTMLView::ShowPdf(const QString& path)
{
    const QPdfDocument::Error error = m_pdfDocument->load(path);
    if (error != QPdfDocument::Error::None) {
        ShowError(Tx(text::kPreviewUnreadable)
                      .arg(path, Tx(text::kPdfUnreadable)));
        return;
    }
    setCurrentWidget(m_pdfView);
    m_page = Page::Pdf;
}

void CHTMLView::ShowNoPreview(const QString& path)
{
    m_noPreviewLabel->setText(Tx(text::kNoPreview).arg(QFileInfo(path).fileName()));
    m_openButton->setEnabled(QFileInfo(path).isFile());
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
