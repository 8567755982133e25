// What the reader of figure (.jws) and drawing (.jww) files keeps for the renderer: the header fields
// it needs and flat lists of entities in paper millimetres.
#pragma once

#include "render/jww.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plavik {

enum class JwwShape : std::uint8_t { Line, Arc, Point, Text, Solid, Block };

// One entity as it is drawn. Dimensions arrive as their line and their text; temporary points and
// entities with a number that is not finite or beyond kJwwMaxCoordinate are left out.
struct JwwEntity {
    JwwShape shape = JwwShape::Line;
    std::uint8_t style = 1;            // line type; solids of 101 and more are round
    std::uint8_t layer = 0, group = 0; // 0..15
    std::uint16_t color = 1;           // pen number; 10 on a solid: rgb holds its colour
    std::uint32_t extra = 0;           // arc: full-circle flag; solid: RGB; block: definition number;
                                       // text: offset of its bytes in the text pool
    std::uint32_t textSize = 0;        // text: bytes in the pool
    // Line: x1 y1 x2 y2. Arc: cx cy r start sweep tilt flatness (radians). Point: x y.
    // Text: x1 y1 x2 y2 height angle (degrees). Solid: p0 .. p3, or for round ones centre, radius,
    // flatness, tilt, start, sweep, kind or inner radius. Block: x y scale-x scale-y rotation (radians).
    double v[8] = {};
};

// A block definition: its entities are blockEntities[first, first + count).
struct JwwBlockDef {
    std::uint32_t number = 0;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

struct JwwDocument {
    JwwKind kind = JwwKind::Figure;
    std::uint32_t version = 0;
    // Figures.
    double refX = 0, refY = 0;
    std::array<double, 4> box{};
    // Drawings.
    std::string memo;
    std::uint32_t paper = 0;
    std::array<std::uint16_t, 16> shown{}; // bit l of shown[g]: group g and its layer l are both shown

    std::vector<JwwEntity> entities;      // the top-level list
    std::vector<JwwEntity> blockEntities; // the entities of every definition, definition after definition
    std::vector<JwwBlockDef> blocks;      // sorted by number; the first of equal numbers comes first
    std::string textPool;                 // the bytes of every text, code page 932
    std::vector<std::pair<std::uint32_t, std::uint32_t>> topTexts; // pool offset and size, top-level texts

    int lines = 0, arcs = 0, points = 0, texts = 0, solids = 0, references = 0, dimensions = 0;
    int definitions = 0;
    bool complete = true;

    bool Shown(const JwwEntity& e) const {
        return kind == JwwKind::Figure || (shown[e.group] >> e.layer & 1) != 0;
    }
    std::string_view Text(const JwwEntity& e) const {
        return std::string_view(textPool).substr(e.extra, e.textSize);
    }
    // The definition of that number, or nullptr.
    const JwwBlockDef* Definition(std::uint32_t number) const;
};

// Coordinates, sizes and angles beyond this are taken for corruption.
inline constexpr double kJwwMaxCoordinate = 1e12;
// The longest string read (bytes; UTF-16 strings count two per code unit).
inline constexpr std::size_t kJwwMaxStringBytes = std::size_t{64} << 10;
// Figure header size: the entity list starts here.
inline constexpr std::size_t kJwsHeaderSize = 452;

// Reads a recognised file of the kind (the caller checked IsJwsData or IsJwwData). Throws ReadError
// when the header cannot be read; a stream that fails after it leaves what was read, complete false.
JwwDocument ReadJwwDocument(std::span<const std::uint8_t> data, JwwKind kind);

// The version a recognised file of the kind announces.
std::uint32_t JwwVersionOf(std::span<const std::uint8_t> data, JwwKind kind);

// The info the draw and check calls hand back for a document.
void FillJwwInfo(const JwwDocument& doc, JwwInfo& info);

} // namespace plavik
