#include "platform/systemcolors.h"

#include <algorithm>
#include <cstring>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

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

namespace {

constexpr std::align_val_t kBlockAlignment{PackedArena::kBlockBytes};

// A block aligned to its size, so that the system can back it with huge pages.
std::shared_ptr<std::uint8_t> NewBlock() {
    auto* block = static_cast<std::uint8_t*>(::operator new(PackedArena::kBlockBytes, kBlockAlignment));
#ifdef MADV_HUGEPAGE
    madvise(block, PackedArena::kBlockBytes, MADV_HUGEPAGE); // only advice: the block works without
#endif
    return {block, [](std::uint8_t* p) { ::operator delete(p, kBlockAlignment); }};
}

std::shared_ptr<std::uint8_t> OwnBytes(std::size_t bytes) {
    return {new std::uint8_t[std::max<std::size_t>(bytes, 1)], std::default_delete<std::uint8_t[]>()};
}

} // namespace

std::shared_ptr<std::uint8_t> PackedArena::Allocate(std::size_t bytes) {
    if (bytes > kBlockBytes / 8)
        return OwnBytes(bytes);
    bytes = (bytes + 15) & ~std::size_t{15};
    std::lock_guard lock(mutex_);
    if (used_ + bytes > size_) {
        const bool first = size_ == 0 && spare_.empty(); // a short list takes a small block
        block_ = first ? OwnBytes(kFirstBlockBytes) : TakeBlockLocked();
        size_ = first ? kFirstBlockBytes : kBlockBytes;
        used_ = 0;
    }
    std::shared_ptr<std::uint8_t> part(block_, block_.get() + used_);
    used_ += bytes;
    return part;
}

std::shared_ptr<std::uint8_t> PackedArena::TakeBlock() {
    std::lock_guard lock(mutex_);
    return TakeBlockLocked();
}

std::shared_ptr<std::uint8_t> PackedArena::TakeBlockLocked() {
    if (spare_.empty())
        return NewBlock();
    std::shared_ptr<std::uint8_t> block = std::move(spare_.back());
    spare_.pop_back();
    return block;
}

void PackedArena::GiveBack(std::shared_ptr<std::uint8_t> block) {
    std::lock_guard lock(mutex_);
    spare_.push_back(std::move(block));
}

Packed16Image Packed16Image::FromImage(const QImage& source, PackedArena* arena) {
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
    const std::size_t bytes = out.byteCount();
    out.bits_ = arena ? arena->Allocate(bytes) : OwnBytes(bytes); // every byte is written below

    // Thumbnails hold few distinct colours: a small table keyed by colour remembers their nearest
    // system colours (a colour pushed out is merely looked up again), and runs of eight pixels of
    // one colour skip even that. Every key has its alpha set, so 0 marks an empty slot.
    constexpr int kSlotBits = 6;
    std::array<QRgb, 1 << kSlotBits> keys{};
    std::array<std::uint8_t, 1 << kSlotBits> values{};
    const auto index = [&](QRgb pixel) {
        const QRgb c = pixel | 0xFF000000u;
        const std::size_t slot = (c * 0x9E3779B1u) >> (32 - kSlotBits);
        if (keys[slot] != c) {
            keys[slot] = c;
            values[slot] = static_cast<std::uint8_t>(NearestSystemColor(c));
        }
        return values[slot];
    };
    const auto pack = [&](const QRgb* pixels) {
        return static_cast<std::uint8_t>(index(pixels[0]) << 4 | index(pixels[1]));
    };
    // A run is of the colour that ended the last group of eight pixels that was not one, held twice
    // over in a 64-bit word.
    std::uint64_t runPair = 0;
    std::uint8_t runByte = 0;
    const auto startRun = [&](QRgb pixel) {
        runPair = std::uint64_t{pixel} << 32 | pixel;
        runByte = static_cast<std::uint8_t>(index(pixel) * 0x11);
    };
    startRun(reinterpret_cast<const QRgb*>(image.constScanLine(0))[0]);
    const int pairs = out.width_ / 2;
    for (int y = 0; y < out.height_; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* row =
            out.bits_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.stride_);
        int i = 0;
        for (; i + 4 <= pairs; i += 4) {
            std::uint64_t words[4];
            std::memcpy(words, line + 2 * i, sizeof words);
            if (((words[0] ^ runPair) | (words[1] ^ runPair) | (words[2] ^ runPair) | (words[3] ^ runPair)) ==
                0) {
                std::memset(row + i, runByte, 4);
                continue;
            }
            for (int k = i; k < i + 4; ++k)
                row[k] = pack(line + 2 * k);
            startRun(line[2 * i + 7]);
        }
        for (; i < pairs; ++i)
            row[i] = pack(line + 2 * i);
        if (out.width_ % 2 != 0)
            row[pairs] = static_cast<std::uint8_t>(index(line[out.width_ - 1]) << 4);
    }
    return out;
}

int Packed16Image::pixelIndex(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return -1;
    const std::uint8_t b = bits_.get()[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_) +
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
