#include "render/drawsteps.h"

#include "render/helpers.h"
#include "render/jtool.h"
#include "render/numbers.h"

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

void DrawFittedText(Canvas& canvas, int x1, int y1, int x2, int y2, std::string_view text, int h0,
                    COLORREF color) {
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    // |INT_MIN| does not exist; such a font is as unusable as any other huge one.
    int height = h0 == INT_MIN ? INT_MAX : std::abs(h0);
    canvas.SetFontHeight(height);
    while (canvas.TextWidth(text) > length) {
        --height;
        canvas.SetFontHeight(height);
        if (height < 0)
            break;
    }
    JTextOut(canvas, x1, y1, text, -height, TextAngle(x1, y1, x2, y2), color);
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
