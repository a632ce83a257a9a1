// Printing of the subject tree: the book's title, each general title and each
// subject with its state, indented as the tree shows them, over as many pages
// as needed.

#include <QPagedPaintDevice>
#include <QPainter>

#include "app/resources.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "book/tenorels.h"
#include "views/state_marks.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

bool CTenorelView::PrintTree(QPagedPaintDevice& device) const
{
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
    painter.setFont(body);
    const int lineHeight = QFontMetrics(body, &device).lineSpacing() * 5 / 4;
    const int indent = dpi / 3;
    const int markSize = QFontMetrics(body, &device).ascent();
    int y = page.top();

    auto newLine = [&](int height) {
        if (y + height > page.bottom()) {
            device.newPage();
            y = page.top();
        }
    };

    const QString title = GetRootItem() ? GetRootItem()->text(0) : (GetDocument() ? GetDocument()->GetTitle() : QString());
    painter.setFont(heading);
    const int headingHeight = QFontMetrics(heading, &device).lineSpacing() * 3 / 2;
    painter.drawText(QRect(page.left(), y, page.width(), headingHeight), Qt::AlignLeft | Qt::AlignVCenter, title);
    y += headingHeight;
    painter.setFont(body);

    const QTreeWidgetItem* root = GetRootItem();
    for (int t = 0; root && t < root->childCount(); ++t) {
        const QTreeWidgetItem* titleItem = root->child(t);
        newLine(lineHeight);
        QFont bold = body;
        bold.setBold(true);
        painter.setFont(bold);
        painter.drawText(QRect(page.left() + indent, y, page.width() - indent, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         titleItem->text(0));
        painter.setFont(body);
        y += lineHeight;
        for (int s = 0; s < titleItem->childCount(); ++s) {
            const QTreeWidgetItem* item = titleItem->child(s);
            const CTenorels* subject = SubjectOf(item);
            newLine(lineHeight);
            const bool closed = subject && subject->GetState() != 0;
            const int x = page.left() + 2 * indent;
            const QIcon& mark = closed ? ClosedSubjectMark() : OpenSubjectMark();
            mark.paint(&painter, QRect(x, y + (lineHeight - markSize) / 2, markSize, markSize));
            const QString state = Tx(closed ? text::kStateClosed : text::kStateOpen);
            painter.drawText(QRect(x + markSize + markSize / 2, y, page.width() - x - markSize * 2, lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, item->text(0) + QStringLiteral(" (") + state + QStringLiteral(")"));
            y += lineHeight;
        }
    }
    return painter.end();
}

} // namespace tavelo::gui
