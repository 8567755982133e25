#include "app/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace plavik {

namespace {

// A 20 x 20 picture (and its double for high-density screens) painted by draw on a 20 x 20 grid.
QIcon Painted(int size, const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(size * scale, size * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor kOutline(60, 60, 60);

} // namespace

QIcon OpenIcon() {
    return Painted(20, [](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(QColor(230, 190, 80));
        p.drawRect(QRectF(2.5, 5.5, 14, 11)); // back of the folder
        p.drawRect(QRectF(2.5, 3.5, 6, 2));   // its tab
        QPainterPath front;
        front.moveTo(2.5, 16.5);
        front.lineTo(6.5, 9.5);
        front.lineTo(19.5, 9.5);
        front.lineTo(16.5, 16.5);
        front.closeSubpath();
        p.setBrush(QColor(250, 220, 120));
        p.drawPath(front);
    });
}

QIcon PrintIcon() {
    return Painted(20, [](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 2.5, 9, 6)); // sheet going in
        p.setBrush(QColor(170, 170, 170));
        p.drawRoundedRect(QRectF(1.5, 8.5, 17, 7), 1.5, 1.5); // body
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 13.5, 9, 5)); // sheet coming out
        p.setPen(QPen(QColor(40, 160, 40), 1.5));
        p.drawPoint(QPointF(15.5, 10.5)); // the lamp
    });
}

QIcon DeleteIcon() {
    return Painted(20, [](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 2.5, 12, 15));
        p.setPen(QPen(QColor(120, 120, 120), 1));
        for (int y = 6; y <= 14; y += 3)
            p.drawLine(QPointF(4.5, y + 0.5), QPointF(12.5, y + 0.5));
        p.setPen(QPen(QColor(210, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(18, 18));
        p.drawLine(QPointF(18, 10), QPointF(10, 18));
    });
}

QIcon ProgramIcon() {
    return Painted(32, [](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 1.5, 25, 29));
        p.setBrush(QColor(70, 120, 200));
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 2; ++col)
                p.drawRect(QRectF(7.5 + col * 10, 5.5 + row * 8, 7, 5));
    });
}

} // namespace plavik
