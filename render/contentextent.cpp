#include "render/contentextent.h"

#include <algorithm>
#include <cmath>

namespace plavik {

namespace {

bool Finite(DPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

void ContentExtent::AddStroke(DPoint p) {
    if (Finite(p))
        strokes_.Add(p);
}

void ContentExtent::AddStroke(const EllipseArc& arc) {
    Box part;
    part.Add(arc);
    AddStroke(DPoint{part.minX, part.minY});
    AddStroke(DPoint{part.maxX, part.maxY});
}

void ContentExtent::StartMarks() {
    anyStroke_ = !strokes_.Empty();
    box_ = strokes_;
    margin_ = anyStroke_ ? std::max(strokes_.maxX - strokes_.minX, strokes_.maxY - strokes_.minY) / 2 : 0;
}

bool ContentExtent::Near(DPoint p) const {
    if (!Finite(p))
        return false;
    if (!anyStroke_)
        return true;
    return p.x >= strokes_.minX - margin_ && p.x <= strokes_.maxX + margin_ &&
           p.y >= strokes_.minY - margin_ && p.y <= strokes_.maxY + margin_;
}

void ContentExtent::AddPoint(DPoint p) {
    if (Near(p))
        box_.Add(p);
}

void ContentExtent::AddText(DPoint start, DPoint end) {
    if (start.x == kSettingRecordAt.x && start.y == kSettingRecordAt.y)
        return;
    if (Near(start) && Near(end)) {
        box_.Add(start);
        box_.Add(end);
    }
}

} // namespace plavik
