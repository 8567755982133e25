// Routines between the renderers' record loops and the primitives: pen colour by jw_cad colour
// number, line type selection, one segment, and ellipse arcs as polylines.
#pragma once

#include "render/budget.h"
#include "render/canvas.h"
#include "render/palette.h"

namespace plavik {

// palette[colorNumber] for 0..7, black for any other number.
COLORREF PenColorOf(const Palette& palette, int colorNumber);
// Pen colour := PenColorOf(palette, colorNumber).
void SelectPenColor(Canvas& canvas, const Palette& palette, int colorNumber);
// SetLineType for 0..9; any other value selects solid (1).
void SelectLineType(Canvas& canvas, int lineType);
// JMoveTo(x1, y1), JLineTo(x2, y2): every segment starts its dash pattern afresh. Returns the canvas
// calls made.
int DrawSegment(Canvas& canvas, int x1, int y1, int x2, int y2);
// Draws the ellipse arc about (cx, cy) in device pixels, radius r along the major axis, from start to
// end degrees counter-clockwise as seen, minor/major ratio flatness, major axis turned tilt degrees,
// the device's y direction scaled by aspect. Uses the pen colour and line type in force. An arc far
// larger than the canvas is drawn only where it can be seen, with the dash phase it would have there
// if drawn whole. Its chords, dashes and the tests of what can be seen are charged to budget, and
// such an arc stops when the budget is spent.
void DrawArc(Canvas& canvas, float cx, float cy, float r, float startAngle, float endAngle, float flatness,
             float tilt, float aspect, DrawBudget& budget);
// The same with a budget of its own for the canvas's bounds.
void DrawArc(Canvas& canvas, float cx, float cy, float r, float startAngle, float endAngle, float flatness,
             float tilt, float aspect);

} // namespace plavik
