// The canvas of printing and PDF output: vector drawing through a QPainter on any paint device.
#pragma once

#include "platform/canvastext.h"
#include "render/canvas.h"

class QPainter;

namespace plavik {

// Lines are drawn with a one-pixel cosmetic pen (wider pens in device pixels), without antialiasing.
// The painter stays the caller's: a print job begins it, starts new pages and ends it.
class PainterCanvas : public Canvas {
public:
    // Draws through `painter`, which must be active and outlive the canvas.
    explicit PainterCanvas(QPainter& painter);

    // For callers that draw with QPainter directly (captions of printed cells).
    QPainter& painter() { return painter_; }

    // Overrides the resolution reported as LOGPIXELSX / LOGPIXELSY; 0 reports the device's again.
    void SetLogPixels(int x, int y);

    void LineTo(int x, int y) override;
    void FillRect(const TRect& r) override;
    void SetPixel(int x, int y, COLORREF color) override;
    void TextOut(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    // Resolution from the device; paper size and the printable area's offset in device pixels for a
    // printer or PDF writer, the device's size and no offset for anything else.
    int GetDeviceCaps(DeviceCap cap) const override;
    TRect Bounds() const override;

private:
    QPainter& painter_;
    int dpiX_ = 0;
    int dpiY_ = 0;
    CanvasText text_;
};

} // namespace plavik
