// What both renderers share around a render call: the card for a file of the wrong kind, and the
// guard that gives the caller its canvas font back.
#pragma once

#include "render/canvas.h"

#include <string_view>

namespace plavik {

// White rectangle with the words in red, the font shrunk from height 12 until they fit the width.
void DrawNotFileCard(Canvas& canvas, const TRect& rect, std::string_view words);

// Restores the canvas font on every path out of a render call, so that no call sees the font
// another call left behind.
class FontGuard {
public:
    explicit FontGuard(Canvas& canvas) : canvas_(canvas), font_(canvas.GetFont()) {}
    ~FontGuard() { canvas_.SetFont(font_); }
    FontGuard(const FontGuard&) = delete;
    FontGuard& operator=(const FontGuard&) = delete;

private:
    Canvas& canvas_;
    Font font_;
};

} // namespace plavik
