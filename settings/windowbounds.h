// Where the main window goes at start: its stored outer bounds, kept on a screen.
#pragma once

#include "settings/registry.h"

#include <QList>
#include <QRect>

namespace plavik {

// The stored outer bounds, moved and shrunk as little as needed so that the window can be reached:
// unchanged while a part of its top edge (where the title bar is) lies on one of `screens` (their
// available areas, the primary first) and it fits that screen. A window off every screen goes to the
// screen it overlaps most, or the first. No screens: the bounds as they are.
QRect BoundsOnScreens(const WindowGeometry& stored, const QList<QRect>& screens);

// The bounds of a first start, when none are stored: the wanted outer size, cut to the screen's
// available area, centred on it (halves truncated).
QRect FirstStartBounds(const QSize& wanted, const QRect& screen);

} // namespace plavik
