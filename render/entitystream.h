// A file of any of the four formats as one stream of entities: lines, arcs and ellipses, points, texts,
// solids and block references (with the definitions they place), each with its layer group, layer,
// colour number and line type, in the file's own units: paper millimetres (.jwc: its sheet units, the
// sheet 518 x 366 of them). The outputs that keep nothing of a format's own read their files here.
#pragma once

#include "render/budget.h"
#include "render/bytes.h"
#include "render/formats.h"
#include "render/jwwdocument.h"
#include "render/jwwgeometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace plavik {

// Landscape A0 .. A4 in millimetres: a drawing's paper codes 0 .. 4.
inline constexpr double kJwwSheets[5][2] = {{1189, 841}, {841, 594}, {594, 420}, {420, 297}, {297, 210}};
// The old drawings' sheet in their own units, its lower left corner at the origin.
inline constexpr double kJwcSheetWidth = 518;
inline constexpr double kJwcSheetHeight = 366;

// The entities of one file. The old formats' records become entities of layer group 0 (.jwk) or of
// their layer byte's group and layer (.jwc); their texts store only a base line, so a text's height
// is the one that fits its string on it, each byte half a character wide (up to a height of 9 units on a .jwc sheet, 3 in a .jwk figure),
// and its angle the line's.
class EntityStream {
public:
    // Reads the file, recognised by its content: the header, the block definitions and, for the old
    // formats, all records. Nothing when no format recognises the file (or it cannot be opened).
    // Throws the readers' errors (ReadError, ConvertError, FileTooLargeError) for a recognised file
    // that cannot be read. The file must outlive the stream.
    static std::optional<EntityStream> Open(FileBytes& file);

    EntityStream(EntityStream&&) noexcept;
    EntityStream& operator=(EntityStream&&) noexcept;
    ~EntityStream();

    FileFormat Format() const { return format_; }
    // The header fields, the block definitions, the layers' states (Shown) and the text pool.
    JwwDocument& Document() { return doc_; }
    const JwwDocument& Document() const { return doc_; }

    // Gives visit the top-level entities in file order, those of hidden layers too, until visit
    // returns false, and no more than kMostWalked of them. A text's bytes (Document().Text) last until
    // visit returns.
    void ForEach(const std::function<bool(const JwwEntity&)>& visit);
    // True when a walk stopped at kMostWalked with more to come.
    bool Cut() const { return cut_; }

    // The paper the file is drawn on: a drawing's sheet (A0 .. A4, or .jwc's), empty for figures and
    // sheets of other sizes.
    const Box& Sheet() const { return sheet_; }
    // The size of the file read.
    std::uint64_t SourceBytes() const { return sourceBytes_; }
    // False when the file broke off and the stream holds what came before the break.
    bool Complete() const { return doc_.complete; }

private:
    EntityStream() = default;

    FileFormat format_ = FileFormat::Jwk;
    std::uint64_t sourceBytes_ = 0;
    JwwDocument doc_;
    FileBytes* file_ = nullptr;     // today's formats are read again from the file at each walk
    std::vector<JwwEntity> held_;   // the old formats' records, read whole
    Box sheet_;
    bool cut_ = false;
};

// The top-level entities a walk of a stream visits at most: the work of the largest picture, which
// no real drawing comes near, so that a file of millions of records costs what a picture of it does.
inline constexpr std::size_t kMostWalked = DrawBudget::kMaxWork;

// What a format's reader hands the stream (FormatRow::readStream).
struct StreamContents {
    JwwDocument doc;
    std::vector<JwwEntity> held; // the top-level entities, when they are held rather than read again:
                                 // no more than kMostWalked
    bool cut = false;            // held stopped at kMostWalked
    bool walkFile = false;       // the top-level entities are walked from the file (today's formats)
    Box sheet;                   // as EntityStream::Sheet
};

// A solid of this colour number carries its own RGB (JwwEntity::extra).
inline constexpr int kJwwSolidOwnColor = 10;

} // namespace plavik
