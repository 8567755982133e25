// Small rules of the file list that need no window.
#pragma once

#include <QSize>
#include <QString>

namespace plavik {

enum class ListKind { None, Figure, Drawing };

// The kind of list a caption belongs to, by its extension (from the last "." on) in any case:
// ".JWK" figures, ".JWC" drawings, anything else none.
ListKind KindOfCaption(const QString& caption);

// The thumbnail of a figure list: iconSize square.
QSize FigureThumbnailSize(int iconSize);
// The thumbnail of a drawing list: iconSize2 wide and iconSize2 / sqrt(2) high, rounded half to even.
QSize DrawingThumbnailSize(int iconSize2);

// Status panel 1's text for a list of count items.
QString FileCountText(int count);

} // namespace plavik
