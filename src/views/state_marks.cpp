#include "views/state_marks.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tavelo::gui {

namespace {
QIcon DrawCheckMark(const QColor& colour)
{
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        QPainterPath tick;
        tick.moveTo(2.5, 8.5);
        tick.lineTo(6.5, 12.5);
        tick.lineTo(13.5, 3.5);
        // A white halo keeps the mark readable on a selected (dark) row.
        p.setPen(QPen(QColor(255, 255, 255, 220), 4.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        p.setPen(QPen(colour.darker(140), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
} // namespace

const QIcon& ClosedSubjectMark()
{
    static const QIcon icon = DrawCheckMark(QColor(0x2e, 0xa0, 0x3c));
    return icon;
}

const QIcon& OpenSubjectMark()
{
    static const QIcon icon = DrawCheckMark(QColor(0xd6, 0x2b, 0x2b));
    return icon;
}

} // namespace tavelo::gui
