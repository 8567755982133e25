// A stream's shown entities as the vector outputs draw them: strokes, fills, points and texts in paper
// millimetres, blocks placed, on the layer of the top-level entity that placed them.
#pragma once

#include "render/canvas.h"
#include "render/entitystream.h"
#include "render/jwwgeometry.h"

#include <QString>

#include <vector>

namespace plavik {

// One character of a text written top to bottom.
struct VectorGlyph {
    DPoint base;       // the start of its own base line
    double height = 0; // millimetres
    QString text;
};

struct VectorText {
    DPoint base;         // the base line's start
    double angle = 0;    // degrees, counter-clockwise
    double height = 0;   // millimetres
    double length = 0;   // the base line's length; 0 when not known
    QString text;
    QString font;        // the file's font name; empty when not known
    // A text written top to bottom: its characters one by one, each upright, written at angle. Empty
    // for a text written along its base line.
    std::vector<VectorGlyph> glyphs;
};

class VectorSink {
public:
    virtual ~VectorSink() = default;
    // The layer of what follows.
    virtual void Layer(int group, int layer) = 0;
    virtual void Line(DPoint a, DPoint b, int lineType, int pen) = 0;
    virtual void Arc(const EllipseArc& arc, int lineType, int pen) = 0;
    virtual void Point(DPoint p, int pen) = 0;
    virtual void Text(const VectorText& text) = 0;
    // Rings filled together (even-odd), in colour (0x00BBGGRR).
    virtual void Fill(const std::vector<std::vector<DPoint>>& rings, COLORREF color) = 0;
    // True once the sink takes nothing more.
    virtual bool Full() const = 0;
};

// Hands the sink what the stream shows, in file order. jw_cad's setting records are left out.
void WalkVectors(EntityStream& stream, VectorSink& sink);

// The page of a vector output: the drawing's sheet, or the box of what is shown (a little wider) when
// it has none; a box of 1 x 1 when nothing is shown.
Box PageOf(EntityStream& stream);

// Points of an arc along its sweep, at most 1/72 of a turn apart.
std::vector<DPoint> ArcChords(const EllipseArc& arc);

} // namespace plavik
