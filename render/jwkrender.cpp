#include "render/bytes.h"
#include "render/card.h"
#include "render/errors.h"
#include "render/helpers.h"
#include "render/jtool.h"
#include "render/jwk.h"
#include "render/jwkreader.h"
#include "render/numbers.h"
#include "render/palette.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>
#include <system_error>

namespace plavik {

namespace {

constexpr std::string_view kNotJwkFile = "Not JWK File";

// Stretches the figure's 0-to-100 box over the rectangle, y pointing up.
class BoxMapping {
public:
    BoxMapping(const TRect& rect, const JwkHeader& header)
        : rect_(rect), sx_(static_cast<float>(rect.Width() / 100.0)),
          sy_(static_cast<float>(rect.Height() / 100.0)), header_(header) {}

    int X(float x) const {
        return rect_.left + Round((static_cast<double>(x) * header_.scale + header_.originX) * sx_);
    }
    int Y(float y) const {
        return rect_.top + rect_.Height() -
               Round((static_cast<double>(y) * header_.scale + header_.originY) * sy_);
    }
    float Sx() const { return sx_; }
    float Sy() const { return sy_; }
    float Aspect() const { return sy_ / sx_; }

private:
    TRect rect_;
    float sx_, sy_;
    const JwkHeader& header_;
};

// Pen colour and line type of the record loops, changed on the canvas only when a record differs.
class PenState {
public:
    PenState(Canvas& canvas, const Palette& palette, int flags)
        : canvas_(canvas), palette_(palette), flags_(flags) {
        SelectPenColor(canvas_, palette_, color_);
        SelectLineType(canvas_, lineType_);
    }

    void Use(int color, int lineType) {
        if (color != color_) {
            SelectPenColor(canvas_, palette_, color);
            color_ = color;
        }
        if (lineType != lineType_) {
            SelectLineType(canvas_, lineType);
            lineType_ = lineType;
        }
        // Auxiliary lines become pen moves unless asked for. The current type stays 9, so the next
        // auxiliary record is hidden the same way.
        if ((flags_ & kJwkAuxLines) == 0 && lineType == 9)
            SelectLineType(canvas_, 0);
    }

private:
    Canvas& canvas_;
    const Palette& palette_;
    int flags_;
    int color_ = 2;
    int lineType_ = 1;
};

void FillBackground(Canvas& canvas, const TRect& rect, COLORREF back) {
    canvas.SetBrush({back, BrushStyle::Solid});
    canvas.SetPen({back, PenStyle::Solid, canvas.GetPen().width});
    canvas.FillRect(rect);
}

// Shrinks the font from |h0| until the text fits the base line's length (or the height goes below 0);
// returns the height reached.
int FitTextHeight(Canvas& canvas, std::string_view text, int h0, double length) {
    int height = h0 == INT_MIN ? INT_MAX : std::abs(h0);
    canvas.SetFontHeight(height);
    int width = canvas.TextWidth(text);
    while (width > length) {
        --height;
        canvas.SetFontHeight(height);
        if (height < 0)
            break;
        width = canvas.TextWidth(text);
    }
    return height;
}

void DrawTexts(Canvas& canvas, const JwkFigure& figure, const BoxMapping& map, const Palette& palette) {
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetPen({palette[kText], PenStyle::Solid, canvas.GetPen().width});
    const int h0 = canvas.GetFont().height;
    for (std::size_t i = 0; i < figure.texts.size(); ++i) {
        const TJwkText& t = figure.texts[i];
        const int x1 = map.X(t.x1), y1 = map.Y(t.y1);
        const double dx = static_cast<double>(map.X(t.x2)) - x1;
        const double dy = static_cast<double>(map.Y(t.y2)) - y1;
        const double length = std::sqrt(dx * dx + dy * dy);
        // Counter-clockwise as seen, so the device's downward y is turned round.
        const int angle = Trunc(std::atan2(-dy, dx) * 1800.0 / std::numbers::pi);
        const std::string_view text = i < figure.strings.size() ? figure.strings[i] : std::string_view{};
        const int height = FitTextHeight(canvas, text, h0, length);
        JTextOut(canvas, x1, y1, text, -height, angle, palette[kText]);
    }
}

void DrawFrame(Canvas& canvas, const TRect& rect, COLORREF color) {
    canvas.SetPenColor(color);
    const int right = rect.left + rect.Width() - 1;
    const int bottom = rect.top + rect.Height() - 1;
    canvas.MoveTo(rect.left, rect.top);
    canvas.LineTo(right, rect.top);
    canvas.LineTo(right, bottom);
    canvas.LineTo(rect.left, bottom);
    canvas.LineTo(rect.left, rect.top);
}

// Everything after the background: lines, arcs, points, texts, reference mark, frame.
void DrawFigure(Canvas& canvas, const JwkFigure& figure, const TRect& rect, int flags) {
    const Palette& palette = JwkColors();
    const BoxMapping map(rect, figure.header);
    PenState pen(canvas, palette, flags);

    for (const TJwkLine& line : figure.lines) {
        pen.Use(line.color, line.lineType);
        DrawSegment(canvas, map.X(line.x1), map.Y(line.y1), map.X(line.x2), map.Y(line.y2));
    }

    for (const TJwkArc& arc : figure.arcs) {
        pen.Use(arc.color, arc.lineType);
        // The radius is measured on the x scale; the y scale enters through the aspect.
        const int radius = Round(static_cast<double>(arc.radius) * figure.header.scale * map.Sx());
        DrawArc(canvas, static_cast<float>(map.X(arc.cx)), static_cast<float>(map.Y(arc.cy)),
                static_cast<float>(radius), static_cast<float>(arc.startAngle / 65536.0),
                static_cast<float>(arc.endAngle / 65536.0), static_cast<float>(arc.flatness / 10000.0),
                static_cast<float>(arc.tilt / 65536.0), map.Aspect());
    }

    // Points index the whole palette; numbers beyond it draw black.
    for (const TJwkPoint& point : figure.points)
        canvas.SetPixel(map.X(point.x), map.Y(point.y),
                        point.color < palette.size() ? palette[point.color] : 0);

    if (flags & kJwkText)
        DrawTexts(canvas, figure, map, palette);

    // A circle of 3 pixels about the reference point, in the line type the records left selected.
    if (flags & kJwkRefPoint) {
        canvas.SetPenColor(palette[kPos]);
        const float cx =
            static_cast<float>(rect.left + Round(static_cast<double>(figure.header.originX) * map.Sx()));
        const float cy = static_cast<float>(
            rect.top + Round(rect.Height() - static_cast<double>(figure.header.originY) * map.Sy()));
        DrawArc(canvas, cx, cy, 3.0f, 0.0f, 0.0f, 1.0f, 0.0f, map.Aspect());
    }

    if (flags & kJwkBorder)
        DrawFrame(canvas, rect, palette[kBorder]);
}

int DrawCard(Canvas& canvas, const TRect& rect) {
    FontGuard font(canvas);
    DrawNotFileCard(canvas, rect, kNotJwkFile);
    return -1;
}

} // namespace

int DrawJwkData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags) {
    if (!IsJwkData(data))
        return DrawCard(canvas, rect);
    JwkFigure figure;
    figure.header = ReadJwkHeader(data); // fails before the canvas is touched
    FontGuard font(canvas);
    FillBackground(canvas, rect, JwkColors()[kBack]);
    ReadJwkBody(figure.header, data, figure);
    DrawFigure(canvas, figure, rect, flags);
    return 0;
}

int DrawJwk(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags) {
    if (!IsJwkFile(fileName))
        return DrawCard(canvas, rect);
    const auto head = ReadFilePrefix(fileName, kJwkHeaderSize);
    if (!head)
        throw ReadError();
    JwkFigure figure;
    figure.header = ReadJwkHeader(*head); // fails before the canvas is touched
    FontGuard font(canvas);
    FillBackground(canvas, rect, JwkColors()[kBack]);

    // Reads no more of the file than the sections and the capped text pool need, and nothing at
    // all when the file cannot hold the sections its counts announce.
    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(fileName, error);
    if (error || fileSize < kJwkHeaderSize + JwkSectionBytes(figure.header))
        throw ReadError();
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uintmax_t>(fileSize, JwkBytesNeeded(figure.header)));
    const auto bytes = ReadFilePrefix(fileName, wanted);
    if (!bytes)
        throw ReadError();
    ReadJwkBody(figure.header, *bytes, figure);
    DrawFigure(canvas, figure, rect, flags);
    return 0;
}

} // namespace plavik
