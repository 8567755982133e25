// jw_cad line types and the drawing primitives shared by both renderers.
#pragma once

#include "render/canvas.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace plavik {

// The line state of the primitives: one per thread, so that renderers on different threads
// never share a dash phase.
struct LineState {
    int LineKind = 0;   // 0 invisible (pen moves only), 1 solid, 2..9 dash patterns
    int Dash[101] = {}; // entries 1..DashCount in device pixels; odd entries drawn, even ones gaps
    int DashCount = 0;
    int DashTotal = 0;
    int DashIndex = 0;  // 1-based entry in which the pen stands
    int DashOffset = 0; // 1-based position inside that entry
    int PenWidth = 0;
};

// The calling thread's line state.
LineState& CurrentLineState();

// Selects the line type for the following JLineTo calls and builds its pattern for the canvas's device.
void SetLineType(Canvas& canvas, int lineType);
// The dash pattern of line type 2 .. 9 as SetLineType draws it: dash, gap, dash, gap ... in points
// (1/72 inch); empty for solid lines and any other number.
std::span<const int> LineTypeDashes(int lineType);
// Starts a polyline at (x, y): solid pen of width 0, dash phase at the pattern's start.
void JMoveTo(Canvas& canvas, int x, int y);
// Continues the polyline to (x, y) in the current line type, carrying the dash phase. Returns the
// canvas calls it made (dashes and pen moves), for the renderers' budgets.
int JLineTo(Canvas& canvas, int x, int y);
// Moves the dash phase on as a JLineTo of that many pixels would, without drawing: for the parts of a
// polyline that are left out because they cannot be seen.
void AdvanceDash(double length);
// The part of text (code page 932 bytes) that can show on the canvas: at most two bytes per pixel of
// the canvas's width and height together and some to spare, since every character takes at least a
// pixel, cut between characters. A text far longer than any picture costs no more than one that fills
// it.
std::string_view ShownPrefix(const Canvas& canvas, std::string_view text);
// The most bytes ShownPrefix keeps on the canvas.
std::size_t ShownBytes(const Canvas& canvas);
// Draws text (code page 932 bytes) at (x, y), turned by angle tenths of a degree counter-clockwise,
// height in logical-font units, in color, on a clear background; only its ShownPrefix. Errors are
// dropped.
void JTextOut(Canvas& canvas, int x, int y, std::string_view text, int height, int angle, COLORREF color);

} // namespace plavik
