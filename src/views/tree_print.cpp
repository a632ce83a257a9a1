// Printing of the subject tree: the book's title, each general title and each
// subject with its state, indented as the tree shows them, over as many pages
// as needed; on demand each subject's expected text and documents under it.

#include <QCheckBox>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTextLayout>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/resources.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/tenorels.h"
#include "views/state_marks.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

// No printed text comes nearer the paper's edge than this.
constexpr qreal kMinMarginMm = 15.0;

void EnsureMargins(QPagedPaintDevice& device)
{
    const QMarginsF current = device.pageLayout().margins(QPageLayout::Millimeter);
    const QMarginsF wanted(std::max(current.left(), kMinMarginMm), std::max(current.top(), kMinMarginMm),
                           std::max(current.right(), kMinMarginMm), std::max(current.bottom(), kMinMarginMm));
    if (wanted != current)
        device.setPageMargins(wanted, QPageLayout::Millimeter);
}

// Lays `text` out in lines of `width`, broken between words, or anywhere in
// a word longer than a line (a path).
struct Wrapped {
    std::vector<std::unique_ptr<QTextLayout>> paragraphs;
    qreal height = 0;
};

Wrapped Wrap(const QString& text, const QFont& font, QPaintDevice* device, qreal width)
{
    Wrapped wrapped;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QFontMetricsF metrics(font, device);
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        auto layout = std::make_unique<QTextLayout>(paragraph, font, device);
        layout->setTextOption(option);
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, wrapped.height));
            wrapped.height += metrics.lineSpacing();
        }
        layout->endLayout();
        wrapped.paragraphs.push_back(std::move(layout));
    }
    return wrapped;
}

} // namespace

bool CTenorelView::PrintTree(QPagedPaintDevice& device) const
{
    EnsureMargins(device);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QRect page = painter.viewport();
    const int dpi = device.logicalDpiY() > 0 ? device.logicalDpiY() : 96;
    QFont body(QStringLiteral("Sans Serif"));
    body.setPointSizeF(10.5);
    QFont heading = body;
    heading.setBold(true);
    heading.setPointSizeF(14);
    QFont bold = body;
    bold.setBold(true);
    QFont detail = body;
    detail.setPointSizeF(9);
    const int lineHeight = QFontMetrics(body, &device).lineSpacing() * 5 / 4;
    const int indent = dpi / 3;
    const int markSize = QFontMetrics(body, &device).ascent();
    int y = page.top();
    bool painted = true;

    auto newLine = [&](int height) {
        if (y + height > page.bottom() && y > page.top()) {
            painted &= device.newPage();
            y = page.top();
        }
    };
    // The text from `x` to the right margin, wrapped, at least `minHeight` high
    // and centred in it when it fits on one line.
    auto print = [&](const QString& text, const QFont& font, int x, int minHeight) {
        const Wrapped wrapped = Wrap(text, font, &device, page.right() - x);
        const int height = std::max(minHeight, qCeil(wrapped.height));
        newLine(height);
        const qreal top = y + (height - wrapped.height) / 2;
        painter.setFont(font);
        for (const auto& layout : wrapped.paragraphs)
            layout->draw(&painter, QPointF(x, top));
        const int at = y;
        y += height;
        return at;
    };

    const QString title = GetRootItem() ? GetRootItem()->text(0) : (GetDocument() ? GetDocument()->GetTitle() : QString());
    print(title, heading, page.left(), QFontMetrics(heading, &device).lineSpacing() * 3 / 2);

    const QTreeWidgetItem* root = GetRootItem();
    for (int t = 0; root && t < root->childCount(); ++t) {
        const QTreeWidgetItem* titleItem = root->child(t);
        print(titleItem->text(0), bold, page.left() + indent, lineHeight);
        for (int s = 0; s < titleItem->childCount(); ++s) {
            const QTreeWidgetItem* item = titleItem->child(s);
            const CTenorels* subject = SubjectOf(item);
            const bool closed = subject && subject->GetState() != 0;
            const int x = page.left() + 2 * indent;
            const QString state = Tx(closed ? text::kStateClosed : text::kStateOpen);
            const int top = print(item->text(0) + QStringLiteral(" (") + state + QStringLiteral(")"), body,
                                  x + markSize + markSize / 2, lineHeight);
            const QIcon& mark = closed ? ClosedSubjectMark() : OpenSubjectMark();
            mark.paint(&painter, QRect(x, top + (lineHeight - markSize) / 2, markSize, markSize));
            if (!m_printDetails || !subject)
                continue;
            const int detailX = x + markSize + markSize / 2 + indent / 2;
            QString expected = ToQ(subject->GetExpectedText());
            expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            if (!expected.trimmed().isEmpty()) {
                QFont italic = detail;
                italic.setItalic(true);
                print(expected, italic, detailX, 0);
            }
            for (const std::string& path : subject->GetDocumentPaths())
                print(ToQ(path), detail, detailX, 0);
            y += lineHeight / 4;
        }
    }
    return painter.end() && painted;
}

void CTenorelView::OnFilePrint(bool withDialog)
{
    QPrinter printer(QPrinter::HighResolution);
    if (CTenorelDoc* doc = GetDocument())
        printer.setDocName(doc->GetTitle());
    EnsureMargins(printer);
    if (withDialog) {
        // The dialog owns its tabs once shown; the choice is kept as it changes.
        const bool before = m_printDetails;
        QPointer<QWidget> contents = new QWidget;
        contents->setWindowTitle(Tx(text::kPrintDetailsTab));
        auto* layout = new QVBoxLayout(contents);
        auto* details = new QCheckBox(Tx(text::kPrintDetails), contents);
        details->setObjectName(QStringLiteral("printDetails"));
        details->setChecked(m_printDetails);
        connect(details, &QCheckBox::toggled, this, [this](bool on) { m_printDetails = on; });
        layout->addWidget(details);
        layout->addStretch();
        const bool accepted = PrintDialog::Exec(printer, window(), contents);
        if (contents && !contents->parent())
            delete contents.data();
        if (!accepted) {
            m_printDetails = before;
            return;
        }
    }
    if (!PrintTree(printer))
        MessageBox::Show(window(), Tx(text::kPrintFailed), MessageBox::Stop);
}

void CTenorelView::OnFilePrintPreview()
{
    // The printer that printing uses, so the preview shows the same pages.
    QPrinter printer(QPrinter::HighResolution);
    if (CTenorelDoc* doc = GetDocument())
        printer.setDocName(doc->GetTitle());
    EnsureMargins(printer);
    QPrintPreviewDialog dialog(&printer, window());
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) { PrintTree(*target); });
    // The same choice as in the print dialog, on the preview's toolbar.
    if (auto* toolbar = dialog.findChild<QToolBar*>()) {
        toolbar->addSeparator();
        QAction* details = toolbar->addAction(Tx(text::kPrintDetails));
        details->setObjectName(QStringLiteral("printDetails"));
        details->setCheckable(true);
        details->setChecked(m_printDetails);
        connect(details, &QAction::toggled, &dialog, [this, &dialog](bool on) {
            m_printDetails = on;
            if (auto* pages = dialog.findChild<QPrintPreviewWidget*>())
                pages->updatePreview();
        });
    }
    DialogRunner::Exec(dialog);
}

} // namespace tavelo::gui
