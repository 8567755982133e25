// Reading figure (.jws) and drawing (.jww) files: recognition, the two headers and the MFC object
// stream that follows them. Every read goes through the bounded cursor; every count and length is
// checked against the bytes left, and nothing is allocated from a count alone.
#include "render/bytecursor.h"
#include "render/contentextent.h"
#include "render/errors.h"
#include "render/jwwdocument.h"
#include "render/jwwstring.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string_view>

namespace plavik {

namespace {

constexpr std::string_view kJwsMagic = "JwsData.";
constexpr std::string_view kJwwMagic = "JwwData.";
constexpr std::uint32_t kMinVersion = 200;
constexpr std::uint32_t kMaxVersion = 1000;
constexpr std::size_t kJwsVersionOffset = 200;
constexpr std::size_t kJwwVersionOffset = 8;

// Object tags of the stream.
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint32_t kBigClassFlag = 0x80000000u;
// Class names are shorter than this.
constexpr std::uint16_t kMaxClassName = 64;
// The smallest object: tag, 13-byte prefix, a point's two doubles and flag.
constexpr std::size_t kMinObjectBytes = 2 + 13 + 20;
// The smallest definition: tag, prefix, number, flag, time, an empty name and an empty list.
constexpr std::size_t kMinDefinitionBytes = 2 + 13 + 12 + 1 + 2;

enum class JwwClass : std::uint8_t { Line, Arc, Point, Text, Solid, Block, Dimension, Definition };

constexpr std::pair<std::string_view, JwwClass> kClasses[] = {
    {"CDataSen", JwwClass::Line},         {"CDataEnko", JwwClass::Arc},
    {"CDataTen", JwwClass::Point},        {"CDataMoji", JwwClass::Text},
    {"CDataSolid", JwwClass::Solid},      {"CDataBlock", JwwClass::Block},
    {"CDataSunpou", JwwClass::Dimension}, {"CDataList", JwwClass::Definition},
};

// The stream cannot be read on: an unknown class, a null or back-reference, a tag naming no class, or
// an object where its list allows none of its kind.
struct StopReading {};

std::uint32_t VersionAt(std::span<const std::uint8_t> data, std::size_t offset) {
    ByteCursor cursor(data, offset);
    return cursor.U32();
}

bool Recognised(std::span<const std::uint8_t> data, std::string_view magic, std::size_t versionOffset) {
    if (data.size() < versionOffset + 4 || AsText(data.first(magic.size())) != magic)
        return false;
    const std::uint32_t version = VersionAt(data, versionOffset);
    return version >= kMinVersion && version <= kMaxVersion;
}

bool Sane(const double* v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (!(std::fabs(v[i]) <= kJwwMaxCoordinate))
            return false;
    return true;
}

// The fixed 452 bytes: magic and dots, version, reference point, group scales, two constant tables
// and the box.
void ReadFigureHeader(ByteCursor& c, JwwDocument& doc) {
    c.Require(kJwsHeaderSize);
    c.Skip(kJwsVersionOffset);
    doc.version = c.U32();
    doc.refX = c.F64();
    doc.refY = c.F64();
    c.Skip(16 * 8 + 6 * 4 + 6 * 8);
    for (double& b : doc.box)
        b = c.F64();
}

// The drawing header, field by field; what older versions leave out is skipped by version.
void ReadDrawingHeader(ByteCursor& c, JwwDocument& doc) {
    c.Skip(kJwwVersionOffset);
    const std::uint32_t v = doc.version = c.U32();
    ReadCString(c, doc.memo);
    doc.paper = c.U32();
    c.Skip(4); // write group
    for (std::size_t group = 0; group < doc.shown.size(); ++group) {
        const std::uint32_t groupState = c.U32();
        c.Skip(4); // write layer
        doc.scales[group] = c.F64();
        c.Skip(4); // protection
        std::uint16_t layersOn = 0;
        for (int layer = 0; layer < 16; ++layer) {
            if (c.U32() != 0)
                layersOn = static_cast<std::uint16_t>(layersOn | (1u << layer));
            c.Skip(4); // protection
        }
        doc.layers.layerOn[group] = layersOn;
        if (groupState != 0) {
            doc.layers.groupOn = static_cast<std::uint16_t>(doc.layers.groupOn | (1u << group));
            doc.shown[group] = layersOn;
        }
    }
    c.Skip(14 * 4 + 5 * 4 + 4 + 4); // dummies, dimension settings, dummy, largest line width
    c.Skip(3 * 8 + 4 + 4 + 5 * 8);  // print origin and scale, print flags, grid
    for (auto& names : doc.layers.layerNames)
        for (std::string& name : names)
            ReadCString(c, name);
    for (std::string& name : doc.layers.groupNames)
        ReadCString(c, name);
    c.Skip(8 + 8 + 4 + 8); // shadow
    if (v >= 300)
        c.Skip(2 * 8);                              // sky map
    c.Skip(4 + 3 * 8 + 3 * 8);                      // 2.5D unit, view, remembered range
    c.Skip(v >= 300 ? 8 * (3 * 8 + 4) : 4 * 3 * 8); // mark jumps
    if (v >= 300)
        c.Skip(3 * 8 + 4 + 3 * 8 + 4); // text drawing
    c.Skip(11 * 8);                    // multi-line spacings
    for (JwwPen& pen : doc.pens.screen) {
        pen.color = c.U32();
        pen.width = c.U32();
    }
    for (JwwPen& pen : doc.pens.printer) {
        pen.color = c.U32();
        pen.width = c.U32();
        c.Skip(8); // point radius
    }
    c.Skip(8 * 16 + 5 * 20 + 4 * 16); // line types, random lines, double-length types
    c.Skip(11 * 4);                   // drawing and printing switches
    if (v >= 223)
        c.Skip(5 * 4 + 5 * 8); // drawing time, eye settings
    if (v >= 225)
        c.Skip(4 * 8); // last lengths
    if (v >= 230)
        c.Skip(2 * 4); // solid colour
    if (v >= 420) {
        doc.pens.sxf.resize(257);
        for (COLORREF& color : doc.pens.sxf) { // SXF screen pens
            color = c.U32();
            c.Skip(4);
        }
        for (int i = 0; i < 257; ++i) { // SXF printer pens
            SkipCString(c);
            c.Skip(4 + 4 + 8);
        }
        c.Skip(33 * 16);               // SXF line types
        for (int i = 0; i < 33; ++i) { // SXF line-type parameters
            SkipCString(c);
            c.Skip(4 + 10 * 8);
        }
    }
    c.Skip(10 * (3 * 8 + 4) + 3 * 8 + 2 * 4 + 2 * 8 + 4 + 6 * 8); // text kinds and settings
}

struct Prefix {
    std::uint8_t style = 1;
    std::uint16_t color = 0;
    std::uint8_t layer = 0, group = 0;
};

// The object lists after the header. One persistent-id counter runs through the whole stream: each
// class declaration and each object takes the next id.
class StreamReader {
public:
    StreamReader(ByteCursor& c, JwwDocument& doc, std::uint64_t maxMembers = 0)
        : c_(c), doc_(doc), version_(doc.version), maxMembers_(maxMembers) {
        classes_.reserve(std::size(kClasses)); // files declare each class once
    }

    // The top-level list, counted; its entities are kept as long as there are no more than keepTop of
    // them, so that the walks that follow need not read the file again, and a file of millions of
    // entities costs no memory for them. The strings of its texts go to the pool when keepTexts is
    // true.
    void CountEntities(bool keepTexts, std::uint64_t keepTop) {
        const std::uint64_t count = ReadCount();
        // A list longer than what may be kept is not kept from its start: holding its first part only
        // to let it go would cost more than reading it again.
        doc_.topLevelKept = keepTop > 0 && count <= keepTop;
        if (doc_.topLevelKept)
            doc_.topLevel.reserve(static_cast<std::size_t>(std::min({count, keepTop, c_.Remaining() / kMinObjectBytes})));
        for (std::uint64_t i = 0; i < count; ++i) {
            const JwwClass cls = EntityTag();
            const std::size_t pool = doc_.textPool.size();
            JwwEntity parsed[2];
            const int n = ReadEntity(cls, parsed);
            ++doc_.topLevelRead;
            if (n == 1 && IsSettingRecord(parsed[0])) {
                doc_.textPool.resize(pool);
                continue;
            }
            for (int k = 0; k < n; ++k)
                if (doc_.Shown(parsed[k]))
                    doc_.groupsInUse = static_cast<std::uint16_t>(doc_.groupsInUse | (1u << parsed[k].group));
            Count(cls);
            if (doc_.topLevelKept && doc_.topLevel.size() + static_cast<std::size_t>(n) > keepTop) {
                doc_.topLevelKept = false; // the walks read the file again
                std::vector<JwwEntity>().swap(doc_.topLevel);
            }
            if (doc_.topLevelKept)
                doc_.topLevel.insert(doc_.topLevel.end(), parsed, parsed + n);
            if (cls == JwwClass::Text && keepTexts)
                doc_.topTexts.push_back(lastString_);
            else if (!doc_.topLevelKept)
                doc_.textPool.resize(pool);
        }
    }

    // The top-level list again, as far as the count read it whole, each entity to visit.
    void VisitEntities(const std::function<bool(const JwwEntity&)>& visit) {
        const std::uint64_t count = std::min(ReadCount(), doc_.topLevelRead);
        const std::size_t pool = doc_.textPool.size();
        for (std::uint64_t i = 0; i < count; ++i) {
            const JwwClass cls = EntityTag();
            doc_.textPool.resize(pool);
            JwwEntity parsed[2];
            const int n = ReadEntity(cls, parsed);
            if (n == 1 && IsSettingRecord(parsed[0]))
                continue;
            for (int k = 0; k < n; ++k)
                if (!visit(parsed[k]))
                    return;
        }
    }

    void ReadDefinitions() {
        const std::uint64_t count = ReadCount();
        // Room for what may be kept, so that growing never copies; pages are only used when filled.
        doc_.blocks.reserve(static_cast<std::size_t>(std::min(count, c_.Remaining() / kMinDefinitionBytes)));
        doc_.blockEntities.reserve(
            static_cast<std::size_t>(std::min(maxMembers_, c_.Remaining() / kMinObjectBytes)));
        for (std::uint64_t i = 0; i < count; ++i) {
            if (ReadTag() != JwwClass::Definition)
                throw StopReading{};
            ReadDefinition();
        }
    }

private:
    // jw_cad keeps its own settings ("Printer_Orientation = 0" ...) as top-level texts at one spot far
    // below the sheet: they are not the drawing's.
    static bool IsSettingRecord(const JwwEntity& e) {
        return e.shape == JwwShape::Text && e.v[0] == kSettingRecordAt.x && e.v[1] == kSettingRecordAt.y;
    }

    // A count: WORD, or 0xFFFF and a DWORD, or that 0xFFFFFFFF and a QWORD. Every object takes at least
    // its two tag bytes, so a count beyond half the bytes left cannot be met.
    std::uint64_t ReadCount() {
        std::uint64_t n = c_.U16();
        if (n == 0xFFFF) {
            n = c_.U32();
            if (n == 0xFFFFFFFF)
                n = c_.U64();
        }
        if (n > c_.Remaining() / 2)
            throw ReadError();
        return n;
    }

    // Reads an object's tag (with the class declaration it may carry) and gives the object its id.
    JwwClass ReadTag() {
        const std::uint16_t tag = c_.U16();
        JwwClass cls{};
        if (tag == kNewClassTag) {
            c_.Skip(2); // schema: the header's version decides
            const std::uint16_t length = c_.U16();
            if (length >= kMaxClassName)
                throw StopReading{};
            cls = ClassNamed(AsText(c_.Take(length)));
            classes_.emplace_back(nextId_++, cls);
        } else if (tag == kBigObjectTag) {
            const std::uint32_t big = c_.U32();
            if ((big & kBigClassFlag) == 0)
                throw StopReading{}; // a back-reference to an object
            cls = ClassOfId(big & ~kBigClassFlag);
        } else if ((tag & kClassTag) != 0) {
            cls = ClassOfId(tag & ~kClassTag);
        } else {
            throw StopReading{}; // null, or a back-reference to an object
        }
        ++nextId_;
        return cls;
    }

    JwwClass EntityTag() {
        const JwwClass cls = ReadTag();
        if (cls == JwwClass::Definition)
            throw StopReading{};
        return cls;
    }

    static JwwClass ClassNamed(std::string_view name) {
        for (const auto& [known, cls] : kClasses)
            if (known == name)
                return cls;
        throw StopReading{};
    }

    // Class ids grow as they are declared, so the table is sorted.
    JwwClass ClassOfId(std::uint32_t id) const {
        const auto it =
            std::lower_bound(classes_.begin(), classes_.end(), id,
                             [](const auto& entry, std::uint32_t key) { return entry.first < key; });
        if (it == classes_.end() || it->first != id)
            throw StopReading{};
        return it->second;
    }

    // Curve attribute, style, colour, width (from version 351 on), layer, group and attribute flags.
    Prefix ReadPrefix() {
        const bool width = version_ >= 351;
        const std::uint8_t* b = c_.Take(width ? 15 : 13).data();
        Prefix p;
        p.style = b[4];
        p.color = ByteCursor::LoadU16(b + 5);
        b += width ? 9 : 7;
        p.layer = static_cast<std::uint8_t>(b[0] & 15);
        p.group = static_cast<std::uint8_t>(b[2] & 15);
        return p;
    }

    void ReadDoubles(double* v, int n) {
        const std::uint8_t* b = c_.Take(static_cast<std::size_t>(n) * 8).data();
        for (int i = 0; i < n; ++i)
            v[i] = ByteCursor::LoadF64(b + 8 * i);
    }

    static JwwEntity Start(JwwShape shape, const Prefix& p) {
        JwwEntity e;
        e.shape = shape;
        e.style = p.style;
        e.color = p.color;
        e.layer = p.layer;
        e.group = p.group;
        return e;
    }

    // x, y, the temporary flag and a marker's extra fields; true for a point that is drawn.
    bool ReadPointFields(const Prefix& p, JwwEntity& e) {
        ReadDoubles(e.v, 2);
        const bool temporary = c_.U32() != 0;
        if (p.style == 100 && version_ >= 252)
            c_.Skip(4 + 8 + 8); // marker code, angle, scale
        return !temporary;
    }

    // Base line, kind, width, height, gap, angle, font name and the string; the font name and the
    // string go to the pool, one after the other.
    void ReadTextFields(JwwEntity& e) {
        ReadDoubles(e.v, 4);
        c_.Skip(4); // kind
        e.v[6] = c_.F64();
        e.v[4] = c_.F64();
        c_.Skip(8); // gap
        e.v[5] = c_.F64();
        const std::size_t font = doc_.textPool.size();
        ReadCString(c_, doc_.textPool);
        const std::size_t offset = doc_.textPool.size();
        e.vertical = offset > font && doc_.textPool[font] == '@';
        if (offset - font > UINT8_MAX)
            doc_.textPool.resize(font); // no font name is that long
        const std::size_t at = doc_.textPool.size();
        ReadCString(c_, doc_.textPool);
        e.fontSize = static_cast<std::uint8_t>(at - font);
        e.extra = static_cast<std::uint32_t>(at);
        e.textSize = static_cast<std::uint32_t>(doc_.textPool.size() - at);
        lastString_ = {e.extra, e.textSize};
    }

    // A top-level object of the class was read.
    void Count(JwwClass cls) {
        // The document's count of each class but Definition, in the order of JwwClass.
        static constexpr int JwwDocument::*kCounts[] = {
            &JwwDocument::lines,  &JwwDocument::arcs,       &JwwDocument::points,     &JwwDocument::texts,
            &JwwDocument::solids, &JwwDocument::references, &JwwDocument::dimensions,
        };
        if (cls != JwwClass::Definition)
            ++(doc_.*kCounts[static_cast<std::size_t>(cls)]);
    }

    // Appends e to out[n] when its numbers are sane.
    static void Keep(JwwEntity* out, int& n, const JwwEntity& e, std::size_t numbers) {
        if (Sane(e.v, numbers))
            out[n++] = e;
    }

    // Reads the object's body into the entities it draws (a dimension draws two); returns how many.
    // A text's string is appended to the pool.
    int ReadEntity(JwwClass cls, JwwEntity (&out)[2]) {
        const Prefix p = ReadPrefix();
        int n = 0;
        switch (cls) {
        case JwwClass::Line: {
            JwwEntity e = Start(JwwShape::Line, p);
            ReadDoubles(e.v, 4);
            Keep(out, n, e, 4);
            break;
        }
        case JwwClass::Arc: {
            JwwEntity e = Start(JwwShape::Arc, p);
            ReadDoubles(e.v, 7);
            e.extra = c_.U32();
            Keep(out, n, e, 7);
            break;
        }
        case JwwClass::Point: {
            JwwEntity e = Start(JwwShape::Point, p);
            if (ReadPointFields(p, e))
                Keep(out, n, e, 2);
            break;
        }
        case JwwClass::Text: {
            JwwEntity e = Start(JwwShape::Text, p);
            ReadTextFields(e);
            Keep(out, n, e, 6);
            break;
        }
        case JwwClass::Solid: {
            JwwEntity e = Start(JwwShape::Solid, p);
            ReadDoubles(e.v, 8);
            if (p.color == 10)
                e.extra = c_.U32() & 0x00FFFFFFu;
            Keep(out, n, e, 8);
            break;
        }
        case JwwClass::Block: {
            JwwEntity e = Start(JwwShape::Block, p);
            ReadDoubles(e.v, 5);
            e.extra = c_.U32();
            Keep(out, n, e, 5);
            break;
        }
        case JwwClass::Dimension:
            ReadDimension(p, out, n);
            break;
        case JwwClass::Definition:
            throw StopReading{};
        }
        return n;
    }

    // Its line and its text are drawn, on the dimension's own layer; the parts of version 420 on
    // (extension lines and end points) are read past.
    void ReadDimension(const Prefix& own, JwwEntity (&out)[2], int& n) {
        const Prefix linePrefix = ReadPrefix();
        JwwEntity line = Start(JwwShape::Line, linePrefix);
        ReadDoubles(line.v, 4);
        const Prefix textPrefix = ReadPrefix();
        JwwEntity text = Start(JwwShape::Text, textPrefix);
        ReadTextFields(text);
        if (version_ >= 420) {
            c_.Skip(2); // SXF mode
            for (int i = 0; i < 2; ++i) {
                ReadPrefix();
                c_.Skip(4 * 8);
            }
            for (int i = 0; i < 4; ++i) {
                const Prefix pointPrefix = ReadPrefix();
                JwwEntity point;
                ReadPointFields(pointPrefix, point);
            }
        }
        for (JwwEntity* part : {&line, &text}) {
            part->layer = own.layer;
            part->group = own.group;
        }
        Keep(out, n, line, 4);
        Keep(out, n, text, 6);
    }

    // Number, referred flag, time, name and the definition's own entity list. A definition cut short
    // keeps the entities read.
    void ReadDefinition() {
        ReadPrefix();
        const std::uint32_t number = c_.U32();
        c_.Skip(4 + 4); // referred, time
        SkipCString(c_);
        std::vector<JwwEntity>& members = doc_.blockEntities;
        const auto first = static_cast<std::uint32_t>(members.size());
        doc_.blocks.push_back({number, first, 0});
        try {
            const std::uint64_t count = ReadCount();
            for (std::uint64_t i = 0; i < count; ++i) {
                JwwEntity parsed[2];
                const int n = ReadEntity(EntityTag(), parsed);
                const auto room = static_cast<int>(std::min<std::uint64_t>(n, maxMembers_ - members.size()));
                members.insert(members.end(), parsed, parsed + room);
            }
        } catch (...) {
            doc_.blocks.back().count = static_cast<std::uint32_t>(members.size()) - first;
            throw;
        }
        doc_.blocks.back().count = static_cast<std::uint32_t>(members.size()) - first;
        ++doc_.definitions;
    }

    ByteCursor& c_;
    JwwDocument& doc_;
    std::uint32_t version_;
    std::uint64_t maxMembers_;
    std::uint32_t nextId_ = 1;
    std::vector<std::pair<std::uint32_t, JwwClass>> classes_;
    std::pair<std::uint32_t, std::uint32_t> lastString_; // pool offset and size of the last text's string
};

// Entity list, definition list and, for drawings of version 700 on, the image count. Whatever stops
// the stream leaves what was read before it.
void ReadStream(ByteCursor& c, JwwDocument& doc, const JwwKeep& keep) {
    doc.entitiesAt = c.Position();
    StreamReader reader(c, doc, keep.members);
    try {
        reader.CountEntities(keep.topTexts, keep.topLevel);
        reader.ReadDefinitions();
        // Images, if any, follow their count; nothing after them is needed.
        if (doc.kind == JwwKind::Drawing && doc.version >= 700)
            c.U32();
    } catch (const ReadError&) {
        doc.complete = false;
    } catch (const StopReading&) {
        doc.complete = false;
    }
    // Files number their definitions in order, mostly: then there is nothing to sort.
    const auto byNumber = [](const JwwBlockDef& a, const JwwBlockDef& b) { return a.number < b.number; };
    if (!std::is_sorted(doc.blocks.begin(), doc.blocks.end(), byNumber))
        std::stable_sort(doc.blocks.begin(), doc.blocks.end(), byNumber);
}

} // namespace

bool IsJwsData(std::span<const std::uint8_t> data) {
    return Recognised(data, kJwsMagic, kJwsVersionOffset);
}

bool IsJwwData(std::span<const std::uint8_t> data) {
    return Recognised(data, kJwwMagic, kJwwVersionOffset);
}

std::uint32_t JwwVersionOf(std::span<const std::uint8_t> data, JwwKind kind) {
    return VersionAt(data, kind == JwwKind::Figure ? kJwsVersionOffset : kJwwVersionOffset);
}

const JwwBlockDef* JwwDocument::Definition(std::uint32_t number) const {
    const auto it = std::lower_bound(blocks.begin(), blocks.end(), number,
                                     [](const JwwBlockDef& d, std::uint32_t key) { return d.number < key; });
    return it != blocks.end() && it->number == number ? &*it : nullptr;
}

JwwDocument ReadJwwHeader(ByteCursor& c, JwwKind kind) {
    if (c.Remaining() > kMaxJwwFileBytes)
        throw FileTooLargeError();
    JwwDocument doc;
    doc.kind = kind;
    if (kind == JwwKind::Figure)
        ReadFigureHeader(c, doc);
    else
        ReadDrawingHeader(c, doc);
    return doc;
}

JwwDocument ReadJwwDocument(ByteCursor& c, JwwKind kind, const JwwKeep& keep) {
    JwwDocument doc = ReadJwwHeader(c, kind);
    ReadStream(c, doc, keep);
    return doc;
}

JwwDocument ReadJwwDocument(std::span<const std::uint8_t> data, JwwKind kind, const JwwKeep& keep) {
    ByteCursor c(data);
    return ReadJwwDocument(c, kind, keep);
}

void ForEachJwwEntity(const ByteCursor& source, JwwDocument& doc,
                      const std::function<bool(const JwwEntity&)>& visit) {
    if (doc.topLevelKept) {
        for (const JwwEntity& e : doc.topLevel)
            if (!visit(e))
                return;
        return;
    }
    ByteCursor c = source.From(doc.entitiesAt);
    const std::size_t pool = doc.textPool.size();
    try {
        StreamReader(c, doc).VisitEntities(visit);
    } catch (const ReadError&) {
        // The file changed since it was read: what came before the change is drawn.
    } catch (const StopReading&) {
    }
    doc.textPool.resize(pool);
}

void FillJwwInfo(const JwwDocument& doc, JwwInfo& info) {
    info.kind = doc.kind;
    info.version = doc.version;
    info.memo = doc.memo;
    info.paper = doc.paper;
    info.layers = doc.layers;
    info.pens = doc.pens;
    info.shownLayers = 0;
    for (const std::uint16_t bits : doc.shown)
        info.shownLayers += std::popcount(bits);
    if (doc.kind == JwwKind::Figure)
        std::copy(doc.box.begin(), doc.box.end(), info.extent);
    info.scales.clear();
    if (doc.kind == JwwKind::Drawing)
        for (std::size_t g = 0; g < doc.scales.size(); ++g) {
            const double scale = doc.scales[g];
            if ((doc.groupsInUse >> g & 1) != 0 && std::isfinite(scale) && scale > 0 &&
                std::find(info.scales.begin(), info.scales.end(), scale) == info.scales.end())
                info.scales.push_back(scale);
        }
    info.lines = doc.lines;
    info.arcs = doc.arcs;
    info.points = doc.points;
    info.texts = doc.texts;
    info.solids = doc.solids;
    info.blocks = doc.references;
    info.dimensions = doc.dimensions;
    info.blockDefinitions = doc.definitions;
    info.textStrings.clear();
    info.textStrings.reserve(doc.topTexts.size());
    for (const auto& [offset, size] : doc.topTexts)
        info.textStrings.emplace_back(doc.textPool, offset, size);
    info.complete = doc.complete;
}

std::string_view JwwPaperName(std::uint32_t paper) {
    // jw_cad's own names of its sheets; codes it does not name have none.
    static constexpr std::string_view kNames[] = {"A0", "A1", "A2", "A3", "A4",  "",    "",    "",
                                                  "2A", "3A", "4A", "5A", "10m", "50m", "100m"};
    return paper < std::size(kNames) ? kNames[paper] : std::string_view();
}

} // namespace plavik
