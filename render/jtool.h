// jw_cad line types and the drawing primitives shared by both renderers.
#pragma once

#include "render/canvas.h"

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
// Starts a polyline at (x, y): solid pen of width 0, dash phase at the pattern's start.
void JMoveTo(Canvas& canvas, int x, int y);
// Continues the polyline to (x, y) in the current line type, carrying the dash phase.
void JLineTo(Canvas& canvas, int x, int y);
// Draws text (code page 932 bytes) at (x, y), turned by angle tenths of a degree counter-clockwise,
// height in logical-font units, in color, on a clear background. Errors are dropped.
void JTextOut(Canvas& canvas, int x, int y, std::string_view text, int height, int angle, COLORREF color);

} // namespace plavik
