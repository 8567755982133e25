#include "support/recordingcanvas.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace plavik::test {

RecordingCanvas::RecordingCanvas() {
    caps_[DeviceCap::LogPixelsX] = 96;
    caps_[DeviceCap::LogPixelsY] = 96;
    caps_[DeviceCap::PhysicalWidth] = 1000;
    caps_[DeviceCap::PhysicalHeight] = 1000;
    caps_[DeviceCap::PhysicalOffsetX] = 0;
    caps_[DeviceCap::PhysicalOffsetY] = 0;
}

CanvasCall& RecordingCanvas::Log(CallKind kind) {
    CanvasCall& c = calls.emplace_back();
    c.kind = kind;
    c.pen = GetPen();
    c.brush = GetBrush();
    c.font = GetFont();
    return c;
}

std::vector<CanvasCall> RecordingCanvas::CallsOf(CallKind kind) const {
    std::vector<CanvasCall> out;
    for (const CanvasCall& c : calls)
        if (c.kind == kind)
            out.push_back(c);
    return out;
}

std::vector<Segment> RecordingCanvas::Segments() const {
    std::vector<Segment> out;
    for (const CanvasCall& c : calls)
        if (c.kind == CallKind::LineTo)
            out.push_back({c.from, c.to, c.pen});
    return out;
}

std::vector<std::pair<TPoint, TPoint>> RecordingCanvas::DrawnSegments() const {
    std::vector<std::pair<TPoint, TPoint>> out;
    for (const CanvasCall& c : calls)
        if (c.kind == CallKind::LineTo && !(c.from == c.to))
            out.emplace_back(c.from, c.to);
    return out;
}

std::vector<TPoint> RecordingCanvas::PenPath() const {
    std::vector<TPoint> out;
    for (const CanvasCall& c : calls)
        if (c.kind == CallKind::MoveTo || c.kind == CallKind::LineTo)
            out.push_back(c.to);
    return out;
}

void RecordingCanvas::SetPen(const Pen& pen) {
    Canvas::SetPen(pen);
    Log(CallKind::SetPen);
}

void RecordingCanvas::SetBrush(const Brush& brush) {
    Canvas::SetBrush(brush);
    Log(CallKind::SetBrush);
}

void RecordingCanvas::SetFont(const Font& font) {
    if (throwOnSetFont)
        throw std::runtime_error("font cannot be created");
    Canvas::SetFont(font);
    Log(CallKind::SetFont);
}

void RecordingCanvas::MoveTo(int x, int y) {
    Canvas::MoveTo(x, y);
    Log(CallKind::MoveTo).to = {x, y};
}

void RecordingCanvas::LineTo(int x, int y) {
    CanvasCall& c = Log(CallKind::LineTo);
    c.from = PenPos();
    c.to = {x, y};
    SetPenPosition({x, y});
}

void RecordingCanvas::FillRect(const TRect& r) {
    Log(CallKind::FillRect).rect = r;
}

void RecordingCanvas::SetPixel(int x, int y, COLORREF color) {
    CanvasCall& c = Log(CallKind::SetPixel);
    c.to = {x, y};
    c.color = color;
}

void RecordingCanvas::TextOut(int x, int y, std::string_view text) {
    if (throwOnTextOut)
        throw std::runtime_error("text cannot be drawn");
    CanvasCall& c = Log(CallKind::TextOut);
    c.to = {x, y};
    c.text = std::string(text);
}

int RecordingCanvas::TextHeight(std::string_view) {
    const long long h = std::llabs(static_cast<long long>(GetFont().height));
    return h == 0 ? 12 : static_cast<int>(std::min(h, 1LL << 29));
}

int RecordingCanvas::TextWidth(std::string_view text) {
    const long long w = static_cast<long long>(text.size()) * TextHeight(text) / 2;
    return static_cast<int>(std::min(w, 1LL << 30));
}

int RecordingCanvas::GetDeviceCaps(DeviceCap cap) const {
    auto it = caps_.find(cap);
    return it == caps_.end() ? 0 : it->second;
}

} // namespace plavik::test
