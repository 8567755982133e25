// Thumbnails as 16-colour images: the 16 standard system colours, four bits a pixel.
#pragma once

#include <QImage>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace plavik {

// Black, maroon, green, olive, navy, purple, teal, silver, grey, red, lime, yellow, blue, fuchsia,
// aqua, white: the order of the Windows 16-colour palette.
const std::array<QRgb, 16>& SystemColors();

// Index of the system colour nearest to c (squared distance in RGB; ties to the lower index).
int NearestSystemColor(QRgb c);

// Memory for the packed images of a whole listing, handed out from blocks of 2 MiB that the system
// may back with huge pages: thousands of thumbnails then cost a few page faults instead of one per
// 4 KiB, which on some machines is most of the cost of keeping them. The first block is a small one
// of ordinary pages, so that a small folder holds no more, and the first screen never waits for the
// system to gather a huge page. A block is freed when the last image in it is. Safe to use from
// several threads at once.
class PackedArena {
public:
    static constexpr std::size_t kFirstBlockBytes = std::size_t{256} << 10;
    static constexpr std::size_t kBlockBytes = std::size_t{2} << 20;
    // bytes of memory (not cleared), shared with the block they lie in; a request of more than an
    // eighth of a block gets memory of its own.
    std::shared_ptr<std::uint8_t> Allocate(std::size_t bytes);
    // A block of kBlockBytes for other use: one given back when there is one, else a new one.
    std::shared_ptr<std::uint8_t> TakeBlock();
    // Takes back a block from TakeBlock that nothing else holds any more; later images are packed into
    // it, so that memory used for something else before is used again rather than grown.
    void GiveBack(std::shared_ptr<std::uint8_t> block);

private:
    std::shared_ptr<std::uint8_t> TakeBlockLocked();

    std::mutex mutex_;
    std::vector<std::shared_ptr<std::uint8_t>> spare_; // blocks given back
    std::shared_ptr<std::uint8_t> block_;              // the block being handed out
    std::size_t size_ = 0;                             // its bytes
    std::size_t used_ = 0;
};

// An image held at four bits a pixel over the system colours.
class Packed16Image {
public:
    Packed16Image() = default;
    // Maps every pixel of image (any format) to its nearest system colour; the packed pixels are
    // taken from arena when one is given.
    static Packed16Image FromImage(const QImage& image, PackedArena* arena = nullptr);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isNull() const { return width_ <= 0 || height_ <= 0; }
    int pixelIndex(int x, int y) const;
    // An 8-bit indexed image with the 16-entry system colour table.
    QImage ToImage() const;
    std::size_t byteCount() const {
        return static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_);
    }

private:
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;                     // bytes per row: two pixels a byte, high nibble first
    std::shared_ptr<std::uint8_t> bits_; // stride_ x height_ bytes, never written once packed
};

} // namespace plavik
