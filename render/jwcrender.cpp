// Drawing a jw_cad drawing file into a rectangle: the sheet of 518 x 366 units stretched over it, or
// what is drawn fitted into it, black on white, shown layers only.
#include "render/card.h"
#include "render/contentextent.h"
#include "render/drawsteps.h"
#include "render/errors.h"
#include "render/helpers.h"
#include "render/jtool.h"
#include "render/jwc.h"
#include "render/jwcreader.h"
#include "render/numbers.h"
#include "render/palette.h"
#include "render/sectionwalk.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

namespace plavik {

namespace {

constexpr double kSheetWidth = 518;
constexpr double kSheetHeight = 366;
constexpr int kJwcAuxLineType = 9;

// Sheet units to device pixels: x to the right from the left edge, y up from the bottom edge. The
// sheet is stretched over the rectangle; a fitted box keeps its proportion, its centre at the
// rectangle's centre.
struct SheetMap {
    TRect rect;
    float sx, sy;
    double ox = 0, oy = 0;       // the sheet point at the device offsets below
    double left = 0, bottom = 0; // device offsets of that point from the rectangle's left and top

    explicit SheetMap(const TRect& r)
        : rect(r), sx(static_cast<float>(r.Width() / kSheetWidth)),
          sy(static_cast<float>(r.Height() / kSheetHeight)), bottom(r.Height()) {}

    // The box scaled by min((W - 1) / bw, (H - 1) / bh), as the .jww drawings are fitted; a side of 0
    // takes the other's scale.
    SheetMap(const TRect& r, const Box& box) : SheetMap(r) {
        const double w = static_cast<double>(r.Width()) - 1, h = static_cast<double>(r.Height()) - 1;
        const double bw = box.maxX - box.minX, bh = box.maxY - box.minY;
        const double s = std::max(0.0, bw > 0 && bh > 0 ? std::min(w / bw, h / bh)
                                       : bw > 0         ? w / bw
                                                        : h / bh);
        sx = sy = static_cast<float>(s);
        ox = (box.minX + box.maxX) / 2;
        oy = (box.minY + box.maxY) / 2;
        left = w / 2;
        bottom = h / 2;
    }

    int X(float x) const { return ToDevice(rect.left + left + static_cast<double>(ToDevice((x - ox) * sx))); }
    int Y(float y) const {
        return ToDevice(static_cast<double>(rect.top) + bottom - ToDevice((y - oy) * sy));
    }
};

bool Shown(const JwcHeader& header, std::uint8_t layer) {
    return header.layerFlags[layer] == 1;
}

// What the records on shown layers draw with these flags, under ContentExtent's rule: the lines and
// arcs first, then the points and the texts' base lines.
Box Content(int flags, const JwcHeader& header, const JwcLayout& at, const BytesAt& bytes) {
    ContentExtent extent;
    const bool aux = (flags & kJwcAuxLines) != 0;
    const auto drawn = [&](std::uint8_t layer, std::uint8_t lineType) {
        return Shown(header, layer) && (aux || lineType != kJwcAuxLineType);
    };
    DrawBudget budget = DrawBudget::Largest();
    EachRecord(bytes, at.lines, static_cast<std::size_t>(header.lineCount), kJwcLineSize, budget, ReadJwcLine,
               [&](const TJwcLine& line) {
                   if (drawn(line.layer, line.lineType)) {
                       extent.AddStroke(DPoint{line.x1, line.y1});
                       extent.AddStroke(DPoint{line.x2, line.y2});
                   }
               });
    EachRecord(bytes, at.arcs, static_cast<std::size_t>(header.arcCount), kJwcArcSize, budget, ReadJwcArc,
               [&](const TJwcArc& arc) {
                   if (!drawn(arc.layer, arc.lineType) || arc.radius == 0)
                       return;
                   // Angles as DrawArc takes them: degrees, an end of 0 or equal to the start a whole turn.
                   double start = arc.startAngle / 65536.0, end = arc.endAngle / 65536.0;
                   if (end == 0)
                       end = 360;
                   if (end < start)
                       end += 360;
                   if (end == start)
                       start = 0, end = 360;
                   const double flatness = arc.flatness > 0 ? arc.flatness / 10000.0 : 1;
                   constexpr double kRadian = std::numbers::pi / 180;
                   extent.AddStroke(ArcOf(arc.cx, arc.cy, arc.radius, flatness, arc.tilt / 65536.0 * kRadian,
                                          start * kRadian, (end - start) * kRadian));
               });
    extent.StartMarks();
    EachRecord(bytes, at.points, static_cast<std::size_t>(header.pointCount), kJwcPointSize, budget,
               ReadJwcPoint, [&](const TJwcPoint& point) {
                   if (Shown(header, point.layer))
                       extent.AddPoint(DPoint{point.x, point.y});
               });
    if (flags & kJwcText)
        EachRecord(bytes, at.texts, static_cast<std::size_t>(header.textCount), kJwcTextSize, budget,
                   ReadJwcText, [&](const TJwcText& text) {
                       if (Shown(header, text.layer))
                           extent.AddText(DPoint{text.x1, text.y1}, DPoint{text.x2, text.y2});
                   });
    return extent.Result();
}

// The sheet, or with kJwcFitContent what is drawn; a drawing of nothing, or of one spot, keeps its
// sheet.
SheetMap MapOf(const TRect& rect, int flags, const JwcHeader& header, const JwcLayout& at,
               const BytesAt& bytes) {
    if (flags & kJwcFitContent) {
        const Box box = Content(flags, header, at, bytes);
        if (!box.Empty() && (box.maxX > box.minX || box.maxY > box.minY))
            return SheetMap(rect, box);
    }
    return SheetMap(rect);
}

// Everything after the background, read from the file's bytes as far as the drawing gets. The records
// stop where the budget of the call is spent; the frame is always drawn. Records on hidden layers cost
// a step of the budget too, so that no file of them keeps the call busy. Throws ReadError, before
// anything is drawn, when the file is too short for the entity blocks the header announces.
void Paint(Canvas& canvas, const TRect& rect, int flags, const JwcHeader& header, const BytesAt& bytes,
           std::uint64_t size) {
    const JwcLayout at(header);
    if (at.end > size)
        throw ReadError();
    const SheetMap map = MapOf(rect, flags, header, at, bytes);
    RecordPen pen(canvas, JwcColors, (flags & kJwcAuxLines) != 0, true);
    DrawBudget budget(rect);

    EachRecord(bytes, at.lines, static_cast<std::size_t>(header.lineCount), kJwcLineSize, budget, ReadJwcLine,
               [&](const TJwcLine& line) {
                   pen.Use(line.color, line.lineType);
                   budget.Charge(1);
                   if (Shown(header, line.layer))
                       budget.Charge(DrawSegment(canvas, map.X(line.x1), map.Y(line.y1), map.X(line.x2),
                                                 map.Y(line.y2)));
               });

    const float aspect = map.sy / map.sx;
    EachRecord(bytes, at.arcs, static_cast<std::size_t>(header.arcCount), kJwcArcSize, budget, ReadJwcArc,
               [&](const TJwcArc& arc) {
                   budget.Charge(1);
                   pen.Use(arc.color, arc.lineType);
                   if (!Shown(header, arc.layer))
                       return;
                   const auto radius = static_cast<float>(ToDevice(double{arc.radius} * map.sx));
                   DrawArc(canvas, static_cast<float>(map.X(arc.cx)), static_cast<float>(map.Y(arc.cy)),
                           radius, static_cast<float>(arc.startAngle / 65536.0),
                           static_cast<float>(arc.endAngle / 65536.0),
                           static_cast<float>(arc.flatness / 10000.0), static_cast<float>(arc.tilt / 65536.0),
                           aspect, budget);
               });

    // Colour bytes beyond the palette draw black.
    EachRecord(bytes, at.points, static_cast<std::size_t>(header.pointCount), kJwcPointSize, budget,
               ReadJwcPoint, [&](const TJwcPoint& point) {
                   budget.Charge(DrawBudget::kPointWork);
                   if (Shown(header, point.layer))
                       canvas.SetPixel(map.X(point.x), map.Y(point.y),
                                       point.color < JwcColors.size() ? JwcColors[point.color] : 0);
               });

    if (flags & kJwcText) {
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.SetPen({JwcColors[kText], PenStyle::Solid, canvas.GetPen().width});
        const bool baseLines = (flags & kJwcBaseLines) != 0;
        const int h0 = canvas.GetFont().height;
        PoolStrings strings(bytes, at.pool, at.points);
        EachRecord(bytes, at.texts, static_cast<std::size_t>(header.textCount), kJwcTextSize, budget,
                   ReadJwcText, [&](const TJwcText& text) {
                       budget.Charge(1);
                       // Hidden texts still take their string from the pool.
                       const std::string_view string =
                           baseLines ? std::string_view{} : strings.Next(ShownBytes(canvas));
                       if (!Shown(header, text.layer))
                           return;
                       const int x1 = map.X(text.x1), y1 = map.Y(text.y1);
                       const int x2 = map.X(text.x2), y2 = map.Y(text.y2);
                       // A text whose record holds no string keeps its base line.
                       if (baseLines || string.empty()) {
                           budget.Charge(DrawSegment(canvas, x1, y1, x2, y2));
                           return;
                       }
                       budget.Charge(DrawBudget::kTextWork);
                       DrawFittedText(canvas, x1, y1, x2, y2, string, h0, JwcColors[kText]);
                   });
    }
    if (flags & kJwcBorder)
        DrawFrame(canvas, rect, JwcColors[kBorder]);
}

bool IsJwcFileBytes(FileBytes& file) {
    return file.IsOpen() && IsJwcData(file.Prefix(kRecognitionBytes));
}

// The steps shared by the file and the byte entry points; bytes reads the file's bytes as far as they
// are needed, size is all of them. The caller's font is given back on every path out.
template <typename Head>
int Draw(Canvas& canvas, const TRect& rect, int flags, TJwcInfo& info, const LayerMask* layers,
         bool recognised, Head readHeader, const BytesAt& bytes, std::uint64_t size) {
    const FontGuard guard(canvas);
    info = TJwcInfo{};
    if (!recognised) {
        DrawNotFileCard(canvas, rect, "Not JWC File");
        return -1;
    }
    JwcHeader header = readHeader(info);
    if (layers)
        for (std::size_t i = 0; i < header.layerFlags.size(); ++i)
            header.layerFlags[i] = LayerShown(*layers, static_cast<unsigned>(i / 16), i % 16) ? 1 : 0;
    FillBackground(canvas, rect, JwcColors[kBack]);
    Paint(canvas, rect, flags, header, bytes, size);
    return 0;
}

} // namespace

int DrawJwcData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                TJwcInfo& info, const LayerMask* layers) {
    return Draw(
        canvas, rect, flags, info, layers, IsJwcData(data),
        [&](TJwcInfo& i) {
            RefuseTooLarge(data.size());
            return ReadJwcHeader(data, i);
        },
        BytesIn(data), data.size());
}

int DrawJwc(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            TJwcInfo& info, const LayerMask* layers) {
    FileBytes file(fileName);
    return Draw(
        canvas, rect, flags, info, layers, IsJwcFileBytes(file),
        [&](TJwcInfo& i) {
            RefuseTooLarge(file.Size());
            return ReadJwcHeader(file.Prefix(kJwcHeaderSize), i);
        },
        [&](std::uint64_t offset, std::size_t n) { return file.At(offset, n); }, file.Size());
}

int CheckJwc(const std::filesystem::path& fileName) {
    FileBytes file(fileName);
    return CheckJwc(file);
}

int CheckJwc(FileBytes& file) {
    if (!IsJwcFileBytes(file))
        return -1;
    RefuseTooLarge(file.Size());
    // The records hold no field that can fail to read: the sizes decide.
    TJwcInfo info;
    if (JwcLayout(ReadJwcHeader(file.Prefix(kJwcHeaderSize), info)).end > file.Size())
        throw ReadError();
    return 0;
}

} // namespace plavik
