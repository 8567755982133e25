#include "render/drawsteps.h"

#include "render/helpers.h"
#include "render/jtool.h"
#include "render/numbers.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace plavik {

namespace {
constexpr int kAuxLineType = 9;
}

RecordPen::RecordPen(Canvas& canvas, const Palette& palette, bool showAux, bool hiddenAuxClearsColor)
    : canvas_(canvas), palette_(palette), showAux_(showAux), hiddenAuxClearsColor_(hiddenAuxClearsColor) {
    SelectPenColor(canvas_, palette_, color_);
    SelectLineType(canvas_, lineType_);
}

void RecordPen::Use(int color, int lineType) {
    if (color != color_) {
        SelectPenColor(canvas_, palette_, color);
        color_ = color;
    }
    if (lineType != lineType_) {
        SelectLineType(canvas_, lineType);
        lineType_ = lineType;
    }
    // The current type stays 9, so the next auxiliary record is hidden the same way.
    if (!showAux_ && lineType == kAuxLineType) {
        SelectLineType(canvas_, 0);
        if (hiddenAuxClearsColor_)
            color_ = 0;
    }
}

void FillBackground(Canvas& canvas, const TRect& rect, COLORREF color) {
    canvas.SetBrush({color, BrushStyle::Solid});
    canvas.SetPen({color, PenStyle::Solid, canvas.GetPen().width});
    canvas.FillRect(rect);
}

void DrawFrame(Canvas& canvas, const TRect& rect, COLORREF color) {
    canvas.SetPenColor(color);
    const LineRun run(canvas);
    const int right = rect.left + rect.Width() - 1;
    const int bottom = rect.top + rect.Height() - 1;
    canvas.MoveTo(rect.left, rect.top);
    canvas.LineTo(right, rect.top);
    canvas.LineTo(right, bottom);
    canvas.LineTo(rect.left, bottom);
    canvas.LineTo(rect.left, rect.top);
}

int TextAngle(int x1, int y1, int x2, int y2) {
    const double degrees =
        std::atan2(static_cast<double>(y1) - y2, static_cast<double>(x2) - x1) * 180.0 / std::numbers::pi;
    return Trunc(degrees * 10.0);
}

int FittedTextHeight(Canvas& canvas, std::string_view text, int h0, double length) {
    // |INT_MIN| does not exist; such a font is as unusable as any other huge one.
    const int top = h0 == INT_MIN ? INT_MAX : std::abs(h0);
    const auto width = [&](int height) {
        canvas.SetFontHeight(height);
        return canvas.TextWidth(text);
    };
    const int widthAtTop = width(top);
    if (widthAtTop <= length)
        return top;
    // Nothing that takes room fits a base line of no length: the shrinking would end below 0.
    if (!(length > 0))
        return -1;
    // The largest height below top whose width fits, found by halving (widths grow with the height).
    // lo fits unless it is 0, hi does not. The first probe is where the width, about proportional to
    // the height, would just fit, and the second its neighbour, so that most texts take three
    // measurements.
    int lo = 0, hi = top;
    int probe = static_cast<int>(std::min(static_cast<double>(top) * length / widthAtTop, top - 1.0));
    bool guided = true;
    while (hi - lo > 1) {
        if (probe <= lo || probe >= hi)
            probe = lo + (hi - lo) / 2;
        const bool fits = width(probe) <= length;
        (fits ? lo : hi) = probe;
        probe = guided ? probe + (fits ? 1 : -1) : lo + (hi - lo) / 2;
        guided = false;
    }
    if (lo > 0)
        return lo;
    // Height 0 asks for the font's default size, which may still fit; otherwise the height ends at -1.
    return width(0) <= length ? 0 : -1;
}

void DrawFittedText(Canvas& canvas, int x1, int y1, int x2, int y2, std::string_view text, int h0,
                    COLORREF color) {
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    const std::string_view shown = ShownPrefix(canvas, text);
    const int height = FittedTextHeight(canvas, shown, h0, length);
    JTextOut(canvas, x1, y1, shown, -height, TextAngle(x1, y1, x2, y2), color);
}

std::vector<std::string> SplitPool(std::string_view pool, std::size_t count) {
    std::vector<std::string> strings(count);
    for (std::size_t k = 0; k < count && !pool.empty(); ++k) {
        const auto nul = pool.find('\0');
        strings[k] = std::string(pool.substr(0, nul));
        pool.remove_prefix(nul == std::string_view::npos ? pool.size() : nul + 1);
    }
    return strings;
}

} // namespace plavik
