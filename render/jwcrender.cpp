// Drawing a jw_cad drawing file into a rectangle: the sheet of 518 x 366 units stretched over it,
// black on white, shown layers only.
#include "render/card.h"
#include "render/drawsteps.h"
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

bool Shown(const JwcHeader& header, std::uint8_t layer) {
    return header.layerFlags[layer] == 1;
}

void DrawTexts(Canvas& canvas, const SheetMap& map, const JwcDrawing& drawing, int flags,
               DrawBudget& budget) {
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetPen({JwcColors[kText], PenStyle::Solid, canvas.GetPen().width});
    const bool baseLines = (flags & kJwcBaseLines) != 0;
    const int h0 = canvas.GetFont().height;

    for (std::size_t k = 0; k < drawing.texts.size() && !budget.Spent(); ++k) {
        const TJwcText& text = drawing.texts[k];
        if (!Shown(drawing.header, text.layer))
            continue;
        const int x1 = map.X(text.x1), y1 = map.Y(text.y1);
        const int x2 = map.X(text.x2), y2 = map.Y(text.y2);
        if (baseLines) {
            budget.Charge(DrawSegment(canvas, x1, y1, x2, y2));
            continue;
        }
        budget.Charge(DrawBudget::kTextWork);
        DrawFittedText(canvas, x1, y1, x2, y2, drawing.strings[k], h0, JwcColors[kText]);
    }
}

// The records stop where the budget of the call is spent; the frame is always drawn. Records on hidden
// layers cost a step of the budget too, so that no file of them keeps the call busy.
void Paint(Canvas& canvas, const TRect& rect, int flags, const JwcDrawing& drawing) {
    const SheetMap map(rect);
    const JwcHeader& header = drawing.header;
    RecordPen pen(canvas, JwcColors, (flags & kJwcAuxLines) != 0, true);
    DrawBudget budget(rect);

    for (const TJwcLine& line : drawing.lines) {
        if (budget.Spent())
            break;
        pen.Use(line.color, line.lineType);
        budget.Charge(1);
        if (Shown(header, line.layer))
            budget.Charge(
                DrawSegment(canvas, map.X(line.x1), map.Y(line.y1), map.X(line.x2), map.Y(line.y2)));
    }

    const float aspect = map.sy / map.sx;
    for (const TJwcArc& arc : drawing.arcs) {
        if (budget.Spent())
            break;
        budget.Charge(1);
        pen.Use(arc.color, arc.lineType);
        if (!Shown(header, arc.layer))
            continue;
        const auto radius = static_cast<float>(ToDevice(double{arc.radius} * map.sx));
        DrawArc(canvas, static_cast<float>(map.X(arc.cx)), static_cast<float>(map.Y(arc.cy)), radius,
                static_cast<float>(arc.startAngle / 65536.0), static_cast<float>(arc.endAngle / 65536.0),
                static_cast<float>(arc.flatness / 10000.0), static_cast<float>(arc.tilt / 65536.0), aspect,
                budget);
    }

    // Colour bytes beyond the palette draw black.
    for (const TJwcPoint& point : drawing.points) {
        if (budget.Spent())
            break;
        budget.Charge(1);
        if (Shown(header, point.layer))
            canvas.SetPixel(map.X(point.x), map.Y(point.y),
                            point.color < JwcColors.size() ? JwcColors[point.color] : 0);
    }

    if (flags & kJwcText)
        DrawTexts(canvas, map, drawing, flags, budget);
    if (flags & kJwcBorder)
        DrawFrame(canvas, rect, JwcColors[kBorder]);
}

bool IsJwcFileBytes(FileBytes& file) {
    return file.IsOpen() && IsJwcData(file.Prefix(kRecognitionBytes));
}

// Reads no more than the header announces, and nothing at all when the file is too short to hold it:
// a count in the header never decides how much is allocated.
JwcDrawing ReadJwcFileEntities(FileBytes& file, const JwcHeader& header) {
    const std::uint64_t needed = JwcEntityEnd(header);
    if (file.Size() < needed)
        throw ReadError();
    return ReadJwcEntities(file.Prefix(static_cast<std::size_t>(needed)), header);
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
    FillBackground(canvas, rect, JwcColors[kBack]);
    const JwcDrawing drawing = readEntities(header);
    Paint(canvas, rect, flags, drawing);
    return 0;
}

} // namespace

int DrawJwcData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                TJwcInfo& info) {
    return Draw(
        canvas, rect, flags, info, IsJwcData(data),
        [&](TJwcInfo& i) {
            RefuseTooLarge(data.size());
            return ReadJwcHeader(data, i);
        },
        [&](const JwcHeader& header) { return ReadJwcEntities(data, header); });
}

int DrawJwc(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            TJwcInfo& info) {
    FileBytes file(fileName);
    return Draw(
        canvas, rect, flags, info, IsJwcFileBytes(file),
        [&](TJwcInfo& i) {
            RefuseTooLarge(file.Size());
            return ReadJwcHeader(file.Prefix(kJwcHeaderSize), i);
        },
        [&](const JwcHeader& header) { return ReadJwcFileEntities(file, header); });
}

int CheckJwc(const std::filesystem::path& fileName, FileStamp* stamp) {
    FileBytes file(fileName);
    if (stamp)
        *stamp = file.Stamp();
    if (!IsJwcFileBytes(file))
        return -1;
    RefuseTooLarge(file.Size());
    TJwcInfo info;
    ReadJwcFileEntities(file, ReadJwcHeader(file.Prefix(kJwcHeaderSize), info));
    return 0;
}

} // namespace plavik
