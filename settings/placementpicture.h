// The 32 x 32 pictures beside the placement-order radio buttons.
#pragma once

#include <QImage>

namespace plavik {

enum class PlacementOrder { ColumnByColumn, RowByRow };

// A 3 x 3 grid of cells with an arrow through them in the given order: down each column and up to the
// top of the next, or along each row and back to the start of the next. Drawn in 16-colour
// palette colours on white, without antialiasing.
QImage PlacementPicture(PlacementOrder order);

} // namespace plavik
