// The canvas of thumbnails, the preview and the command line: pixels of a QImage, drawn with the
// exact pixels of a Windows bitmap canvas.
#pragma once

#include "platform/canvastext.h"
#include "render/canvas.h"

#include <QImage>

#include <memory>

class QPainter;

namespace plavik {

// Lines, pixels and rectangles are written straight into the image's scan lines; only text goes
// through QPainter, one painter from the first text until the canvas is destroyed. The raster painter
// draws at once, so the image shows every text as soon as it is drawn.
class RasterCanvas : public Canvas {
public:
    // Draws on `image`, which the caller owns and keeps alive as long as the canvas; meanwhile the
    // caller neither replaces it nor paints on it with a painter of its own (reading and copying it
    // are fine). An image in a format other than 32-bit RGB is converted to Format_RGB32 first.
    explicit RasterCanvas(QImage& image);
    ~RasterCanvas() override;
    RasterCanvas(const RasterCanvas&) = delete;
    RasterCanvas& operator=(const RasterCanvas&) = delete;

    // The resolution reported as LOGPIXELSX / LOGPIXELSY (96 until set); values below 1 are ignored.
    void SetLogPixels(int x, int y);

    void LineTo(int x, int y) override;
    void FillRect(const TRect& r) override;
    void SetPixel(int x, int y, COLORREF color) override;
    void TextOut(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    int GetDeviceCaps(DeviceCap cap) const override;
    TRect Bounds() const override;

private:
    // Fills the pixels of [left, right) x [top, bottom) that lie inside the image.
    void Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, QRgb color);

    QImage& image_;
    TRect bounds_;         // the image's, which the caller keeps as it is
    qsizetype stride_ = 0; // bytes per scan line
    int dpiX_ = 96;
    int dpiY_ = 96;
    CanvasText text_;
    std::unique_ptr<QPainter> painter_; // begun at the first text
};

} // namespace plavik
