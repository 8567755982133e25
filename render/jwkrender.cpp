#include "render/bytes.h"
#include "render/card.h"
#include "render/drawsteps.h"
#include "render/errors.h"
#include "render/helpers.h"
#include "render/jtool.h"
#include "render/jwk.h"
#include "render/jwkreader.h"
#include "render/numbers.h"
#include "render/palette.h"
#include "render/sectionwalk.h"

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

// Where the sections and the text pool lie in a file of size bytes.
struct JwkLayout {
    std::uint64_t lines, arcs, points, texts, pool, poolEnd;

    JwkLayout(const JwkHeader& h, std::uint64_t size)
        : lines(kJwkHeaderSize),
          arcs(lines + std::uint64_t{kJwkLineSize} * static_cast<std::uint32_t>(h.lineCount)),
          points(arcs + std::uint64_t{kJwkArcSize} * static_cast<std::uint32_t>(h.arcCount)),
          texts(points + std::uint64_t{kJwkPointSize} * static_cast<std::uint32_t>(h.pointCount)),
          pool(texts + std::uint64_t{kJwkTextSize} * static_cast<std::uint32_t>(h.textCount)),
          poolEnd(h.textCount > 0
                      ? pool + std::min<std::uint64_t>(size - std::min(size, pool), kJwkMaxTextPool)
                      : pool) {}
};

// Throws ReadError when a count is negative or the file cannot hold the sections its counts announce.
void RequireSections(const JwkHeader& header, std::uint64_t size) {
    if (size < kJwkHeaderSize + JwkSectionBytes(header))
        throw ReadError();
}

// Everything after the background, read from the file's bytes as far as the drawing gets: lines,
// arcs, points, texts, reference mark, frame. The records stop where the budget of the call is spent;
// the reference mark and the frame are always drawn.
void DrawFigure(Canvas& canvas, const JwkHeader& header, const BytesAt& bytes, std::uint64_t size,
                const TRect& rect, int flags, const Palette& palette) {
    RequireSections(header, size);
    const JwkLayout at(header, size);
    const BoxMapping map(rect, header);
    RecordPen pen(canvas, palette, (flags & kJwkAuxLines) != 0, false);
    DrawBudget budget(rect);

    EachRecord(bytes, at.lines, static_cast<std::uint32_t>(header.lineCount), kJwkLineSize, budget,
               ReadJwkLine, [&](const TJwkLine& line) {
                   pen.Use(line.color, line.lineType);
                   budget.Charge(
                       DrawSegment(canvas, map.X(line.x1), map.Y(line.y1), map.X(line.x2), map.Y(line.y2)));
               });

    EachRecord(bytes, at.arcs, static_cast<std::uint32_t>(header.arcCount), kJwkArcSize, budget, ReadJwkArc,
               [&](const TJwkArc& arc) {
                   budget.Charge(1);
                   pen.Use(arc.color, arc.lineType);
                   // The radius is measured on the x scale; the y scale enters through the aspect.
                   const int radius = Round(static_cast<double>(arc.radius) * header.scale * map.Sx());
                   DrawArc(canvas, static_cast<float>(map.X(arc.cx)), static_cast<float>(map.Y(arc.cy)),
                           static_cast<float>(radius), static_cast<float>(arc.startAngle / 65536.0),
                           static_cast<float>(arc.endAngle / 65536.0),
                           static_cast<float>(arc.flatness / 10000.0), static_cast<float>(arc.tilt / 65536.0),
                           map.Aspect(), budget);
               });

    // Points index the whole palette; numbers beyond it draw black.
    EachRecord(bytes, at.points, static_cast<std::uint32_t>(header.pointCount), kJwkPointSize, budget,
               ReadJwkPoint, [&](const TJwkPoint& point) {
                   canvas.SetPixel(map.X(point.x), map.Y(point.y),
                                   point.color < palette.size() ? palette[point.color] : 0);
                   budget.Charge(DrawBudget::kPointWork);
               });

    if (flags & kJwkText) {
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.SetPen({palette[kText], PenStyle::Solid, canvas.GetPen().width});
        const int h0 = canvas.GetFont().height;
        PoolStrings strings(bytes, at.pool, at.poolEnd);
        EachRecord(bytes, at.texts, static_cast<std::uint32_t>(header.textCount), kJwkTextSize, budget,
                   ReadJwkText, [&](const TJwkText& t) {
                       budget.Charge(DrawBudget::kTextWork);
                       DrawFittedText(canvas, map.X(t.x1), map.Y(t.y1), map.X(t.x2), map.Y(t.y2),
                                      strings.Next(ShownBytes(canvas)), h0, palette[kText]);
                   });
    }

    // A circle of 3 pixels about the reference point, in the line type the records left selected.
    if (flags & kJwkRefPoint) {
        canvas.SetPenColor(palette[kPos]);
        const float cx =
            static_cast<float>(rect.left + Round(static_cast<double>(header.originX) * map.Sx()));
        const float cy = static_cast<float>(
            rect.top + Round(rect.Height() - static_cast<double>(header.originY) * map.Sy()));
        DrawArc(canvas, cx, cy, 3.0f, 0.0f, 0.0f, 1.0f, 0.0f, map.Aspect());
    }

    if (flags & kJwkBorder)
        DrawFrame(canvas, rect, palette[kBorder]);
}

bool IsJwkFileBytes(FileBytes& file) {
    return file.IsOpen() && IsJwkData(file.Prefix(kRecognitionBytes));
}

int DrawCard(Canvas& canvas, const TRect& rect) {
    FontGuard font(canvas);
    DrawNotFileCard(canvas, rect, kNotJwkFile);
    return -1;
}

} // namespace

int DrawJwkData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                const Palette& palette) {
    if (!IsJwkData(data))
        return DrawCard(canvas, rect);
    RefuseTooLarge(data.size());
    const JwkHeader header = ReadJwkHeader(data); // fails before the canvas is touched
    FontGuard font(canvas);
    FillBackground(canvas, rect, palette[kBack]);
    const BytesAt bytes = BytesIn(data);
    DrawFigure(canvas, header, bytes, data.size(), rect, flags, palette);
    return 0;
}

int DrawJwk(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            const Palette& palette) {
    FileBytes file(fileName);
    if (!IsJwkFileBytes(file))
        return DrawCard(canvas, rect);
    RefuseTooLarge(file.Size());
    const JwkHeader header = ReadJwkHeader(file.Prefix(kJwkHeaderSize)); // fails before the canvas is touched
    FontGuard font(canvas);
    FillBackground(canvas, rect, palette[kBack]);
    // Only as much of the file is read as the drawing gets to.
    const BytesAt bytes = [&](std::uint64_t offset, std::size_t n) { return file.At(offset, n); };
    DrawFigure(canvas, header, bytes, file.Size(), rect, flags, palette);
    return 0;
}

// The records hold no field that can fail to read: the sizes decide, and nothing but the header needs
// to be read.
int CheckJwk(FileBytes& file) {
    if (!IsJwkFileBytes(file))
        return -1;
    RefuseTooLarge(file.Size());
    RequireSections(ReadJwkHeader(file.Prefix(kJwkHeaderSize)), file.Size());
    return 0;
}

int CheckJwk(const std::filesystem::path& fileName) {
    FileBytes file(fileName);
    return CheckJwk(file);
}

} // namespace plavik
