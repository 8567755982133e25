#include "settings/windowbounds.h"

#include <algorithm>

namespace plavik {

namespace {

// The height of the top strip that must show: enough of the title bar to grab it.
constexpr int kGripHeight = 8;
// How much of the strip's width must show.
constexpr int kGripWidth = 64;

bool TopEdgeOn(const QRect& bounds, const QRect& screen) {
    const QRect strip(bounds.left(), bounds.top(), bounds.width(), std::min(bounds.height(), kGripHeight));
    const QRect shown = strip & screen;
    return shown.width() >= std::min(bounds.width(), kGripWidth) && shown.height() == strip.height();
}

qint64 Area(const QRect& r) {
    return r.isEmpty() ? 0 : static_cast<qint64>(r.width()) * r.height();
}

} // namespace

QRect BoundsOnScreens(const WindowGeometry& stored, const QList<QRect>& screens) {
    QRect bounds(stored.Left, stored.Top, std::max(stored.Width, 1), std::max(stored.Height, 1));
    if (screens.isEmpty())
        return bounds;
    const QRect* home = nullptr;
    for (const QRect& screen : screens) {
        if (TopEdgeOn(bounds, screen)) {
            home = &screen;
            break;
        }
    }
    if (home && home->width() >= bounds.width() && home->height() >= bounds.height())
        return bounds; // where the user left it, even partly off the screen
    if (!home) {
        home = &screens.first();
        for (const QRect& screen : screens)
            if (Area(bounds & screen) > Area(bounds & *home))
                home = &screen;
    }
    // Shrink to the screen, then slide in the least distance.
    bounds.setSize(bounds.size().boundedTo(home->size()));
    bounds.moveLeft(std::clamp(bounds.left(), home->left(), home->right() + 1 - bounds.width()));
    bounds.moveTop(std::clamp(bounds.top(), home->top(), home->bottom() + 1 - bounds.height()));
    return bounds;
}

QRect FirstStartBounds(const QSize& wanted, const QRect& screen) {
    const QSize size = wanted.expandedTo(QSize(1, 1)).boundedTo(screen.size().expandedTo(QSize(1, 1)));
    return QRect(screen.left() + (screen.width() - size.width()) / 2,
                 screen.top() + (screen.height() - size.height()) / 2, size.width(), size.height());
}

} // namespace plavik
