// The canvas of printing and PDF output: vector drawing through a QPainter on any paint device.
#pragma once

#include "platform/canvastext.h"
#include "render/canvas.h"

#include <QLineF>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <vector>

class QPainter;

namespace plavik {

// Lines are drawn with a one-pixel cosmetic pen (wider pens in device pixels), without antialiasing.
// The painter stays the caller's: a print job begins it, starts new pages and ends it. The canvas
// sets the painter's pen and turns antialiasing off when it draws a line, and gives both back when
// it is destroyed (if the painter is still active).
//
// Within a run of lines (BeginLines .. EndLines) connected lines of one pen are gathered and drawn as
// polylines when the run ends, before anything else the canvas draws and before painter() returns.
class PainterCanvas : public Canvas {
public:
    // Draws through `painter`, which must be active and outlive the canvas.
    explicit PainterCanvas(QPainter& painter);
    ~PainterCanvas() override;
    PainterCanvas(const PainterCanvas&) = delete;
    PainterCanvas& operator=(const PainterCanvas&) = delete;

    // For callers that draw with QPainter directly (captions of printed cells); gathered lines are
    // drawn first.
    QPainter& painter();

    // Overrides the resolution reported as LOGPIXELSX / LOGPIXELSY; 0 reports the device's again.
    void SetLogPixels(int x, int y);
    // Draws every colour as its grey (for a grayscale job on a device that does not convert itself).
    void SetGrayscale(bool on) { grayscale_ = on; }
    // The colour as drawn: itself, or its grey.
    COLORREF Shown(COLORREF color) const;

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
    void BeginLines() override;
    void EndLines() override;

private:
    // Draws the gathered lines.
    void Flush();
    // Makes the painter draw lines with the canvas pen `pen`, without antialiasing.
    void UsePen(const Pen& pen);
    // The part of the painter's coordinates that can reach its device, grown by margin.
    QRectF VisibleArea(double margin);

    QPainter& painter_;
    bool grayscale_ = false;
    int dpiX_ = 0;
    int dpiY_ = 0;
    CanvasText text_;

    // The painter's pen and antialiasing before the canvas first drew a line.
    bool painterTaken_ = false;
    QPen callerPen_;
    bool callerAntialiasing_ = false;
    // The canvas pen last given to the painter, and its Qt form.
    Pen usedPen_;
    QPen usedQPen_;

    // Gathered lines: runs of connected points, all of gatherPen_.
    int runDepth_ = 0;
    Pen gatherPen_;
    std::vector<QPointF> points_;
    std::vector<int> runs_;     // points of each run, in order
    std::vector<QLineF> lines_; // runs of one segment, drawn together

    // VisibleArea without its margin and the transform it was found for; kept within a run of lines.
    bool areaValid_ = false;
    QTransform areaTransform_;
    QRectF area_;
};

} // namespace plavik
