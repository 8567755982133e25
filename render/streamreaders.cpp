#include "render/streamreaders.h"

#include "render/budget.h"
#include "render/bytecursor.h"
#include "render/codepage.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwcreader.h"
#include "render/jwk.h"
#include "render/jwkreader.h"
#include "render/jww.h"

#include <algorithm>
#include <cmath>
#include <iterator>
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

// The longest text a stream keeps, in bytes: far beyond any text jw_cad writes, and short enough that a
// file whose text runs on for megabytes costs no more than a long text.
constexpr std::size_t kMostTextBytes = 4096;

// A text on its base line, its string appended to the pool. The old formats store no height: their
// texts are as tall as fits their string on the base line, each byte half a character wide, but no
// taller than most, and then end where their characters end.
JwwEntity OldText(double x1, double y1, double x2, double y2, std::string_view text, double most,
                  std::string& pool) {
    text = text.substr(0, WholeCharacterBytes(text, kMostTextBytes));
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

JwwEntity OnLayer(JwwEntity e, std::uint8_t layer) {
    e.group = static_cast<std::uint8_t>(layer >> 4);
    e.layer = static_cast<std::uint8_t>(layer & 15);
    return e;
}

// Whether the stream may hold one more record; marks it cut when not.
bool Room(StreamContents& out) {
    if (out.held.size() < kMostWalked)
        return true;
    out.cut = true;
    return false;
}

// Holds e when there is room; false when the stream is full.
bool Hold(StreamContents& out, const JwwEntity& e) {
    if (!Room(out))
        return false;
    out.held.push_back(e);
    return true;
}

void ReadTodays(FileBytes& file, JwwKind kind, StreamContents& out) {
    ByteCursor cursor(file);
    JwwKeep keep;
    keep.members = static_cast<std::uint64_t>(DrawBudget::Largest().Left());
    keep.topLevel = kKeptTopLevel;
    out.doc = ReadJwwDocument(cursor, kind, keep);
    out.walkFile = true;
}

} // namespace

void ReadJwsStream(FileBytes& file, StreamContents& out) {
    ReadTodays(file, JwwKind::Figure, out);
}

void ReadJwwStream(FileBytes& file, StreamContents& out) {
    ReadTodays(file, JwwKind::Drawing, out);
    if (out.doc.paper < std::size(kJwwSheets)) {
        const double w = kJwwSheets[out.doc.paper][0] / 2, h = kJwwSheets[out.doc.paper][1] / 2;
        out.sheet.Add(DPoint{-w, -h});
        out.sheet.Add(DPoint{w, h});
    }
}

void ReadJwkStream(FileBytes& file, StreamContents& out) {
    const JwkFigure figure = ReadJwkFigure(file);
    JwwDocument& doc = out.doc;
    doc.kind = JwwKind::Figure;
    doc.lines = static_cast<int>(figure.lines.size());
    doc.arcs = static_cast<int>(figure.arcs.size());
    doc.points = static_cast<int>(figure.points.size());
    doc.texts = static_cast<int>(figure.texts.size());
    out.held.reserve(std::min<std::size_t>(
        figure.lines.size() + figure.arcs.size() + figure.points.size() + figure.texts.size(), kMostWalked));
    for (const TJwkLine& l : figure.lines)
        if (!Hold(out, OldLine(l.x1, l.y1, l.x2, l.y2, l.lineType, l.color)))
            return;
    for (const TJwkArc& a : figure.arcs)
        if (!Hold(out, OldArc(a)))
            return;
    for (const TJwkPoint& p : figure.points)
        if (!Hold(out, OldPoint(p.x, p.y, p.color)))
            return;
    for (std::size_t i = 0; i < figure.texts.size() && Room(out); ++i) {
        const TJwkText& t = figure.texts[i];
        Hold(out, OldText(t.x1, t.y1, t.x2, t.y2, figure.strings[i], kJwkTextHeight, doc.textPool));
    }
}

void ReadJwcStream(FileBytes& file, StreamContents& out) {
    JwcHeader header;
    const JwcDrawing drawing = ReadJwcDrawing(file, header);
    JwwDocument& doc = out.doc;
    doc.kind = JwwKind::Drawing;
    doc.memo = header.comment;
    for (std::size_t i = 0; i < header.layerFlags.size(); ++i)
        if (header.layerFlags[i] == 1)
            doc.shown[i >> 4] = static_cast<std::uint16_t>(doc.shown[i >> 4] | 1u << (i & 15));
    doc.lines = static_cast<int>(drawing.lines.size());
    doc.arcs = static_cast<int>(drawing.arcs.size());
    doc.points = static_cast<int>(drawing.points.size());
    doc.texts = static_cast<int>(drawing.texts.size());
    out.sheet.Add(DPoint{0, 0});
    out.sheet.Add(DPoint{kJwcSheetWidth, kJwcSheetHeight});
    out.held.reserve(std::min<std::size_t>(
        drawing.lines.size() + drawing.arcs.size() + drawing.points.size() + drawing.texts.size(), kMostWalked));
    for (const TJwcLine& l : drawing.lines)
        if (!Hold(out, OnLayer(OldLine(l.x1, l.y1, l.x2, l.y2, l.lineType, l.color), l.layer)))
            return;
    for (const TJwcArc& a : drawing.arcs)
        if (!Hold(out, OnLayer(OldArc(a), a.layer)))
            return;
    for (std::size_t i = 0; i < drawing.texts.size(); ++i) {
        if (!Room(out))
            return;
        const TJwcText& t = drawing.texts[i];
        Hold(out, OnLayer(OldText(t.x1, t.y1, t.x2, t.y2, drawing.strings[i], kJwcTextHeight, doc.textPool), t.layer));
    }
    for (const TJwcPoint& p : drawing.points)
        if (!Hold(out, OnLayer(OldPoint(p.x, p.y, p.color), p.layer)))
            return;
}

} // namespace plavik
