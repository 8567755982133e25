// Reading jw_cad's codes inside texts: which characters are raised, lowered or laid over another.
#include "render/textcodes.h"

#include "render/codepage.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace plavik {

namespace {

constexpr std::string_view kImagePrefix = "^@BM";

bool IsStyleCode(char c) {
    return c == '!' || c == '/' || c == '_' || c == '-' || c == '#';
}

// A number at the start of text, spaces before it skipped; NaN when there is none.
double NumberAt(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    double value = std::nan("");
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

std::vector<TextPiece> TextPieces(std::string_view text) {
    std::vector<TextPiece> pieces;
    std::size_t plain = 0; // where the current run of plain characters starts
    const auto endPlain = [&](std::size_t at) {
        if (at > plain)
            pieces.push_back({text.substr(plain, at - plain), TextPlace::Normal});
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t width = CharacterBytes(text, i);
        if (width != 1 || text[i] != '^' || i + 1 >= text.size()) {
            i += width;
            continue;
        }
        const char code = text[i + 1];
        const std::size_t next = i + 2;
        if (IsStyleCode(code)) {
            endPlain(i);
            plain = i = next;
            continue;
        }
        TextPlace place = TextPlace::Normal;
        std::size_t count = 1; // characters the code takes
        switch (code) {
        case 'u':
            place = TextPlace::Raised;
            break;
        case 'd':
            place = TextPlace::Lowered;
            break;
        case 'c':
            place = TextPlace::Middle;
            break;
        case 'o':
        case 'b':
        case 'B':
            place = TextPlace::Over;
            break;
        case 'w':
            place = TextPlace::Over;
            count = 2;
            break;
        default:
            break;
        }
        if (place == TextPlace::Normal || next >= text.size()) {
            i += 1; // not a code: the ^ stays
            continue;
        }
        std::size_t end = next;
        for (std::size_t k = 0; k < count && end < text.size(); ++k)
            end += CharacterBytes(text, end);
        endPlain(i);
        pieces.push_back({text.substr(next, end - next), place});
        plain = i = end;
    }
    endPlain(text.size());
    return pieces;
}

std::string ShownText(std::string_view text) {
    if (text.find('^') == std::string_view::npos)
        return std::string(text);
    std::string shown;
    shown.reserve(text.size());
    for (const TextPiece& piece : TextPieces(text))
        shown += piece.bytes;
    return shown;
}

bool IsImagePlacement(std::string_view text) {
    return text.starts_with(kImagePrefix);
}

ImagePlacement ReadImagePlacement(std::string_view text) {
    ImagePlacement image;
    text.remove_prefix(std::min(text.size(), kImagePrefix.size()));
    const std::size_t comma = text.find(',');
    std::string_view path = text.substr(0, comma);
    // The name after the last folder separator; a 0x5C inside a two-byte character is not one.
    std::size_t nameAt = 0;
    for (std::size_t i = 0; i < path.size(); i += CharacterBytes(path, i))
        if (path[i] == '\\' || path[i] == '/')
            nameAt = i + 1;
    image.name = path.substr(nameAt);
    if (comma != std::string_view::npos) {
        const std::string_view sizes = text.substr(comma + 1);
        const std::size_t second = sizes.find(',');
        const double w = NumberAt(sizes);
        const double h = second == std::string_view::npos ? std::nan("") : NumberAt(sizes.substr(second + 1));
        if (std::isfinite(w) && std::isfinite(h) && w > 0 && h > 0) {
            image.width = w;
            image.height = h;
        }
    }
    return image;
}

TextLayout LayOutText(std::string_view text, bool vertical, DPoint base, DPoint end, DPoint up, double height) {
    struct Glyph {
        std::string_view bytes;
        TextPlace place;
        double share;
    };
    std::vector<Glyph> glyphs;
    double total = 0;
    for (const TextPiece& piece : TextPieces(text))
        for (std::size_t i = 0; i < piece.bytes.size();) {
            const std::size_t n = CharacterBytes(piece.bytes, i);
            const double small = piece.place == TextPlace::Normal ? 1.0 : 0.5;
            const double share = piece.place == TextPlace::Over ? 0 : static_cast<double>(n) * small;
            glyphs.push_back({piece.bytes.substr(i, n), piece.place, share});
            total += share;
            i += n;
        }
    TextLayout layout;
    const double length = std::hypot(end.x - base.x, end.y - base.y);
    layout.along = {up.y, -up.x};
    double unit = height / 2;
    if (length > 0) {
        layout.along = {(end.x - base.x) / length, (end.y - base.y) / length};
        unit = total > 0 ? length / total : 0;
    }
    const DPoint along = layout.along;
    layout.across = {-along.y, along.x};
    const DPoint across = layout.across;
    if (total <= 0)
        return layout;
    double s = 0;                    // where the next character starts along the base line
    double lastAt = 0, lastSize = 0; // the last character that took room: its start and its size
    for (const Glyph& g : glyphs) {
        const bool small = g.place != TextPlace::Normal;
        const double size = small ? height / 2 : height;
        const double advance = g.share * unit;
        // An overlay is centred on the character before it.
        const double width = vertical ? size : static_cast<double>(g.bytes.size()) * 0.5 * unit;
        const double from = g.place == TextPlace::Over ? lastAt + (lastSize - width) / 2 : s;
        DPoint corner;
        if (vertical) {
            corner = {base.x + along.x * from - across.x * size / 2, base.y + along.y * from - across.y * size / 2};
        } else {
            double lift = size; // the cell's top above the base line
            if (g.place == TextPlace::Raised)
                lift += height / 2;
            else if (g.place == TextPlace::Lowered)
                lift -= height / 4;
            else if (g.place == TextPlace::Middle || g.place == TextPlace::Over)
                lift += height / 4;
            corner = {base.x + along.x * from + up.x * lift, base.y + along.y * from + up.y * lift};
        }
        const DPoint foot = vertical ? DPoint{corner.x + along.x * size, corner.y + along.y * size}
                                     : DPoint{corner.x - up.x * size, corner.y - up.y * size};
        layout.glyphs.push_back({g.bytes, corner, foot, size, small});
        if (advance > 0) {
            lastAt = s;
            lastSize = advance;
        }
        s += advance;
    }
    return layout;
}

ImageFrame ImageFrameOf(const ImagePlacement& image, DPoint base, DPoint end, DPoint up, double height) {
    const double length = std::hypot(end.x - base.x, end.y - base.y);
    DPoint along{up.y, -up.x};
    if (length > 0)
        along = {(end.x - base.x) / length, (end.y - base.y) / length};
    const double w = image.width > 0 ? image.width : length;
    const double h = image.height > 0 ? image.height : height;
    ImageFrame frame;
    frame.corners = {base, DPoint{base.x + along.x * w, base.y + along.y * w},
                     DPoint{base.x + along.x * w + up.x * h, base.y + along.y * w + up.y * h},
                     DPoint{base.x + up.x * h, base.y + up.y * h}};
    frame.nameHeight = std::min(height, h / 4);
    const double down = frame.nameHeight * 1.1; // a tenth of its height below the frame's top
    frame.nameBase = {frame.corners[3].x - up.x * down, frame.corners[3].y - up.y * down};
    return frame;
}

} // namespace plavik
