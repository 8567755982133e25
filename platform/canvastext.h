// What both Qt canvases share: colours, and text in a logical font drawn with QPainter.
#pragma once

#include "render/canvas.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>

#include <cstdint>
#include <string_view>
#include <vector>

class QPainter;
class QPaintDevice;

namespace plavik {

// A Windows colour (0x00BBGGRR) as an opaque Qt colour.
inline QRgb ToQRgb(COLORREF c) {
    return qRgb(static_cast<int>(c & 0xFFu), static_cast<int>((c >> 8) & 0xFFu),
                static_cast<int>((c >> 16) & 0xFFu));
}

// Text in the canvas's logical font. Keeps the Qt fonts and metrics of the logical fonts used lately,
// since resolving a cell height measures the font several times, and the renderers draw many texts in
// a few fonts taken in turn (the caller's font, the fitted height, the drawn height): a canvas that
// draws thumbnail after thumbnail meets every height of its size again.
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
    struct Entry {
        Font key; // colour and escapement do not change the Qt font and are left out
        int dpi;
        const QPaintDevice* device;
        QFont font;
        QFontMetrics metrics;
        std::uint64_t lastUse;
    };
    static constexpr std::size_t kEntries = 64;

    // The entry of the font, made first when it is not kept, in place of the one least recently used.
    const Entry& Resolve(const Font& font, int dpi, const QPaintDevice* device);

    std::vector<Entry> entries_;
    std::uint64_t uses_ = 0;
};

} // namespace plavik
