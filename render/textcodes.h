// jw_cad's codes inside a text ("m^u2" is m with a raised 2), and its image placements ("^@BM..."):
// what a text draws once the codes are read. Code page 932 bytes throughout.
#pragma once

#include "render/jwwgeometry.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace plavik {

// Where a piece of a text stands, in cells of the text's height h:
enum class TextPlace {
    Normal,
    Raised,  // ^u: the next character, half size, its foot at h / 2
    Lowered, // ^d: the next character, half size, its foot at -h / 4
    Middle,  // ^c: the next character, half size, its foot at h / 4
    Over,    // ^o, ^w, ^b, ^B: the next character (two half-width ones for ^w) over the one before
};

struct TextPiece {
    std::string_view bytes;
    TextPlace place = TextPlace::Normal;
};

// The pieces of a text in order. ^u ^d ^c place the character after them; ^o ^b ^B lay it over
// the character before them, ^w the two half-width characters after it; ^! ^/ ^_ ^- ^# (bold, italic,
// underline, strike-through, plain) are read and drawn plain. A code not understood, a code with
// nothing after it, and a ^ inside a two-byte character stay as they stand.
std::vector<TextPiece> TextPieces(std::string_view text);
// The characters a text shows, its codes left out: what the search and the exports take.
std::string ShownText(std::string_view text);

// A text laid out character by character (one written top to bottom, or one with codes that place
// characters): each character's cell, as tall as the text (half that for a small one), from the top
// left corner of its cell. The text's base line runs from base to end; up is the text's up (its
// length scales the height, as a block's scale does) and height its height.
struct LaidGlyph {
    std::string_view bytes;
    DPoint corner; // the cell's top-left corner
    DPoint foot;   // where the character's own base line starts: the cell's bottom-left corner
    double size;   // the cell's height
    bool small;
};
struct TextLayout {
    std::vector<LaidGlyph> glyphs;
    // The unit vector along the base line, and the one across it to its left. Written top to bottom,
    // each character stands upright: it is written along across, its up against the writing.
    DPoint along, across;
};
// Each character takes a share of the base line: two cells for a full-width one, one for a half-width
// one, half that when it is small; characters laid over another take none. A base line of no length
// runs the text's own way, half a height a cell. Written top to bottom, the characters are centred on
// the base line.
TextLayout LayOutText(std::string_view text, bool vertical, DPoint base, DPoint end, DPoint up, double height);

// A text that places an image: "^@BM" then the image file's name, and after a comma its width and
// height in millimetres.
struct ImagePlacement {
    std::string_view name;        // the file name without its folders
    double width = 0, height = 0; // 0 when the text does not give them
};
bool IsImagePlacement(std::string_view text);
ImagePlacement ReadImagePlacement(std::string_view text);

// What stands for a placed image: its frame, standing on the text's base line from its start (the
// image's size, or without one the text's own box: the base line long, the text's height high), and
// its name inside the top-left corner, as tall as the text or a quarter of the frame, whichever is
// less. up is the text's up (its length scales the height, as a block's scale does).
struct ImageFrame {
    std::array<DPoint, 4> corners; // from the base line's start, counter-clockwise
    DPoint nameBase;               // the start of the name's base line
    double nameHeight = 0;
};
ImageFrame ImageFrameOf(const ImagePlacement& image, DPoint base, DPoint end, DPoint up, double height);

} // namespace plavik
