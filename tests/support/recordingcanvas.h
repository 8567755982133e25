// A canvas for tests that draws nothing and logs every call, so that primitives and renderers can be
// checked call by call.
//
// What it logs, in order, in `calls`:
//   MoveTo   to = the new pen position
//   LineTo   from = pen position before, to = end point, pen = the pen in force
//   FillRect rect, brush = the brush in force
//   SetPixel to = the pixel, color
//   TextOut  to = the reference point, text, font = the font in force, brush = the brush in force
//   SetPen / SetBrush / SetFont: pen / brush / font = the new value (logged even when unchanged)
// Every entry also carries the pen, brush and font in force after the call.
//
// Fake text metrics, so that tests can predict layouts: with h = |font height| (12 when the height is 0),
// TextHeight = h and TextWidth = bytes * h / 2 (integer division), whatever the escapement.
//
// Device caps: LOGPIXELSX/Y 96, PHYSICALWIDTH/HEIGHT 1000, offsets 0 until set with SetDeviceCap.
// Bounds: {-10000, -10000, 10000, 10000} until set with SetBounds.
#pragma once

#include "render/canvas.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace plavik::test {

enum class CallKind { MoveTo, LineTo, FillRect, SetPixel, TextOut, SetPen, SetBrush, SetFont };

struct CanvasCall {
    CallKind kind = CallKind::MoveTo;
    TPoint from;      // LineTo: the pen position before the call
    TPoint to;        // MoveTo, LineTo: end point; SetPixel, TextOut: the point
    TRect rect;       // FillRect
    COLORREF color{}; // SetPixel
    std::string text; // TextOut
    Pen pen;
    Brush brush;
    Font font;
};

// One LineTo: from the pen position to the end point (end excluded, as on Windows) with its pen.
struct Segment {
    TPoint from;
    TPoint to;
    Pen pen;
    friend bool operator==(const Segment&, const Segment&) = default;
};

class RecordingCanvas : public Canvas {
public:
    RecordingCanvas();

    std::vector<CanvasCall> calls;

    // When set, TextOut / SetFont throw std::runtime_error before logging (to test error handling).
    bool throwOnTextOut = false;
    bool throwOnSetFont = false;

    void SetDeviceCap(DeviceCap cap, int value) { caps_[cap] = value; }
    void SetBounds(const TRect& r) { bounds_ = r; }
    // Forgets the log; the pen, brush, font and pen position stay.
    void ClearLog() { calls.clear(); }

    // The calls of one kind, in order.
    std::vector<CanvasCall> CallsOf(CallKind kind) const;
    // Every LineTo as a segment, in order (zero-length ones included).
    std::vector<Segment> Segments() const;
    // Every LineTo of non-zero length, as from/to pairs, pen left out.
    std::vector<std::pair<TPoint, TPoint>> DrawnSegments() const;
    // The end points of every MoveTo and LineTo, in order.
    std::vector<TPoint> PenPath() const;
    // Every TextOut, in order.
    std::vector<CanvasCall> Texts() const { return CallsOf(CallKind::TextOut); }

    void SetPen(const Pen& pen) override;
    void SetBrush(const Brush& brush) override;
    void SetFont(const Font& font) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void FillRect(const TRect& r) override;
    void SetPixel(int x, int y, COLORREF color) override;
    void TextOut(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    int GetDeviceCaps(DeviceCap cap) const override;
    TRect Bounds() const override { return bounds_; }

private:
    CanvasCall& Log(CallKind kind);

    std::map<DeviceCap, int> caps_;
    TRect bounds_{-10000, -10000, 10000, 10000};
};

} // namespace plavik::test
