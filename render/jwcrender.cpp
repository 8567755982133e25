// Drawing a jw_cad drawing file into a rectangle: the sheet of 518 x 366 units stretched over it,
// black on white, shown layers only.
#include "render/card.h"
#include "render/errors.h"
#include "render/helpers.h"
#include "render/jtool.h"
#include "render/jwc.h"
#include "render/numbers.h"
#include "render/palette.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

namespace plavik {

namespace {

constexpr double kSheetWidth = 518;
constexpr double kSheetHeight = 366;
constexpr std::uint8_t kAuxLineType = 9;

// Sheet units to device pixels: x to the right from the left edge, y up from the bottom edge.
struct SheetMap {
    TRect rect;
    float sx, sy;

    explicit SheetMap(const TRect& r)
        : rect(r), sx(static_cast<float>(r.Width() / kSheetWidth)),
          sy(static_cast<float>(r.Height() / kSheetHeight)) {}

    int X(float x) const { return ToDevice(rect.left + static_cast<double>(ToDevice(double{x} * sx))); }
    int Y(float y) const {
        return ToDevice(static_cast<double>(rect.top) + rect.Height() - ToDevice(double{y} * sy));
    }
};

// Pen colour and line type of the record loops, changed only when a record's value differs.
class PenState {
public:
    PenState(Canvas& canvas, int flags) : canvas_(canvas), showAux_((flags & kJwcAuxLines) != 0) {
        SelectPenColor(canvas_, JwcColors, color_);
        SelectLineType(canvas_, lineType_);
    }

    void Apply(int color, int lineType) {
        if (color != color_) {
            SelectPenColor(canvas_, JwcColors, color);
            color_ = color;
        }
        if (lineType != lineType_) {
            SelectLineType(canvas_, lineType);
            lineType_ = lineType;
        }
        // A hidden auxiliary record only moves the pen. The colour number is noted as 0 while the pen
        // keeps its colour, so a following record of colour 0 is drawn in that colour.
        if (!showAux_ && lineType == kAuxLineType) {
            SelectLineType(canvas_, 0);
            color_ = 0;
        }
    }

private:
    Canvas& canvas_;
    bool showAux_;
    int color_ = 2;
    int lineType_ = 1;
};

bool Shown(const JwcHeader& header, std::uint8_t layer) {
    return header.layerFlags[layer] == 1;
}

void FillBackground(Canvas& canvas, const TRect& rect) {
    canvas.SetBrush({JwcColors[kBack], BrushStyle::Solid});
    canvas.SetPen({JwcColors[kBack], PenStyle::Solid, canvas.GetPen().width});
    canvas.FillRect(rect);
}

// Counter-clockwise direction of the vector on a device whose y grows downward, in tenths of a
// degree truncated toward zero.
int TextAngle(int x1, int y1, int x2, int y2) {
    const double degrees =
        std::atan2(static_cast<double>(y1) - y2, static_cast<double>(x2) - x1) * 180.0 / std::numbers::pi;
    return Trunc(degrees * 10.0);
}

void DrawTexts(Canvas& canvas, const SheetMap& map, const JwcDrawing& drawing, int flags) {
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetPen({JwcColors[kText], PenStyle::Solid, canvas.GetPen().width});
    const bool baseLines = (flags & kJwcBaseLines) != 0;
    const int h0 = canvas.GetFont().height;
    // |INT_MIN| does not exist; such a font is as unusable as any other huge one.
    const int startHeight =
        h0 == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(h0);

    for (std::size_t k = 0; k < drawing.texts.size(); ++k) {
        const TJwcText& text = drawing.texts[k];
        if (!Shown(drawing.header, text.layer))
            continue;
        const int x1 = map.X(text.x1), y1 = map.Y(text.y1);
        const int x2 = map.X(text.x2), y2 = map.Y(text.y2);
        if (baseLines) {
            DrawSegment(canvas, x1, y1, x2, y2);
            continue;
        }
        const std::string& string = drawing.strings[k];
        const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
        const double length = std::sqrt(dx * dx + dy * dy);
        int height = startHeight;
        canvas.SetFontHeight(height);
        while (canvas.TextWidth(string) > length) {
            --height;
            canvas.SetFontHeight(height);
            if (height < 0)
                break;
        }
        JTextOut(canvas, x1, y1, string, -height, TextAngle(x1, y1, x2, y2), JwcColors[kText]);
    }
}

void DrawFrame(Canvas& canvas, const TRect& rect) {
    canvas.SetPenColor(JwcColors[kBorder]);
    const int right = rect.left + rect.Width() - 1, bottom = rect.top + rect.Height() - 1;
    canvas.MoveTo(rect.left, rect.top);
    canvas.LineTo(right, rect.top);
    canvas.LineTo(right, bottom);
    canvas.LineTo(rect.left, bottom);
    canvas.LineTo(rect.left, rect.top);
}

void Paint(Canvas& canvas, const TRect& rect, int flags, const JwcDrawing& drawing) {
    const SheetMap map(rect);
    const JwcHeader& header = drawing.header;
    PenState pen(canvas, flags);

    for (const TJwcLine& line : drawing.lines) {
        pen.Apply(line.color, line.lineType);
        if (Shown(header, line.layer))
            DrawSegment(canvas, map.X(line.x1), map.Y(line.y1), map.X(line.x2), map.Y(line.y2));
    }

    const float aspect = map.sy / map.sx;
    for (const TJwcArc& arc : drawing.arcs) {
        pen.Apply(arc.color, arc.lineType);
        if (!Shown(header, arc.layer))
            continue;
        const auto radius = static_cast<float>(ToDevice(double{arc.radius} * map.sx));
        DrawArc(canvas, static_cast<float>(map.X(arc.cx)), static_cast<float>(map.Y(arc.cy)), radius,
                static_cast<float>(arc.startAngle / 65536.0), static_cast<float>(arc.endAngle / 65536.0),
                static_cast<float>(arc.flatness / 10000.0), static_cast<float>(arc.tilt / 65536.0), aspect);
    }

    // Colour bytes beyond the palette draw black.
    for (const TJwcPoint& point : drawing.points) {
        if (Shown(header, point.layer))
            canvas.SetPixel(map.X(point.x), map.Y(point.y),
                            point.color < JwcColors.size() ? JwcColors[point.color] : 0);
    }

    if (flags & kJwcText)
        DrawTexts(canvas, map, drawing, flags);
    if (flags & kJwcBorder)
        DrawFrame(canvas, rect);
}

// The steps shared by the file and the byte entry points; readEntities yields the whole drawing for a
// parsed header. The caller's font is given back on every path out.
template <typename Head, typename Entities>
int Draw(Canvas& canvas, const TRect& rect, int flags, TJwcInfo& info, bool recognised, Head readHeader,
         Entities readEntities) {
    const FontGuard guard(canvas);
    info = TJwcInfo{};
    if (!recognised) {
        DrawNotFileCard(canvas, rect, "Not JWC File");
        return -1;
    }
    const JwcHeader header = readHeader(info);
    FillBackground(canvas, rect);
    const JwcDrawing drawing = readEntities(header);
    Paint(canvas, rect, flags, drawing);
    return 0;
}

} // namespace

int DrawJwcData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                TJwcInfo& info) {
    return Draw(
        canvas, rect, flags, info, IsJwcData(data), [&](TJwcInfo& i) { return ReadJwcHeader(data, i); },
        [&](const JwcHeader& header) { return ReadJwcEntities(data, header); });
}

int DrawJwc(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            TJwcInfo& info) {
    return Draw(
        canvas, rect, flags, info, IsJwcFile(fileName),
        [&](TJwcInfo& i) {
            const auto head = ReadFilePrefix(fileName, kJwcHeaderSize);
            if (!head)
                throw ReadError();
            return ReadJwcHeader(*head, i);
        },
        [&](const JwcHeader& header) {
            // Read no more than the header announces, and nothing at all when the file is too short
            // to hold it: a count in the header never decides how much is allocated.
            const std::uint64_t needed = JwcEntityEnd(header);
            std::error_code error;
            const std::uintmax_t size = std::filesystem::file_size(fileName, error);
            if (error || size < needed)
                throw ReadError();
            const auto bytes = ReadFilePrefix(fileName, static_cast<std::size_t>(needed));
            if (!bytes)
                throw ReadError();
            return ReadJwcEntities(*bytes, header);
        });
}

} // namespace plavik
