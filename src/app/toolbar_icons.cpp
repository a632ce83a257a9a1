#include "app/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/resource_ids.h"

namespace tavelo::gui {

namespace {

using Drawer = void (*)(QPainter&);

// Each picture is drawn on a 16 by 16 grid and rendered at 16 and 32 pixels.
QIcon Render(Drawer draw)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void DrawSheet(QPainter& p)
{
    QPainterPath sheet;
    sheet.moveTo(3.5, 1.5);
    sheet.lineTo(10, 1.5);
    sheet.lineTo(13.5, 5);
    sheet.lineTo(13.5, 14.5);
    sheet.lineTo(3.5, 14.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x55, 0x5d, 0x66), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(10, 1.5);
    fold.lineTo(10, 5);
    fold.lineTo(13.5, 5);
    p.setBrush(QColor(0xdd, 0xe2, 0xe8));
    p.drawPath(fold);
}

void DrawFolder(QPainter& p)
{
    p.setPen(QPen(QColor(0x8a, 0x62, 0x10), 1));
    p.setBrush(QColor(0xe8, 0xb9, 0x4a));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4, 7.5);
    front.lineTo(15.5, 7.5);
    front.lineTo(13.5, 13.5);
    front.closeSubpath();
    p.setBrush(QColor(0xf7, 0xd3, 0x7a));
    p.drawPath(front);
}

void DrawFloppy(QPainter& p)
{
    p.setPen(QPen(QColor(0x1d, 0x3a, 0x66), 1));
    p.setBrush(QColor(0x2f, 0x5f, 0xa8));
    QPainterPath body;
    body.moveTo(1.5, 1.5);
    body.lineTo(12.5, 1.5);
    body.lineTo(14.5, 3.5);
    body.lineTo(14.5, 14.5);
    body.lineTo(1.5, 14.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc9, 0xd3, 0xdf));
    p.drawRect(QRectF(4, 2, 7, 4.5));
    p.setBrush(QColor(0x1d, 0x3a, 0x66));
    p.drawRect(QRectF(8.5, 2.6, 1.6, 3.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 9, 9, 5));
}

void DrawMagnifier(QPainter& p)
{
    p.setPen(QPen(QColor(0x6b, 0x44, 0x1e), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14.2, 14.2));
    p.setPen(QPen(QColor(0x44, 0x4c, 0x56), 1.6));
    p.setBrush(QColor(0xcf, 0xe8, 0xfa));
    p.drawEllipse(QPointF(6.5, 6.5), 4.6, 4.6);
    p.setPen(QPen(Qt::white, 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(3.8, 3.8, 5.4, 5.4), 100 * 16, 70 * 16);
}

void DrawQuestion(QPainter& p)
{
    p.setPen(QPen(QColor(0x1f, 0x4e, 0x99), 1));
    p.setBrush(QColor(0x3b, 0x7d, 0xd8));
    p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1.5, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
}

} // namespace

QIcon ToolbarIcon(int commandId)
{
    switch (commandId) {
    case ID_FILE_NEW: {
        static const QIcon icon = Render(DrawSheet);
        return icon;
    }
    case ID_FILE_OPEN: {
        static const QIcon icon = Render(DrawFolder);
        return icon;
    }
    case ID_FILE_SAVE: {
        static const QIcon icon = Render(DrawFloppy);
        return icon;
    }
    case ID_EDIT_FIND: {
        static const QIcon icon = Render(DrawMagnifier);
        return icon;
    }
    case ID_APP_ABOUT: {
        static const QIcon icon = Render(DrawQuestion);
        return icon;
    }
    default:
        return {};
    }
}

QIcon ApplicationIcon()
{
    // The icon the desktop shows (desktop/icons), built into the program.
    static const QIcon icon = [] {
        QIcon result;
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            result.addFile(QStringLiteral(":/icons/%1x%1/tavelo.png").arg(size), QSize(size, size));
        return result;
    }();
    return icon;
}

} // namespace tavelo::gui
