// Drawing figure (.jws) and drawing (.jww) files into a rectangle: the fit, the background, the
// entities with their blocks, the reference mark and the frame; and the file entry points.
#include "render/card.h"
#include "render/contentextent.h"
#include "render/drawsteps.h"
#include "render/entitystream.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/jww.h"
#include "render/jwwdocument.h"
#include "render/jwwpaint.h"

#include <algorithm>
#include <cmath>

namespace plavik {

namespace {

bool Sane(double v) {
    return std::fabs(v) <= kJwwMaxCoordinate;
}

// Adds what each visited entity would draw with every option on.
class ExtentVisit {
public:
    Box box;

    std::int64_t operator()(const JwwEntity& e, const Affine& m) {
        const double* v = e.v;
        switch (e.shape) {
        case JwwShape::Line:
        case JwwShape::Text:
            Add(m.Apply({v[0], v[1]}));
            Add(m.Apply({v[2], v[3]}));
            break;
        case JwwShape::Arc:
            if (const double sweep = DrawnSweep(v[4], e.extra != 0); sweep != 0)
                Add(ArcOf(v[0], v[1], v[2], v[6], v[5], v[3], sweep).Mapped(m));
            break;
        case JwwShape::Point:
            Add(m.Apply({v[0], v[1]}));
            break;
        case JwwShape::Solid:
            AddSolid(e, m);
            break;
        case JwwShape::Block:
            break;
        }
        return 0;
    }

private:
    void Add(DPoint p) {
        if (std::isfinite(p.x) && std::isfinite(p.y))
            box.Add(p);
    }
    void Add(const EllipseArc& arc) {
        Box part;
        part.Add(arc);
        if (std::isfinite(part.minX) && std::isfinite(part.minY) && std::isfinite(part.maxX) &&
            std::isfinite(part.maxY)) {
            box.Add(DPoint{part.minX, part.minY});
            box.Add(DPoint{part.maxX, part.maxY});
        }
    }
    void AddSolid(const JwwEntity& e, const Affine& m) {
        struct Outline {
            ExtentVisit& box;
            void Corner(DPoint c) { box.Add(c); }
            void Arc(const EllipseArc& arc) { box.Add(arc); }
            void EndRing() {}
        } outline{*this};
        WalkSolidOutline(e, m, outline);
    }
};

// Feeds a drawing's shown entities to a ContentExtent, as they are drawn with the options: the
// strokes in the first walk, the marks in the second.
class ContentVisit {
public:
    ContentExtent extent;
    bool marks = false;

    explicit ContentVisit(const PaintOptions& options) : options_(options) {}

    std::int64_t operator()(const JwwEntity& e, const Affine& m) {
        const double* v = e.v;
        const bool aux = e.style == kJwwAuxLineType && !options_.auxLines;
        switch (e.shape) {
        case JwwShape::Line:
            if (!marks && !aux) {
                extent.AddStroke(m.Apply({v[0], v[1]}));
                extent.AddStroke(m.Apply({v[2], v[3]}));
            }
            break;
        case JwwShape::Arc:
            if (!marks && !aux)
                if (const double sweep = DrawnSweep(v[4], e.extra != 0); sweep != 0)
                    extent.AddStroke(ArcOf(v[0], v[1], v[2], v[6], v[5], v[3], sweep).Mapped(m));
            break;
        case JwwShape::Solid:
            if (!marks) {
                struct Outline {
                    ContentExtent& extent;
                    void Corner(DPoint c) { extent.AddStroke(c); }
                    void Arc(const EllipseArc& arc) { extent.AddStroke(arc); }
                    void EndRing() {}
                } outline{extent};
                WalkSolidOutline(e, m, outline);
            }
            break;
        case JwwShape::Point:
            if (marks)
                extent.AddPoint(m.Apply({v[0], v[1]}));
            break;
        case JwwShape::Text:
            if (marks && options_.texts)
                extent.AddText(m.Apply({v[0], v[1]}), m.Apply({v[2], v[3]}));
            break;
        case JwwShape::Block:
            break;
        }
        return 0;
    }

private:
    const PaintOptions& options_;
};

DeviceMap MapOf(const ByteCursor& source, JwwDocument& doc, const TRect& rect, const PaintOptions& options,
                int flags) {
    if (doc.kind == JwwKind::Drawing && (flags & kJwcFitContent)) {
        const Box content = JwwContent(source, doc, options);
        // A drawing of nothing, or of one spot, keeps its sheet.
        if (!content.Empty() && (content.maxX > content.minX || content.maxY > content.minY))
            return DeviceMap::Fit(rect, content);
    }
    if (doc.kind == JwwKind::Drawing && doc.paper < 5)
        return DeviceMap::Sheet(rect, kJwwSheets[doc.paper][0], kJwwSheets[doc.paper][1]);
    if (doc.kind == JwwKind::Figure) {
        const auto& b = doc.box;
        const Box stored{b[0], b[1], b[2], b[3]};
        if (!stored.Empty() && std::all_of(b.begin(), b.end(), [](double v) { return Sane(v); }))
            return DeviceMap::Fit(rect, stored);
    }
    return DeviceMap::Fit(rect, JwwExtent(source, doc));
}

TRect Intersect(const TRect& a, const TRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

void Paint(Canvas& canvas, const ByteCursor& source, JwwDocument& doc, const TRect& rect, int flags,
           const Palette& palette) {
    FillBackground(canvas, rect, palette[kBack]);
    const bool figure = doc.kind == JwwKind::Figure;
    PaintOptions options;
    options.palette = &palette;
    options.texts = (flags & (figure ? int{kJwkText} : int{kJwcText})) != 0;
    options.baseLines = !figure && (flags & kJwcBaseLines) != 0;
    options.auxLines = (flags & (figure ? int{kJwkAuxLines} : int{kJwcAuxLines})) != 0;
    if (!figure && (flags & (kJwcScreenPens | kJwcPrinterPens))) {
        options.pens = (flags & kJwcPrinterPens) ? &doc.pens.printer : &doc.pens.screen;
        options.sxfPens = &doc.pens.sxf;
    }
    const DeviceMap map = MapOf(source, doc, rect, options, flags);
    const TRect clip = Intersect(rect, canvas.Bounds());
    JwwPainter painter(canvas, doc, map, clip, options);
    DrawBudget budget(rect);
    EntityWalk<JwwPainter>(doc, painter, budget).Run(source);

    // A circle of 3 pixels about the reference point, as the old figures have it.
    if (figure && (flags & kJwkRefPoint) && Sane(doc.refX) && Sane(doc.refY))
        painter.Mark({doc.refX, doc.refY}, palette[kPos]);
    if (flags & (figure ? int{kJwkBorder} : int{kJwcBorder}))
        DrawFrame(canvas, rect, palette[kBorder]);
}

bool Recognised(std::span<const std::uint8_t> data, JwwKind kind) {
    return kind == JwwKind::Figure ? IsJwsData(data) : IsJwwData(data);
}

// The bytes that recognise a file of the kind.
std::span<const std::uint8_t> Recognition(FileBytes& file, JwwKind kind) {
    if (!file.IsOpen())
        return {};
    return file.Prefix(kind == JwwKind::Figure ? kJwsRecognitionBytes : kJwwRecognitionBytes);
}

// What the file and byte entry points share: recognition from start's bytes, reading through the
// cursor at the file's start and, when draw is true, drawing.
int DrawOrCheck(Canvas* canvas, const TRect& rect, int flags, const Palette& palette, JwwKind kind,
                JwwInfo* info, std::span<const std::uint8_t> start, ByteCursor cursor,
                const LayerMask* layers = nullptr) {
    if (info) {
        const bool withTexts = info->withTexts;
        *info = JwwInfo{};
        info->kind = kind;
        info->withTexts = withTexts;
    }
    if (!Recognised(start, kind)) {
        if (canvas) {
            const FontGuard guard(*canvas);
            DrawNotFileCard(*canvas, rect, kind == JwwKind::Figure ? "Not JWS File" : "Not JWW File");
        }
        return -1;
    }
    if (info)
        info->version = JwwVersionOf(start, kind);
    if (!canvas && !info) {
        ReadJwwHeader(cursor, kind); // only the header decides
        return 0;
    }
    JwwKeep keep;
    keep.topTexts = info && info->withTexts;
    keep.members = canvas ? static_cast<std::uint64_t>(DrawBudget(rect).Left()) : 0;
    keep.topLevel = keep.members; // one read of the file for the fit and the picture alike
    JwwDocument doc = ReadJwwDocument(cursor, kind, keep); // fails before the canvas is touched
    if (info)
        FillJwwInfo(doc, *info);
    if (layers && kind == JwwKind::Drawing)
        doc.shown = *layers;
    if (canvas) {
        const FontGuard guard(*canvas);
        Paint(*canvas, cursor, doc, rect, flags, palette);
    }
    return 0;
}

int DrawOrCheckFile(Canvas* canvas, FileBytes& file, const TRect& rect, int flags, const Palette& palette,
                    JwwKind kind, JwwInfo* info, const LayerMask* layers = nullptr) {
    const auto start = Recognition(file, kind);
    return DrawOrCheck(canvas, rect, flags, palette, kind, info, start, ByteCursor(file), layers);
}

int DrawOrCheckFile(Canvas* canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
                    const Palette& palette, JwwKind kind, JwwInfo* info, FileStamp* stamp = nullptr,
                    const LayerMask* layers = nullptr) {
    FileBytes file(fileName);
    if (stamp)
        *stamp = file.Stamp();
    return DrawOrCheckFile(canvas, file, rect, flags, palette, kind, info, layers);
}

} // namespace

DeviceMap DeviceMap::Fit(const TRect& rect, const Box& box) {
    const double w = static_cast<double>(rect.Width()) - 1, h = static_cast<double>(rect.Height()) - 1;
    const bool empty = box.Empty();
    const double bw = empty ? 0 : box.maxX - box.minX, bh = empty ? 0 : box.maxY - box.minY;
    double s = 1;
    if (bw > 0 && bh > 0)
        s = std::min(w / bw, h / bh);
    else if (bw > 0)
        s = w / bw;
    else if (bh > 0)
        s = h / bh;
    // A rectangle without width or height shows everything at its centre.
    s = std::max(s, 0.0);
    DeviceMap map;
    map.origin_ = {ToDevice(rect.left), ToDevice(rect.top)};
    map.addX_ = w / 2;
    map.addY_ = h / 2;
    map.shiftX_ = empty ? 0 : -((box.minX + box.maxX) / 2);
    map.shiftY_ = empty ? 0 : -((box.minY + box.maxY) / 2);
    map.mulX_ = s;
    map.mulY_ = -s;
    return map;
}

DeviceMap DeviceMap::Sheet(const TRect& rect, double width, double height) {
    DeviceMap map;
    map.origin_ = {ToDevice(rect.left), ToDevice(static_cast<double>(rect.top) + rect.Height())};
    map.addX_ = 0;
    map.addY_ = 0;
    map.shiftX_ = width / 2;
    map.shiftY_ = height / 2;
    map.mulX_ = rect.Width();
    map.mulY_ = -static_cast<double>(rect.Height());
    map.divX_ = width;
    map.divY_ = height;
    return map;
}

Box JwwExtent(const ByteCursor& source, JwwDocument& doc) {
    ExtentVisit visit;
    // As many visits as the largest drawing can make, so that the box holds all that is drawn.
    DrawBudget budget = DrawBudget::Largest();
    EntityWalk<ExtentVisit>(doc, visit, budget).Run(source);
    return visit.box;
}

Box StreamExtent(EntityStream& stream) {
    ExtentVisit visit;
    DrawBudget budget = DrawBudget::Largest();
    EntityWalk<ExtentVisit>(stream.Document(), visit, budget).Run(stream);
    return visit.box;
}

Box JwwContent(const ByteCursor& source, JwwDocument& doc, const PaintOptions& options) {
    ContentVisit visit(options);
    for (const bool marks : {false, true}) {
        if (marks)
            visit.extent.StartMarks();
        visit.marks = marks;
        DrawBudget budget = DrawBudget::Largest();
        EntityWalk<ContentVisit>(doc, visit, budget).Run(source);
    }
    return visit.extent.Result();
}

int DrawJwsData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                const Palette& palette, JwwInfo* info) {
    return DrawOrCheck(&canvas, rect, flags, palette, JwwKind::Figure, info, data, ByteCursor(data));
}

int DrawJws(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            const Palette& palette, JwwInfo* info) {
    return DrawOrCheckFile(&canvas, fileName, rect, flags, palette, JwwKind::Figure, info);
}

int DrawJwwData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                JwwInfo* info, const LayerMask* layers) {
    return DrawOrCheck(&canvas, rect, flags, JwcColors, JwwKind::Drawing, info, data, ByteCursor(data),
                       layers);
}

int DrawJww(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            JwwInfo* info, const LayerMask* layers) {
    return DrawOrCheckFile(&canvas, fileName, rect, flags, JwcColors, JwwKind::Drawing, info, nullptr,
                           layers);
}

bool JwwSheetSize(std::uint32_t paper, double& width, double& height) {
    if (paper >= std::size(kJwwSheets))
        return false;
    width = kJwwSheets[paper][0];
    height = kJwwSheets[paper][1];
    return true;
}

bool ReadJwwSheetSize(std::span<const std::uint8_t> data, double& width, double& height) {
    if (!IsJwwData(data))
        return false;
    ByteCursor cursor(data);
    return JwwSheetSize(ReadJwwHeader(cursor, JwwKind::Drawing).paper, width, height);
}

int CheckJws(const std::filesystem::path& fileName, FileStamp* stamp, JwwInfo* info) {
    return DrawOrCheckFile(nullptr, fileName, {}, 0, kDefaultJwkColors, JwwKind::Figure, info, stamp);
}

int CheckJww(const std::filesystem::path& fileName, FileStamp* stamp, JwwInfo* info) {
    return DrawOrCheckFile(nullptr, fileName, {}, 0, JwcColors, JwwKind::Drawing, info, stamp);
}

int CheckJws(FileBytes& file) {
    return DrawOrCheckFile(nullptr, file, {}, 0, kDefaultJwkColors, JwwKind::Figure, nullptr);
}

int CheckJww(FileBytes& file) {
    return DrawOrCheckFile(nullptr, file, {}, 0, JwcColors, JwwKind::Drawing, nullptr);
}

} // namespace plavik
