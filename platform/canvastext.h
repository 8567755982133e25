// What both Qt canvases share: colours, and text in a logical font drawn with QPainter.
#pragma once

#include "render/canvas.h"

#include <QColor>
#include <QFont>

#include <string_view>

class QPainter;
class QPaintDevice;

namespace plavik {

// A Windows colour (0x00BBGGRR) as an opaque Qt colour.
inline QRgb ToQRgb(COLORREF c) {
    return qRgb(static_cast<int>(c & 0xFFu), static_cast<int>((c >> 8) & 0xFFu),
                static_cast<int>((c >> 16) & 0xFFu));
}

// Text in the canvas's logical font. Keeps the Qt font of the last logical font, since resolving a
// cell height measures the font and the renderers draw many texts in one font.
class CanvasText {
public:
    // Advance width of the code page 932 text.
    int Width(const Font& font, int dpi, const QPaintDevice* device, std::string_view text);
    // Cell height (ascent + descent) of the font, as the Windows text extent gives it.
    int Height(const Font& font, int dpi, const QPaintDevice* device);
    // Draws the text with its top-left corner at (x, y), turned counter-clockwise about that point by
    // the font's escapement, on an opaque box of the brush colour when the brush is solid.
    void Draw(QPainter& painter, const Font& font, int dpi, const Brush& brush, int x, int y,
              std::string_view text);

private:
    const QFont& Resolve(const Font& font, int dpi, const QPaintDevice* device);

    bool valid_ = false;
    Font key_;
    int keyDpi_ = 0;
    const QPaintDevice* keyDevice_ = nullptr;
    QFont font_;
};

} // namespace plavik
