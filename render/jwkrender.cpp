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

void DrawTexts(Canvas& canvas, const JwkFigure& figure, const BoxMapping& map, const Palette& palette,
               DrawBudget& budget) {
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetPen({palette[kText], PenStyle::Solid, canvas.GetPen().width});
    const int h0 = canvas.GetFont().height;
    for (std::size_t i = 0; i < figure.texts.size() && !budget.Spent(); ++i) {
        budget.Charge(DrawBudget::kTextWork);
        const TJwkText& t = figure.texts[i];
        const std::string_view text = i < figure.strings.size() ? figure.strings[i] : std::string_view{};
        DrawFittedText(canvas, map.X(t.x1), map.Y(t.y1), map.X(t.x2), map.Y(t.y2), text, h0, palette[kText]);
    }
}

// Everything after the background: lines, arcs, points, texts, reference mark, frame. The records stop
// where the budget of the call is spent; the reference mark and the frame are always drawn.
void DrawFigure(Canvas& canvas, const JwkFigure& figure, const TRect& rect, int flags,
                const Palette& palette) {
    const BoxMapping map(rect, figure.header);
    RecordPen pen(canvas, palette, (flags & kJwkAuxLines) != 0, false);
    DrawBudget budget(rect);

    for (const TJwkLine& line : figure.lines) {
        if (budget.Spent())
            break;
        pen.Use(line.color, line.lineType);
        budget.Charge(DrawSegment(canvas, map.X(line.x1), map.Y(line.y1), map.X(line.x2), map.Y(line.y2)));
    }

    for (const TJwkArc& arc : figure.arcs) {
        if (budget.Spent())
            break;
        budget.Charge(1);
        pen.Use(arc.color, arc.lineType);
        // The radius is measured on the x scale; the y scale enters through the aspect.
        const int radius = Round(static_cast<double>(arc.radius) * figure.header.scale * map.Sx());
        DrawArc(canvas, static_cast<float>(map.X(arc.cx)), static_cast<float>(map.Y(arc.cy)),
                static_cast<float>(radius), static_cast<float>(arc.startAngle / 65536.0),
                static_cast<float>(arc.endAngle / 65536.0), static_cast<float>(arc.flatness / 10000.0),
                static_cast<float>(arc.tilt / 65536.0), map.Aspect(), budget);
    }

    // Points index the whole palette; numbers beyond it draw black.
    for (const TJwkPoint& point : figure.points) {
        if (budget.Spent())
            break;
        canvas.SetPixel(map.X(point.x), map.Y(point.y),
                        point.color < palette.size() ? palette[point.color] : 0);
        budget.Charge(1);
    }

    if (flags & kJwkText)
        DrawTexts(canvas, figure, map, palette, budget);

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

bool IsJwkFileBytes(FileBytes& file) {
    return file.IsOpen() && IsJwkData(file.Prefix(kRecognitionBytes));
}

// Reads no more of the file than the sections and the capped text pool need, and nothing at all when
// the file cannot hold the sections its counts announce.
void ReadJwkFileBody(FileBytes& file, JwkFigure& figure) {
    if (file.Size() < kJwkHeaderSize + JwkSectionBytes(figure.header))
        throw ReadError();
    ReadJwkBody(figure.header, file.Prefix(static_cast<std::size_t>(JwkBytesNeeded(figure.header))), figure);
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
    JwkFigure figure;
    figure.header = ReadJwkHeader(data); // fails before the canvas is touched
    FontGuard font(canvas);
    FillBackground(canvas, rect, palette[kBack]);
    ReadJwkBody(figure.header, data, figure);
    DrawFigure(canvas, figure, rect, flags, palette);
    return 0;
}

int DrawJwk(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            const Palette& palette) {
    FileBytes file(fileName);
    if (!IsJwkFileBytes(file))
        return DrawCard(canvas, rect);
    RefuseTooLarge(file.Size());
    JwkFigure figure;
    figure.header = ReadJwkHeader(file.Prefix(kJwkHeaderSize)); // fails before the canvas is touched
    FontGuard font(canvas);
    FillBackground(canvas, rect, palette[kBack]);
    ReadJwkFileBody(file, figure);
    DrawFigure(canvas, figure, rect, flags, palette);
    return 0;
}

int CheckJwk(const std::filesystem::path& fileName, FileStamp* stamp) {
    FileBytes file(fileName);
    if (stamp)
        *stamp = file.Stamp();
    if (!IsJwkFileBytes(file))
        return -1;
    RefuseTooLarge(file.Size());
    JwkFigure figure;
    figure.header = ReadJwkHeader(file.Prefix(kJwkHeaderSize));
    ReadJwkFileBody(file, figure);
    return 0;
}

} // namespace plavik
