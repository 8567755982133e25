// Thumbnails as 16-colour images: the 16 standard system colours, four bits a pixel.
#pragma once

#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

namespace plavik {

// Black, maroon, green, olive, navy, purple, teal, silver, grey, red, lime, yellow, blue, fuchsia,
// aqua, white: the order of the Windows 16-colour palette.
const std::array<QRgb, 16>& SystemColors();

// Index of the system colour nearest to c (squared distance in RGB; ties to the lower index).
int NearestSystemColor(QRgb c);

// An image held at four bits a pixel over the system colours.
class Packed16Image {
public:
    Packed16Image() = default;
    // Maps every pixel of image (any format) to its nearest system colour.
    static Packed16Image FromImage(const QImage& image);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isNull() const { return width_ <= 0 || height_ <= 0; }
    int pixelIndex(int x, int y) const;
    // An 8-bit indexed image with the 16-entry system colour table.
    QImage ToImage() const;
    std::size_t byteCount() const { return bits_.size(); }

private:
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0; // bytes per row: two pixels a byte, high nibble first
    std::vector<std::uint8_t> bits_;
};

} // namespace plavik
