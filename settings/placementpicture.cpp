#include "settings/placementpicture.h"

#include <QPainter>
#include <QPolygon>

namespace plavik {

namespace {

constexpr int kSize = 32;
constexpr int kCell = 10;  // grid lines at 1, 11, 21 and 31
constexpr int kCentre = 6; // centre of the first cell, 5 pixels inside the grid
constexpr int kNear = 3;   // where the arrow starts inside a cell
constexpr int kFar = 28;   // where it ends inside the last cell

// The arrow's path column by column, as (x, y); the row-by-row path is the same with x and y swapped.
QPolygon ColumnPath() {
    QPolygon path;
    for (int column = 0; column < 3; ++column) {
        const int x = kCentre + column * kCell;
        path << QPoint(x, kNear) << QPoint(x, kFar);
    }
    return path;
}

QPolygon Transposed(const QPolygon& polygon) {
    QPolygon result;
    for (const QPoint& p : polygon)
        result << QPoint(p.y(), p.x());
    return result;
}

} // namespace

QImage PlacementPicture(PlacementOrder order) {
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Cells in grey, drawn identically for both orders so that only the arrow differs.
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    for (int i = 0; i <= 3; ++i) {
        const int at = 1 + i * kCell;
        painter.drawLine(1, at, 1 + 3 * kCell, at);
        painter.drawLine(at, 1, at, 1 + 3 * kCell);
    }

    // The arrow in red, with a two-sided head at the end of the last stroke.
    QPolygon path = ColumnPath();
    QPolygon head;
    head << QPoint(kCentre + 2 * kCell - 3, kFar - 3) << QPoint(kCentre + 2 * kCell, kFar)
         << QPoint(kCentre + 2 * kCell + 3, kFar - 3);
    if (order == PlacementOrder::RowByRow) {
        path = Transposed(path);
        head = Transposed(head);
    }
    painter.setPen(QPen(QColor(0xFF, 0x00, 0x00), 1));
    painter.drawPolyline(path);
    painter.drawPolyline(head);
    return image;
}

} // namespace plavik
