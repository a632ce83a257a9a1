#include "reading/text_decoding.h"
#include "views/html_view.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPdfView>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <atomic>
#include <system_error>

#include "app/resources.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/file_io.h"
#include "book/text.h"
#include "reading/kinds.h"
#include "reading/text_source.h"
#include "search/search_pattern.h"
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
// The text read out of a document is shown up to this size.
constexpr std::size_t kMaxExtractedBytes = std::size_t{4} << 20;
// The pages of a PDF whose text is searched for hits.
constexpr int kMaxHitPages = 2000;
// The largest side of a PDF page's picture, in pixels.
constexpr int kMaxPagePixels = 4000;
// Hits are marked as with a highlighter: the current one orange, the others yellow.
const QColor kHitColor(255, 236, 61);
const QColor kCurrentHitColor(255, 150, 30);

const char* const kHitCount = QT_TRANSLATE_NOOP("Tavelo", "Occurrence %1 sur %2");
const char* const kNoHit = QT_TRANSLATE_NOOP("Tavelo", "Aucune occurrence de « %1 » dans ce document");
const char* const kPdfHit = QT_TRANSLATE_NOOP("Tavelo", "Page %1 sur %2 — occurrence %3 sur %4");
const char* const kPreviousHit = QT_TRANSLATE_NOOP("Tavelo", "Précédente");
const char* const kNextHit = QT_TRANSLATE_NOOP("Tavelo", "Suivante");
const char* const kPreviousHitTip = QT_TRANSLATE_NOOP("Tavelo", "Occurrence précédente (Maj+F3)");
const char* const kNextHitTip = QT_TRANSLATE_NOOP("Tavelo", "Occurrence suivante (F3)");
const char* const kExtractedTitle = QT_TRANSLATE_NOOP("Tavelo", "Texte lu dans « %1 »");
const char* const kExtractedCut = QT_TRANSLATE_NOOP("Tavelo", "Texte lu dans « %1 » (le début seulement)");
const char* const kExtracting = QT_TRANSLATE_NOOP("Tavelo", "Lecture du texte de « %1 »…");
const char* const kExtractFailed = QT_TRANSLATE_NOOP("Tavelo", "Le texte du fichier « %1 » ne peut pas être lu : %2.");

// The kinds whose preview is the text the search reads out of them.
bool ShowsExtractedText(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::kRtf:
    case DocumentKind::kWord:
    case DocumentKind::kSpreadsheet:
    case DocumentKind::kWordXml:
    case DocumentKind::kSheetXml:
    case DocumentKind::kSlidesXml:
    case DocumentKind::kOpenText:
    case DocumentKind::kOpenSheet:
    case DocumentKind::kOpenSlides:
    case DocumentKind::kMail:
        return true;
    default:
        return false;
    }
}

DocumentKind KindOfPath(const QString& path)
{
    return KindOfExtension(QFileInfo(path).suffix().toStdString());
}

std::u16string_view Units(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// The text as the browser will hold it: its line ends one character each
// (the browser makes one of "\r\n"), so that the hits found in it keep their
// places; cut at a piece's end past `maxBytes`.
DocumentText ForDisplay(const DocumentText& text, std::size_t maxBytes, bool& cut)
{
    DocumentText shown;
    cut = false;
    text.AnyPiece([&](const TextPiece& piece) {
        if (shown.Size() + piece.text.size() > maxBytes && !shown.Empty()) {
            cut = true;
            return true;
        }
        std::string line;
        line.reserve(piece.text.size());
        for (std::size_t i = 0; i < piece.text.size(); ++i) {
            if (piece.text[i] != '\r')
                line += piece.text[i];
            else if (i + 1 >= piece.text.size() || piece.text[i + 1] != '\n')
                line += '\n';
        }
        shown.Append(piece.rule, line.substr(0, std::min(line.size(), maxBytes)));
        return false;
    });
    return shown;
}

} // namespace

// A document read on a thread of its own, for the preview.
struct CHTMLView::ExtractState {
    std::string path;
    DocumentKind kind = DocumentKind::kOther;
    std::atomic<bool> cancel{false};
    DocumentRead read;
};

// Above the text or the PDF page: what is shown, the hit buttons and, for a
// text read out of a document, the button that opens the document itself.
class CHTMLView::HitBar : public QWidget {
public:
    explicit HitBar(QWidget* parent) : QWidget(parent)
    {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(6, 3, 6, 3);
        label = new QLabel(this);
        label->setObjectName(QStringLiteral("hitBarText"));
        label->setTextFormat(Qt::PlainText);
        previous = new QToolButton(this);
        previous->setObjectName(QStringLiteral("previousHit"));
        previous->setText(Tx(kPreviousHit));
        previous->setToolTip(Tx(kPreviousHitTip));
        next = new QToolButton(this);
        next->setObjectName(QStringLiteral("nextHit"));
        next->setText(Tx(kNextHit));
        next->setToolTip(Tx(kNextHitTip));
        open = new QPushButton(Tx(text::kOpenWithDefault), this);
        open->setObjectName(QStringLiteral("hitBarOpen"));
        layout->addWidget(label, 1);
        layout->addWidget(previous);
        layout->addWidget(next);
        layout->addWidget(open);
    }

    QLabel* label;
    QToolButton* previous;
    QToolButton* next;
    QPushButton* open;
};

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

void CHTMLView::ShowText(const QString&, const QByteArray& bytes)
{
    m_browser->setPlainText(DecodeTextFile(bytes));
    ShowBrowser(Page::Text);
}

void CHTMLView::ShowHtml(const QString& path, const QByteArray& bytes)
{
    m_browser->document()->setBaseUrl(QUrl::fromLocalFile(path));
    m_browser->setSearchPaths({QFileInfo(path).absolutePath()});
    m_browser->setHtml(DecodeTextFile(bytes));
    ShowBrowser(Page::Html);
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
    ShowBrowser(Page::Image);
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
    m_page = Page::Pdf;
    m_pdfShownPage = -1;
    if (FindPdfHits()) {
        ShowCurrentPdfHit();
        setCurrentWidget(m_pdfHitPage);
    } else {
        setCurrentWidget(m_pdfView);
    }
    UpdateBars();
}

void CHTMLView::ShowNoPreview(const QString& path)
{
    m_noPreviewLabel->setText(Tx(text::kNoPreview).arg(QFileInfo(path).fileName()));
    // Only a regular file, read within the deadline, comes this far.
    m_openButton->setEnabled(true);
    setCurrentWidget(m_noPreview);
    m_page = Page::NoPreview;
    UpdateBars();
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
    MarkTextHits(m_pattern && (page == Page::Text || page == Page::Html)
                     ? FindHitsUtf16(Units(m_browser->toPlainText()), *m_pattern)
                     : HitSpans{});
}

void CHTMLView::ShowExtracted(const QString& path, int kind)
{
    const QString name = QFileInfo(path).fileName();
    m_browser->document()->setBaseUrl(QUrl());
    m_browser->setPlainText(Tx(kExtracting).arg(name));
    m_extractTitle = Tx(kExtracting).arg(name);
    ShowBrowser(Page::Reading);

    auto state = std::make_shared<ExtractState>();
    state->path = path.toStdString();
    state->kind = static_cast<DocumentKind>(kind);
    // Made here, on the window thread, before the reading thread uses it.
    TextSource& source = DefaultTextSource();
    QPointer<CHTMLView> self(this);
    try {
        std::thread thread([state, &source, self] {
            ReadContext context;
            context.cancel = &state->cancel;
            state->read = source.Read(state->path, state->kind, context);
            source.Cache().Flush();
            QMetaObject::invokeMethod(QCoreApplication::instance(), [state, self] {
                if (self)
                    self->OnExtracted(state);
            }, Qt::QueuedConnection);
        });
        m_extractThreads.emplace_back(std::move(thread), state);
    } catch (const std::system_error&) {
        state->read.reason = DescribeError(EAGAIN);
        OnExtracted(state);
        return;
    }
    m_extract = std::move(state);
}

void CHTMLView::OnExtracted(const std::shared_ptr<ExtractState>& state)
{
    for (auto it = m_extractThreads.begin(); it != m_extractThreads.end(); ++it) {
        if (it->second == state) {
            it->first.join();
            m_extractThreads.erase(it);
            break;
        }
    }
    if (state != m_extract && m_extract)
        return;
    m_extract.reset();
    const DocumentRead& read = state->read;
    const QString path = QString::fromStdString(state->path);
    if (read.status == ReadStatus::kCancelled || path != m_path)
        return;
    const QString name = QFileInfo(path).fileName();
    if (read.status != ReadStatus::kRead) {
        m_noPreviewLabel->setText(Tx(kExtractFailed).arg(name, ToQ(TranslateReason(read.reason))));
        m_openButton->setEnabled(true);
        setCurrentWidget(m_noPreview);
        m_page = Page::NoPreview;
        UpdateBars();
        return;
    }
    bool cut = false;
    const DocumentText shown = ForDisplay(read.text, kMaxExtractedBytes, cut);
    m_browser->setPlainText(ToQ(shown.Body()));
    m_extractTitle = Tx(cut ? kExtractedCut : kExtractedTitle).arg(name);
    m_page = Page::Extracted;
    setCurrentWidget(m_textPage);
    MarkTextHits(m_pattern ? Utf8SpansToUtf16(shown.Body(), FindHits(shown, *m_pattern)) : HitSpans{});
}

void CHTMLView::CancelExtract()
{
    if (m_extract)
        m_extract->cancel = true;
    m_extract.reset();
}

void CHTMLView::SetSearchPattern(std::shared_ptr<const SearchPattern> pattern)
{
    m_pattern = std::move(pattern);
}

int CHTMLView::HitCount() const
{
    return static_cast<int>(m_page == Page::Pdf ? m_pdfHits.size() : m_textHits.size());
}

void CHTMLView::NextHit()
{
    StepHit(1);
}

void CHTMLView::PreviousHit()
{
    StepHit(-1);
}

void CHTMLView::StepHit(int step)
{
    const int count = HitCount();
    if (count == 0)
        return;
    m_currentHit = (m_currentHit + count + step) % count;
    if (m_page == Page::Pdf)
        ShowCurrentPdfHit();
    else
        ShowCurrentTextHit();
}

void CHTMLView::MarkTextHits(HitSpans hits)
{
    m_textHits = std::move(hits);
    m_pdfHits.clear();
    m_currentHit = m_textHits.empty() ? -1 : 0;
    ShowCurrentTextHit();
}

void CHTMLView::ShowCurrentTextHit()
{
    QList<QTextEdit::ExtraSelection> marks;
    marks.reserve(static_cast<qsizetype>(m_textHits.size()));
    QTextDocument* document = m_browser->document();
    QTextCursor current(document);
    for (std::size_t i = 0; i < m_textHits.size(); ++i) {
        QTextCursor cursor(document);
        cursor.setPosition(static_cast<int>(m_textHits[i].first));
        cursor.setPosition(static_cast<int>(m_textHits[i].second), QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setBackground(static_cast<int>(i) == m_currentHit ? kCurrentHitColor : kHitColor);
        format.setForeground(Qt::black);
        marks.push_back({cursor, format});
        if (static_cast<int>(i) == m_currentHit)
            current = cursor;
    }
    m_browser->setExtraSelections(marks);
    if (m_currentHit >= 0) {
        m_browser->setTextCursor(current);
        m_browser->ensureCursorVisible();
    }
    UpdateBars();
}

bool CHTMLView::FindPdfHits()
{
    m_pdfHits.clear();
    m_textHits.clear();
    m_currentHit = -1;
    if (!m_pattern)
        return false;
    const int pages = std::min(m_pdfDocument->pageCount(), kMaxHitPages);
    for (int page = 0; page < pages && m_pdfHits.size() < kMaxShownHits; ++page) {
        const QString text = m_pdfDocument->getAllText(page).text();
        for (const auto& [begin, end] : FindHitsUtf16(Units(text), *m_pattern, kMaxShownHits - m_pdfHits.size()))
            m_pdfHits.push_back({page, static_cast<int>(begin), static_cast<int>(end - begin)});
    }
    if (m_pdfHits.empty())
        return false;
    m_currentHit = 0;
    return true;
}

void CHTMLView::ShowCurrentPdfHit()
{
    if (m_currentHit < 0)
        return;
    const PdfHit& hit = m_pdfHits[static_cast<std::size_t>(m_currentHit)];
    RenderPdfPage(hit.page);
    UpdateBars();
}

void CHTMLView::RenderPdfPage(int page)
{
    const QSizeF points = m_pdfDocument->pagePointSize(page);
    if (points.width() <= 0 || points.height() <= 0)
        return;
    const qreal ratio = devicePixelRatioF();
    // The pane's width before its scroll area is first laid out.
    const int pane = m_pdfScroll->isVisible() ? m_pdfScroll->viewport()->width() : width() - 20;
    const int available = std::max(200, pane - 12);
    qreal scale = available * ratio / points.width();
    scale = std::min(scale, kMaxPagePixels / std::max(points.width(), points.height()));
    const QSize size(std::max(1, qRound(points.width() * scale)), std::max(1, qRound(points.height() * scale)));
    // The page is drawn on white paper: its own background is transparent.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QRectF currentBox;
    {
        QPainter painter(&image);
        const QImage rendered = m_pdfDocument->render(page, size);
        if (!rendered.isNull())
            painter.drawImage(0, 0, rendered);
        // As a highlighter: the text stays black under the colour.
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        painter.setPen(Qt::NoPen);
        painter.scale(scale, scale);
        for (std::size_t i = 0; i < m_pdfHits.size(); ++i) {
            const PdfHit& hit = m_pdfHits[i];
            if (hit.page != page)
                continue;
            const bool current = static_cast<int>(i) == m_currentHit;
            painter.setBrush(current ? kCurrentHitColor : kHitColor);
            for (const QPolygonF& polygon : m_pdfDocument->getSelectionAtIndex(page, hit.start, hit.length).bounds()) {
                painter.drawPolygon(polygon);
                if (current)
                    currentBox |= polygon.boundingRect();
            }
        }
    }
    image.setDevicePixelRatio(ratio);
    m_pdfImage = image;
    m_pdfPicture->setPixmap(QPixmap::fromImage(image));
    m_pdfPicture->resize(QSizeF(size / ratio).toSize());
    m_pdfShownPage = page;
    if (currentBox.isValid()) {
        const QPointF centre = currentBox.center() * (scale / ratio);
        m_pdfScroll->ensureVisible(qRound(centre.x()), qRound(centre.y()), 40, m_pdfScroll->viewport()->height() / 3);
    }
}

QImage CHTMLView::HitPdfImage() const
{
    return m_pdfShownPage >= 0 ? m_pdfImage : QImage();
}

void CHTMLView::UpdateBars()
{
    const bool extracted = m_page == Page::Reading || m_page == Page::Extracted;
    // A subject's expected text is a note, not a document: a bar only for its hits.
    const bool note = m_path == ExpectedTextFile::Path() && m_textHits.empty();
    const bool hitsShown =
        m_pattern && !note && (m_page == Page::Text || m_page == Page::Html || m_page == Page::Extracted);
    QStringList parts;
    if (extracted)
        parts << m_extractTitle;
    if (hitsShown) {
        parts << (m_textHits.empty() ? Tx(kNoHit).arg(QString::fromStdString(m_pattern->Word()))
                                     : Tx(kHitCount).arg(m_currentHit + 1).arg(m_textHits.size()));
    }
    m_textBar->label->setText(parts.join(QStringLiteral(" — ")));
    m_textBar->previous->setVisible(hitsShown);
    m_textBar->next->setVisible(hitsShown);
    m_textBar->previous->setEnabled(m_textHits.size() > 1);
    m_textBar->next->setEnabled(m_textHits.size() > 1);
    m_textBar->open->setVisible(extracted);
    m_textBar->setVisible(extracted || hitsShown);

    const bool pdfHits = m_page == Page::Pdf && !m_pdfHits.empty() && m_currentHit >= 0;
    if (pdfHits) {
        m_pdfBar->label->setText(Tx(kPdfHit)
                                     .arg(m_pdfShownPage + 1)
                                     .arg(m_pdfDocument->pageCount())
                                     .arg(m_currentHit + 1)
                                     .arg(m_pdfHits.size()));
    }
    m_pdfBar->previous->setEnabled(m_pdfHits.size() > 1);
    m_pdfBar->next->setEnabled(m_pdfHits.size() > 1);
    m_pdfBar->open->setVisible(true);
    m_pdfBar->setVisible(pdfHits);
    if (!pdfHits)
        m_pdfShownPage = -1;
}

CHTMLView::HitBar* CHTMLView::CurrentBar() const
{
    return currentWidget() == m_pdfHitPage ? m_pdfBar : m_textBar;
}

QString CHTMLView::HitBarText() const
{
    const HitBar* bar = CurrentBar();
    return bar->isVisibleTo(this) ? bar->label->text() : QString();
}

QToolButton* CHTMLView::NextHitButton() const
{
    return CurrentBar()->next;
}

QToolButton* CHTMLView::PreviousHitButton() const
{
    return CurrentBar()->previous;
}

QPushButton* CHTMLView::BarOpenButton() const
{
    return CurrentBar()->open;
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
