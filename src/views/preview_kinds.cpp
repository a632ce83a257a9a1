// How the preview shows each kind of document: plain text, HTML and what it
// refers to, pictures, PDF files, the text read out of the other kinds on a
// thread of its own, and the page offering the desktop's application.
#include "reading/text_decoding.h"
#include "views/html_view.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfView>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <system_error>

#include "app/resources.h"
#include "app/translation.h"
#include "book/file_io.h"
#include "book/text.h"
#include "reading/kinds.h"
#include "reading/text_source.h"
#include "search/hit_marker.h"
#include "search/search_pattern.h"
#include "views/preview_file.h"
#include "views/preview_parts.h"

namespace tavelo::gui {

namespace {
using preview::kMaxPictureBytes;
using preview::kPictureUrl;
// The text read out of a document is shown up to this size.
constexpr std::size_t kMaxExtractedBytes = std::size_t{4} << 20;

const char* const kExtractedTitle = QT_TRANSLATE_NOOP("Tavelo", "Texte lu dans « %1 »");
const char* const kExtractedCut = QT_TRANSLATE_NOOP("Tavelo", "Texte lu dans « %1 » (le début seulement)");
const char* const kExtracting = QT_TRANSLATE_NOOP("Tavelo", "Lecture du texte de « %1 »…");
const char* const kExtractFailed = QT_TRANSLATE_NOOP("Tavelo", "Le texte du fichier « %1 » ne peut pas être lu : %2.");

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

namespace preview {

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

} // namespace preview

QString DecodeTextFile(const QByteArray& bytes)
{
    std::string storage;
    const std::string_view text =
        tavelo::DecodeTextFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), storage);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant CHTMLView::PreviewBrowser::loadResource(int type, const QUrl& name)
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

bool CHTMLView::PreviewBrowser::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        event->accept();
        return true;
    }
    return QTextBrowser::event(event);
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
    MarkTextHits(m_marker ? Utf8SpansToUtf16(shown.Body(), m_marker->InText(shown)) : HitSpans{});
}

void CHTMLView::CancelExtract()
{
    if (m_extract)
        m_extract->cancel = true;
    m_extract.reset();
}

} // namespace tavelo::gui
