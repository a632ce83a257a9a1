// The hits of a search in the document shown: found in the text or in the
// PDF's pages, marked as with a highlighter, and the bar that steps through
// them.
#include "views/html_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>
#include <QToolButton>

#include "app/resources.h"
#include "app/translation.h"
#include "search/hit_marker.h"
#include "search/search_pattern.h"
#include "views/expected_text_file.h"
#include "views/preview_parts.h"

namespace tavelo::gui {

namespace {
using preview::Units;
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
} // namespace

CHTMLView::HitBar::HitBar(QWidget* parent) : QWidget(parent)
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

void CHTMLView::SetSearchPattern(std::shared_ptr<const SearchPattern> pattern)
{
    m_marker = MarkPattern(std::move(pattern));
}

void CHTMLView::SetHitMarker(std::shared_ptr<const HitMarker> marker)
{
    m_marker = std::move(marker);
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
    if (!m_marker)
        return false;
    const int pages = std::min(m_pdfDocument->pageCount(), kMaxHitPages);
    for (int page = 0; page < pages && m_pdfHits.size() < kMaxShownHits; ++page) {
        const QString text = m_pdfDocument->getAllText(page).text();
        for (const auto& [begin, end] : m_marker->InUtf16(Units(text), kMaxShownHits - m_pdfHits.size()))
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
        m_marker && !note && (m_page == Page::Text || m_page == Page::Html || m_page == Page::Extracted);
    QStringList parts;
    if (extracted)
        parts << m_extractTitle;
    if (hitsShown) {
        parts << (m_textHits.empty() ? Tx(kNoHit).arg(QString::fromStdString(m_marker->Label()))
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

} // namespace tavelo::gui
