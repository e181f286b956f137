#include "app/ImageLists.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <cmath>
#include <functional>

namespace {
QIcon drawn(int size, const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return QIcon(pixmap);
}

QIcon standard(QStyle::StandardPixmap which) { return QApplication::style()->standardIcon(which); }

QIcon star()
{
    return drawn(16, [](QPainter& p) {
        QPainterPath path;
        for (int i = 0; i < 10; ++i) {
            const double radius = i % 2 ? 3.2 : 7.5;
            const double angle = -M_PI / 2 + i * M_PI / 5;
            const QPointF point(8 + radius * std::cos(angle), 8.5 + radius * std::sin(angle));
            i ? path.lineTo(point) : path.moveTo(point);
        }
        path.closeSubpath();
        p.setPen(QPen(QColor(0x9a, 0x6a, 0x00), 1));
        p.setBrush(QColor(0xff, 0xc8, 0x20));
        p.drawPath(path);
    });
}

QIcon magnifier()
{
    return drawn(16, [](QPainter& p) {
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2));
        p.setBrush(QColor(0xd8, 0xec, 0xff));
        p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
    });
}

QIcon blocked()
{
    return drawn(16, [](QPainter& p) {
        p.setPen(QPen(QColor(0xc0, 0x10, 0x10), 2));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.drawLine(QPointF(3.5, 12.5), QPointF(12.5, 3.5));
    });
}

QIcon smiley(int index)
{
    return drawn(19, [index](QPainter& p) {
        const QColor face = QColor::fromHsv((index * 47) % 360, 170, 250);
        p.setPen(QPen(face.darker(170), 1));
        p.setBrush(face);
        p.drawEllipse(QPointF(9.5, 9.5), 8.5, 8.5);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(6.5, 7), 1.2, 1.6);
        p.drawEllipse(QPointF(12.5, 7), 1.2, 1.6);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1.3));
        const int mood = index % 3; // smile, straight, surprised
        if (mood == 0)
            p.drawArc(QRectF(5, 7, 9, 7), 200 * 16, 140 * 16);
        else if (mood == 1)
            p.drawLine(QPointF(6.5, 13), QPointF(12.5, 13));
        else
            p.drawEllipse(QPointF(9.5, 13), 1.8, 1.8);
    });
}
} // namespace

QList<QIcon> ToolBarImages()
{
    return {standard(QStyle::SP_BrowserStop), standard(QStyle::SP_DirHomeIcon), standard(QStyle::SP_BrowserReload),
        standard(QStyle::SP_ArrowForward), standard(QStyle::SP_ArrowBack), magnifier(),
        standard(QStyle::SP_DirLinkIcon), standard(QStyle::SP_FileIcon), star(), blocked()};
}

QList<QIcon> FavoritesTreeImages()
{
    return {standard(QStyle::SP_FileDialogDetailedView), standard(QStyle::SP_FileDialogListView),
        standard(QStyle::SP_FileDialogNewFolder), standard(QStyle::SP_ArrowDown), standard(QStyle::SP_ArrowUp), star(),
        standard(QStyle::SP_DirClosedIcon), standard(QStyle::SP_DirOpenIcon), standard(QStyle::SP_FileLinkIcon)};
}

QList<QIcon> SmileyImages()
{
    QList<QIcon> images;
    for (int i = 0; i < 20; ++i)
        images.append(smiley(i));
    return images;
}

QIcon PadlockImage(bool locked)
{
    return drawn(16, [locked](QPainter& p) {
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 1.5, 8, 10), 0, locked ? 180 * 16 : 150 * 16);
        p.setPen(QPen(QColor(0x8a, 0x6a, 0x10), 1));
        p.setBrush(locked ? QColor(0xf0, 0xc0, 0x30) : QColor(0xd0, 0xd0, 0xd0));
        p.drawRoundedRect(QRectF(2.5, 7, 11, 8), 1.5, 1.5);
    });
}
