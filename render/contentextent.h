// The box a drawing is fitted to when it shows what is drawn on it rather than its whole sheet.
#pragma once

#include "render/jwwgeometry.h"

namespace plavik {

// jw_cad keeps its own setting records as texts that start exactly here.
inline constexpr DPoint kSettingRecordAt{0, -1000};

// Strokes (lines, arcs, solids) make the box. Marks (points, texts' base lines) widen it only when
// they lie within a margin of half its longer side, so that a few strays sheets away do not shrink the
// drawing to a dot; with no strokes at all every mark counts. A text that starts exactly at
// kSettingRecordAt never counts. Points that are not finite are left out. The strokes are given
// first, all of them, then the marks.
class ContentExtent {
public:
    void AddStroke(DPoint p);
    void AddStroke(const EllipseArc& arc);
    // Ends the strokes: the marks that follow are measured against their box.
    void StartMarks();
    void AddPoint(DPoint p);
    void AddText(DPoint start, DPoint end);

    // The box to fit; empty when nothing counted.
    const Box& Result() const { return box_; }

private:
    bool Near(DPoint p) const;

    Box strokes_;
    Box box_;
    double margin_ = 0;
    bool anyStroke_ = false;
};

} // namespace plavik
