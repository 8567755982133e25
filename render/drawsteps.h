// Steps that the figure and drawing renderers share between their record loops.
#pragma once

#include "render/canvas.h"
#include "render/palette.h"

#include <string>
#include <string_view>
#include <vector>

namespace plavik {

// The pen colour and line type of the record loops, changed on the canvas only when a record's value
// differs from the current one. Starts at colour number 2, line type 1.
class RecordPen {
public:
    // showAux: auxiliary records (line type 9) are drawn; otherwise they become pen moves.
    // hiddenAuxClearsColor: a hidden auxiliary record notes colour number 0 while the pen keeps its
    // colour, so a following record of colour 0 is drawn in that colour (the drawing renderer's rule).
    RecordPen(Canvas& canvas, const Palette& palette, bool showAux, bool hiddenAuxClearsColor);

    // Selects what the record asks for.
    void Use(int color, int lineType);

private:
    Canvas& canvas_;
    const Palette& palette_;
    bool showAux_;
    bool hiddenAuxClearsColor_;
    int color_ = 2;
    int lineType_ = 1;
};

// Brush and pen solid in color, then the rectangle filled.
void FillBackground(Canvas& canvas, const TRect& rect, COLORREF color);

// The rectangle's outline with the canvas's own solid lines, in color.
void DrawFrame(Canvas& canvas, const TRect& rect, COLORREF color);

// Counter-clockwise direction from (x1, y1) to (x2, y2) on a device whose y grows downward, in tenths
// of a degree truncated toward zero (-1800..1800).
int TextAngle(int x1, int y1, int x2, int y2);

// The font height at which text fits a base line of length pixels: |h0| when it fits there, else the
// largest smaller height that fits, else 0 when the font's default size fits, else -1; as shrinking
// the height one pixel at a time would find it, with a few measurements instead of one per pixel.
// Leaves the canvas font at some measured height.
int FittedTextHeight(Canvas& canvas, std::string_view text, int h0, double length);

// Draws text from (x1, y1) toward (x2, y2) at FittedTextHeight for the base line's length. Only the
// part of a long text that can show on the canvas is measured and drawn.
void DrawFittedText(Canvas& canvas, int x1, int y1, int x2, int y2, std::string_view text, int h0,
                    COLORREF color);

// The NUL-ended strings of a text pool, one per text record. A last string without its NUL runs to
// the pool's end; records the pool holds no string for get empty ones.
std::vector<std::string> SplitPool(std::string_view pool, std::size_t count);

} // namespace plavik
