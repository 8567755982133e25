#include "platform/systemcolors.h"

namespace plavik {

const std::array<QRgb, 16>& SystemColors() {
    static const std::array<QRgb, 16> colors = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return colors;
}

int NearestSystemColor(QRgb c) {
    const auto& colors = SystemColors();
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 16; ++i) {
        const int dr = qRed(c) - qRed(colors[i]);
        const int dg = qGreen(c) - qGreen(colors[i]);
        const int db = qBlue(c) - qBlue(colors[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

Packed16Image Packed16Image::FromImage(const QImage& source) {
    Packed16Image out;
    if (source.isNull())
        return out;
    // 32-bit RGB images (every thumbnail) are read in place; anything else is converted first.
    QImage converted;
    if (source.format() != QImage::Format_RGB32)
        converted = source.convertToFormat(QImage::Format_RGB32);
    const QImage& image = converted.isNull() ? source : converted;
    out.width_ = image.width();
    out.height_ = image.height();
    out.stride_ = (out.width_ + 1) / 2;
    out.bits_.assign(static_cast<std::size_t>(out.stride_) * static_cast<std::size_t>(out.height_), 0);

    // Thumbnails hold few distinct colours: a small table keyed by colour remembers their nearest
    // system colours (a colour pushed out is merely looked up again), and runs of one colour skip
    // even that. Every key has its alpha set, so 0 marks an empty slot.
    constexpr int kSlotBits = 6;
    std::array<QRgb, 1 << kSlotBits> keys{};
    std::array<std::uint8_t, 1 << kSlotBits> values{};
    QRgb lastColor = 0xFF000000u;
    std::uint8_t lastIndex = static_cast<std::uint8_t>(NearestSystemColor(lastColor));
    const auto index = [&](QRgb pixel) {
        const QRgb c = pixel | 0xFF000000u;
        if (c != lastColor) {
            const std::size_t slot = (c * 0x9E3779B1u) >> (32 - kSlotBits);
            if (keys[slot] != c) {
                keys[slot] = c;
                values[slot] = static_cast<std::uint8_t>(NearestSystemColor(c));
            }
            lastColor = c;
            lastIndex = values[slot];
        }
        return lastIndex;
    };
    const int pairs = out.width_ / 2;
    for (int y = 0; y < out.height_; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* row =
            out.bits_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.stride_);
        for (int i = 0; i < pairs; ++i) {
            const std::uint8_t high = index(line[2 * i]);
            row[i] = static_cast<std::uint8_t>(high << 4 | index(line[2 * i + 1]));
        }
        if (out.width_ % 2 != 0)
            row[pairs] = static_cast<std::uint8_t>(index(line[out.width_ - 1]) << 4);
    }
    return out;
}

int Packed16Image::pixelIndex(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return -1;
    const std::uint8_t b = bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_) +
                                 static_cast<std::size_t>(x / 2)];
    return (x % 2 == 0) ? b >> 4 : b & 0x0F;
}

QImage Packed16Image::ToImage() const {
    if (isNull())
        return {};
    QImage image(width_, height_, QImage::Format_Indexed8);
    const auto& colors = SystemColors();
    image.setColorTable(QList<QRgb>(colors.begin(), colors.end()));
    for (int y = 0; y < height_; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < width_; ++x)
            line[x] = static_cast<uchar>(pixelIndex(x, y));
    }
    return image;
}

} // namespace plavik
