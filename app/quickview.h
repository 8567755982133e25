// What the quick-view panel shows, worked out without a window: the picture's size for the panel's
// room, and the texts of a drawn file's memo, paper and scales.
#pragma once

#include "render/formats.h"

#include <QSize>
#include <QString>

#include <span>

namespace plavik {

// The narrowest picture: what the panel showed before it could grow.
inline constexpr int kLeastQuickViewWidth = 150;

// The picture for room (the panel's inner width, and the height it can take): the kind's proportion
// (figures square, drawings side x side/sqrt 2), as wide as room or as tall as its height allows,
// never under kLeastQuickViewWidth wide.
QSize QuickViewPictureSize(ListKind kind, QSize room);

// "1/100", or "2/1" for an enlarging scale; several joined by ", ". Empty for none.
QString ScalesText(std::span<const double> denominators);

// The texts below the picture; an empty one is not shown.
struct QuickViewFacts {
    QString noteTitle; // "【メモ】" for a .jww's memo, "【コメント】" for a .jwc's comment
    QString note;      // its lines, decoded, without trailing blanks
    QString paper;     // "A3"
    QString scales;    // "1/100, 1/50"
};
QuickViewFacts FactsOf(FileFormat format, const DrawnFile& drawn);

} // namespace plavik
