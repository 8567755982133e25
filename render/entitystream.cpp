#include "render/entitystream.h"

#include "render/budget.h"
#include "render/bytecursor.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwcreader.h"
#include "render/jwk.h"
#include "render/jwkreader.h"
#include "render/jww.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace plavik {

namespace {

constexpr double kRadian = std::numbers::pi / 180;
// The tallest texts of the old formats, in their units, about as their renderer draws texts in a
// list's pictures: a fortieth of a .jwc sheet's height, a thirtieth of a .jwk figure's box.
constexpr double kJwcTextHeight = 9;
constexpr double kJwkTextHeight = 3;
// Top-level entities of today's formats held in memory for the walks of an export; a file of more is
// read again at each walk.
constexpr std::uint64_t kKeptTopLevel = 250'000;

// Angles as the old formats' arcs store them (degrees x 65536), brought to the stream's: an end of 0
// or equal to the start is a whole turn, as their renderer draws it.
template <typename Arc> JwwEntity OldArc(const Arc& arc) {
    JwwEntity e;
    e.shape = JwwShape::Arc;
    e.style = arc.lineType;
    e.color = arc.color;
    double start = arc.startAngle / 65536.0, end = arc.endAngle / 65536.0;
    if (end == 0)
        end = 360;
    if (end < start)
        end += 360;
    if (end == start) {
        start = 0;
        end = 360;
        e.extra = 1;
    }
    e.v[0] = arc.cx;
    e.v[1] = arc.cy;
    e.v[2] = arc.radius;
    e.v[3] = start * kRadian;
    e.v[4] = (end - start) * kRadian;
    e.v[5] = arc.tilt / 65536.0 * kRadian;
    e.v[6] = arc.flatness > 0 ? arc.flatness / 10000.0 : 1;
    return e;
}

JwwEntity OldLine(double x1, double y1, double x2, double y2, std::uint8_t lineType, std::uint8_t color) {
    JwwEntity e;
    e.shape = JwwShape::Line;
    e.style = lineType;
    e.color = color;
    e.v[0] = x1;
    e.v[1] = y1;
    e.v[2] = x2;
    e.v[3] = y2;
    return e;
}

JwwEntity OldPoint(double x, double y, std::uint8_t color) {
    JwwEntity e;
    e.shape = JwwShape::Point;
    e.color = color;
    e.v[0] = x;
    e.v[1] = y;
    return e;
}

// A text on its base line, its string appended to the pool. The old formats store no height: their
// texts are as tall as fits their string on the base line, each byte half a character wide, but no
// taller than most, and then end where their characters end.
JwwEntity OldText(double x1, double y1, double x2, double y2, const std::string& text, double most,
                  std::string& pool) {
    JwwEntity e;
    e.shape = JwwShape::Text;
    e.v[0] = x1;
    e.v[1] = y1;
    e.v[2] = x2;
    e.v[3] = y2;
    const double length = std::hypot(x2 - x1, y2 - y1);
    const double bytes = static_cast<double>(std::max<std::size_t>(text.size(), 1));
    e.v[4] = std::min(2 * length / bytes, most);
    if (e.v[4] < 2 * length / bytes) {
        const double k = bytes / 2 * e.v[4] / length;
        e.v[2] = x1 + (x2 - x1) * k;
        e.v[3] = y1 + (y2 - y1) * k;
    }
    e.v[5] = length > 0 ? std::atan2(y2 - y1, x2 - x1) / kRadian : 0;
    e.extra = static_cast<std::uint32_t>(pool.size());
    e.textSize = static_cast<std::uint32_t>(text.size());
    pool += text;
    return e;
}

void Layer(JwwEntity& e, std::uint8_t layer) {
    e.group = static_cast<std::uint8_t>(layer >> 4);
    e.layer = static_cast<std::uint8_t>(layer & 15);
}

bool Finite(const JwwEntity& e) {
    for (const double v : e.v)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

EntityStream::EntityStream(EntityStream&&) noexcept = default;
EntityStream& EntityStream::operator=(EntityStream&&) noexcept = default;
EntityStream::~EntityStream() = default;

std::optional<EntityStream> EntityStream::Open(FileBytes& file) {
    const FormatRow* row = file.IsOpen() ? RowOfContent(file.Prefix(kRecognitionPrefix)) : nullptr;
    if (!row)
        return std::nullopt;
    EntityStream s;
    s.format_ = row->format;
    s.sourceBytes_ = file.Size();
    JwwDocument& doc = s.doc_;
    switch (row->format) {
    case FileFormat::Jws:
    case FileFormat::Jww: {
        ByteCursor cursor(file);
        JwwKeep keep;
        keep.members = static_cast<std::uint64_t>(DrawBudget::Largest().Left());
        keep.topLevel = kKeptTopLevel;
        doc = ReadJwwDocument(cursor, row->format == FileFormat::Jws ? JwwKind::Figure : JwwKind::Drawing, keep);
        s.file_ = &file;
        break;
    }
    case FileFormat::Jwk: {
        RefuseTooLarge(file.Size());
        JwkFigure figure;
        figure.header = ReadJwkHeader(file.Prefix(kJwkHeaderSize));
        const std::uint64_t needed = std::min<std::uint64_t>(JwkBytesNeeded(figure.header), file.Size());
        ReadJwkBody(figure.header, file.Prefix(static_cast<std::size_t>(needed)), figure);
        doc.kind = JwwKind::Figure;
        s.held_.reserve(figure.lines.size() + figure.arcs.size() + figure.points.size() + figure.texts.size());
        for (const TJwkLine& l : figure.lines)
            s.held_.push_back(OldLine(l.x1, l.y1, l.x2, l.y2, l.lineType, l.color));
        for (const TJwkArc& a : figure.arcs)
            s.held_.push_back(OldArc(a));
        for (const TJwkPoint& p : figure.points)
            s.held_.push_back(OldPoint(p.x, p.y, p.color));
        for (std::size_t i = 0; i < figure.texts.size(); ++i) {
            const TJwkText& t = figure.texts[i];
            s.held_.push_back(OldText(t.x1, t.y1, t.x2, t.y2, figure.strings[i], kJwkTextHeight, doc.textPool));
        }
        doc.lines = static_cast<int>(figure.lines.size());
        doc.arcs = static_cast<int>(figure.arcs.size());
        doc.points = static_cast<int>(figure.points.size());
        doc.texts = static_cast<int>(figure.texts.size());
        break;
    }
    case FileFormat::Jwc: {
        RefuseTooLarge(file.Size());
        const JwcHeader header = ReadJwcHeader(file.Prefix(kJwcHeaderSize));
        const std::uint64_t end = JwcEntityEnd(header);
        if (end > file.Size())
            throw ReadError();
        const JwcDrawing drawing = ReadJwcEntities(file.Prefix(static_cast<std::size_t>(end)), header);
        doc.kind = JwwKind::Drawing;
        doc.memo = header.comment;
        for (std::size_t i = 0; i < header.layerFlags.size(); ++i)
            if (header.layerFlags[i] == 1)
                doc.shown[i >> 4] = static_cast<std::uint16_t>(doc.shown[i >> 4] | 1u << (i & 15));
        s.held_.reserve(drawing.lines.size() + drawing.arcs.size() + drawing.points.size() +
                        drawing.texts.size());
        for (const TJwcLine& l : drawing.lines) {
            s.held_.push_back(OldLine(l.x1, l.y1, l.x2, l.y2, l.lineType, l.color));
            Layer(s.held_.back(), l.layer);
        }
        for (const TJwcArc& a : drawing.arcs) {
            s.held_.push_back(OldArc(a));
            Layer(s.held_.back(), a.layer);
        }
        for (std::size_t i = 0; i < drawing.texts.size(); ++i) {
            const TJwcText& t = drawing.texts[i];
            s.held_.push_back(OldText(t.x1, t.y1, t.x2, t.y2, drawing.strings[i], kJwcTextHeight, doc.textPool));
            Layer(s.held_.back(), t.layer);
        }
        for (const TJwcPoint& p : drawing.points) {
            s.held_.push_back(OldPoint(p.x, p.y, p.color));
            Layer(s.held_.back(), p.layer);
        }
        doc.lines = static_cast<int>(drawing.lines.size());
        doc.arcs = static_cast<int>(drawing.arcs.size());
        doc.points = static_cast<int>(drawing.points.size());
        doc.texts = static_cast<int>(drawing.texts.size());
        break;
    }
    }
    // Records of numbers that are not finite draw nothing, as in today's formats.
    std::erase_if(s.held_, [](const JwwEntity& e) { return !Finite(e); });
    return s;
}

void EntityStream::ForEach(const std::function<bool(const JwwEntity&)>& visit) {
    if (file_) {
        ForEachJwwEntity(ByteCursor(*file_), doc_, visit);
        return;
    }
    for (const JwwEntity& e : held_)
        if (!visit(e))
            return;
}

Box EntityStream::Sheet() const {
    Box sheet;
    if (format_ == FileFormat::Jwc) {
        sheet.Add(DPoint{0, 0});
        sheet.Add(DPoint{kJwcSheetWidth, kJwcSheetHeight});
    } else if (format_ == FileFormat::Jww && doc_.paper < 5) {
        const double w = kJwwSheets[doc_.paper][0] / 2, h = kJwwSheets[doc_.paper][1] / 2;
        sheet.Add(DPoint{-w, -h});
        sheet.Add(DPoint{w, h});
    }
    return sheet;
}

} // namespace plavik
