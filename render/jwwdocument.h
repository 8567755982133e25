// What the reader of figure (.jws) and drawing (.jww) files keeps for the renderer: the header fields
// it needs and the block definitions' entities in paper millimetres. The top-level entities are kept
// too, up to as many as a picture's walk can visit; beyond that they are read again as they are drawn,
// so that a file of millions of them costs no memory for them.
#pragma once

#include "render/bytecursor.h"
#include "render/jww.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plavik {

enum class JwwShape : std::uint8_t { Line, Arc, Point, Text, Solid, Block };

// One entity as it is drawn. Dimensions arrive as their line and their text; temporary points,
// entities with a number that is not finite or beyond kJwwMaxCoordinate, and jw_cad's setting
// records (top-level texts at kSettingRecordAt) are left out.
struct JwwEntity {
    JwwShape shape = JwwShape::Line;
    std::uint8_t style = 1;            // line type; solids of 101 and more are round
    std::uint8_t layer = 0, group = 0; // 0..15
    std::uint16_t color = 1;           // pen number; 10 on a solid: rgb holds its colour
    std::uint8_t fontSize = 0;         // text: bytes of its font name, just before its string in the pool
    bool vertical = false;             // text: written top to bottom (its font's name starts with "@")
    std::uint32_t extra = 0;           // arc: full-circle flag; solid: RGB; block: definition number;
                                       // text: offset of its bytes in the text pool
    std::uint32_t textSize = 0;        // text: bytes in the pool
    // Line: x1 y1 x2 y2. Arc: cx cy r start sweep tilt flatness (radians). Point: x y.
    // Text: x1 y1 x2 y2 height angle (degrees) character-width (0 when not known). Solid: p0 .. p3, or for round ones centre, radius,
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
    std::array<double, 16> scales{};       // each group's scale denominator: 100 is 1/100
    JwwLayers layers;                      // names and states of the groups and layers
    JwwPens pens;
    std::uint16_t groupsInUse = 0; // bit g: a shown top-level entity lies in group g

    std::uint64_t entitiesAt = 0;         // the offset of the top-level list in the file
    std::uint64_t topLevelRead = 0;       // objects of the top-level list read whole
    std::vector<JwwEntity> topLevel;      // their entities, when the read kept them (topLevelKept)
    bool topLevelKept = false;
    std::vector<JwwEntity> blockEntities; // the entities of every definition, definition after definition
    std::vector<JwwBlockDef> blocks;      // sorted by number; the first of equal numbers comes first
    std::string textPool; // the bytes of the definitions' texts (and top-level ones when kept), code page 932
    std::vector<std::pair<std::uint32_t, std::uint32_t>> topTexts; // pool offset and size, when kept

    int lines = 0, arcs = 0, points = 0, texts = 0, solids = 0, references = 0, dimensions = 0;
    int definitions = 0;
    bool complete = true;

    bool Shown(const JwwEntity& e) const {
        return kind == JwwKind::Figure || (shown[e.group] >> e.layer & 1) != 0;
    }
    std::string_view Text(const JwwEntity& e) const {
        return std::string_view(textPool).substr(e.extra, e.textSize);
    }
    // A text's font name (code page 932), empty when not known.
    std::string_view Font(const JwwEntity& e) const {
        return std::string_view(textPool).substr(e.extra - e.fontSize, e.fontSize);
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

// What a read keeps besides the header and the counts.
struct JwwKeep {
    bool topTexts = false; // the strings of the top-level texts
    // Entities of the block definitions, in all. A walk visits no more than its budget's worth, each
    // entity costing at least one, so a drawing keeps as many as its budget.
    std::uint64_t members = UINT64_MAX;
    // Top-level entities kept in memory for the walks, when there are no more than this many; with
    // more, each walk reads them again from the file.
    std::uint64_t topLevel = 0;
};

// Reads a recognised file of the kind (the caller checked IsJwsData or IsJwwData) from the cursor's
// start: the header, the counts, the block definitions and what keep asks for. Throws ReadError when
// the header cannot be read (FileTooLargeError beyond 64 MiB); a stream that fails after it leaves
// what was read, complete false.
JwwDocument ReadJwwDocument(ByteCursor& c, JwwKind kind, const JwwKeep& keep = {});
JwwDocument ReadJwwDocument(std::span<const std::uint8_t> data, JwwKind kind, const JwwKeep& keep = {});
// The header only, with the same errors.
JwwDocument ReadJwwHeader(ByteCursor& c, JwwKind kind);
// Gives visit each top-level entity to draw in file order, as far as ReadJwwDocument read the list
// whole, until visit returns false: those it kept, or else the list read again from source's bytes. A text's bytes lie in
// doc.textPool until the next entity; the pool is left as it was.
void ForEachJwwEntity(const ByteCursor& source, JwwDocument& doc,
                      const std::function<bool(const JwwEntity&)>& visit);

// The version a recognised file of the kind announces.
std::uint32_t JwwVersionOf(std::span<const std::uint8_t> data, JwwKind kind);

// The info the draw and check calls hand back for a document.
void FillJwwInfo(const JwwDocument& doc, JwwInfo& info);

} // namespace plavik
