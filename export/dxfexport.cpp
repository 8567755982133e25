#include "export/dxfexport.h"

#include "platform/sjis.h"
#include "render/jwwpaint.h"
#include "render/textcodes.h"

#include <dl_dxf.h>
#include <dl_writer_ascii.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <charconv>
#include <cmath>
#include <map>
#include <numbers>
#include <set>

namespace plavik {

namespace {

// Room kept for what follows the entities (the end of the sections, the objects), so that a file cut
// at its limit still ends as a DXF file ends.
constexpr std::size_t kTailReserve = std::size_t{1} << 20;
// Room for the header and the tables, which come first.
constexpr std::size_t kHeadRoom = std::size_t{64} << 10;
// Room for one definition's block record, its BLOCK and its ENDBLK.
constexpr std::size_t kBlockBytes = 512;
// Chords per turn of a round solid's outline, where the file holds it as straight edges.
constexpr int kChordsPerTurn = 72;
constexpr double kDegree = 180 / std::numbers::pi;

// dxflib's writer, writing into memory instead of a file of its own: the one output writer puts the
// bytes in place.
class DxfText : public DL_WriterA {
public:
    explicit DxfText(DL_Codes::version version) : DL_WriterA("", version) {}

    std::string* out = nullptr;

    void dxfReal(int gc, double value) const override {
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        Put(gc, std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
    }
    void dxfInt(int gc, int value) const override { Put(gc, std::to_string(value)); }
    void dxfHex(int gc, int value) const override {
        char buffer[16];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<unsigned>(value), 16).ptr;
        std::string text(buffer, end);
        std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'a' ? c - 32 : c; });
        Put(gc, text);
    }
    void dxfString(int gc, const char* value) const override { Put(gc, value); }
    void dxfString(int gc, const std::string& value) const override { Put(gc, value); }

private:
    // A group code right-aligned in three columns, as AutoCAD writes them, and its value.
    void Put(int gc, std::string_view value) const {
        char code[16] = "   ";
        char* end = std::to_chars(code + 3, code + sizeof code - 1, gc).ptr;
        const std::size_t digits = static_cast<std::size_t>(end - (code + 3));
        const char* start = digits < 3 ? code + digits : code + 3;
        *end++ = '\n';
        out->append(start, static_cast<std::size_t>(end - start)).append(value).push_back('\n');
    }
};

// Text for a DXF string: R2000 as ASCII with \U+XXXX escapes, R12 as code page 932 bytes. Line breaks
// and other control characters would end the value: they become spaces.
std::string DxfString(const QString& text, bool r12) {
    std::string out;
    if (r12) {
        out = EncodeSjis(text);
    } else {
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u >= 0x80) {
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "\\U+%04X", static_cast<unsigned>(u));
                out += buffer;
            } else {
                out += static_cast<char>(u);
            }
        }
    }
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return out;
}

// A file's text bytes as a DXF string; R12 keeps the file's own bytes.
std::string DxfString(std::string_view bytes, bool r12) {
    if (!r12)
        return DxfString(DecodeSjis(bytes), false);
    std::string out(bytes);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return out;
}

// A layer name as DXF allows it: the characters it reserves become underscores.
QString DxfLayerName(QString name) {
    for (QChar& c : name)
        if (QStringLiteral("<>/\\\":;?*|=`").contains(c))
            c = QLatin1Char('_');
    return name;
}

// The area inside rings (even-odd) cut into trapezoids with two sides level: between each two
// neighbouring heights of the corners, the edges that cross that slab, taken in pairs from the left.
// Each is four corners: two at the slab's foot, left then right, then two at its top.
std::vector<std::array<DPoint, 4>> Trapezoids(const std::vector<std::vector<DPoint>>& rings) {
    std::vector<double> heights;
    for (const auto& ring : rings)
        for (const DPoint& p : ring)
            heights.push_back(p.y);
    std::sort(heights.begin(), heights.end());
    heights.erase(std::unique(heights.begin(), heights.end()), heights.end());
    struct Crossing {
        double foot, top;
    };
    std::vector<std::array<DPoint, 4>> pieces;
    std::vector<Crossing> crossings;
    for (std::size_t h = 0; h + 1 < heights.size(); ++h) {
        const double y0 = heights[h], y1 = heights[h + 1];
        crossings.clear();
        for (const auto& ring : rings)
            for (std::size_t i = 0; i < ring.size(); ++i) {
                const DPoint a = ring[i], b = ring[(i + 1) % ring.size()];
                if (std::min(a.y, b.y) > y0 || std::max(a.y, b.y) < y1 || a.y == b.y)
                    continue;
                const auto x = [&](double y) { return a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y); };
                crossings.push_back({x(y0), x(y1)});
            }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing& l, const Crossing& r) { return l.foot + l.top < r.foot + r.top; });
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
            pieces.push_back({DPoint{crossings[i].foot, y0}, DPoint{crossings[i + 1].foot, y0},
                              DPoint{crossings[i].top, y1}, DPoint{crossings[i + 1].top, y1}});
    }
    return pieces;
}

std::string BlockName(std::uint32_t number) {
    return "JW_BLOCK_" + std::to_string(number);
}

int LineTypeOf(int style) {
    return style >= 2 && style <= 9 ? style : 1;
}

class DxfExporter {
public:
    DxfExporter(EntityStream& stream, DxfVersion version, std::size_t limit, std::uint64_t sourceBytes)
        : stream_(stream), doc_(stream.Document()), r12_(version == DxfVersion::R12),
          out_(r12_ ? DL_VERSION_R12 : DL_VERSION_2000), limit_(limit),
          expectedBytes_(static_cast<std::size_t>(std::min<std::uint64_t>(sourceBytes, limit) * 3)) {
        delete dxf_.out("", r12_ ? DL_VERSION_R12 : DL_VERSION_2000); // takes the version; opens nothing
        FindCycles();
    }

    ExportBytes Run() {
        // The entities first, into a buffer of their own, so that the tables name only the layers used.
        // Room for the entities at about three times the file's bytes, so that the text is not copied
        // as it grows.
        std::string entities;
        entities.reserve(std::min(limit_, expectedBytes_) + kHeadRoom);
        out_.out = &entities;
        out_.sectionEntities();
        stream_.ForEach([&](const JwwEntity& e) {
            const std::vector<std::uint32_t> placed =
                e.shape == JwwShape::Block && doc_.Definition(e.extra) ? Place(e.extra) : std::vector<std::uint32_t>();
            const std::size_t before = entities.size();
            Write(e, Layer(e));
            // An entity that does not fit, with the blocks it would place, is taken back whole: the
            // file ends where the last one did.
            if (Full(entities.size())) {
                entities.resize(before);
                Unplace(placed);
                return false;
            }
            used_.set(static_cast<std::size_t>(e.group * 16 + e.layer));
            return true;
        });
        out_.sectionEnd();

        std::string head;
        head.reserve(kHeadRoom + promised_);
        out_.out = &head;
        Header();
        Tables();
        Blocks(head.size() + entities.size());
        // The smaller part joins the larger in its buffer, which usually has room for it, so that a
        // file near its limit is not held twice.
        if (head.size() >= entities.size()) {
            head += entities;
            entities = std::string();
        } else {
            entities.insert(0, head);
            head = std::move(entities);
        }
        out_.out = &head;
        if (!r12_) {
            dxf_.writeObjects(out_);
            dxf_.writeObjectsEnd(out_);
        }
        out_.dxfEOF();
        return {std::move(head), cut_};
    }

private:
    // Whether size bytes leave no room for more, the head, the tail and the blocks still to write.
    bool Full(std::size_t size) {
        if (size + promised_ + kTailReserve < limit_)
            return false;
        cut_ = true;
        return true;
    }

    const std::string& Layer(const JwwEntity& e) { return LayerName(static_cast<std::size_t>(e.group * 16 + e.layer)); }

    // The name of layer index (group * 16 + layer), made when first asked for: most files use a few.
    const std::string& LayerName(std::size_t index) {
        if (!named_[index]) {
            layerNames_[index] = DxfString(
                DxfLayerName(LayerLabel(doc_, static_cast<int>(index / 16), static_cast<int>(index % 16))), true);
            named_.set(index);
        }
        return layerNames_[index];
    }

    DL_Attributes Attributes(const JwwEntity& e, const std::string& layer, int lineType) const {
        const std::string_view name = LineTypeName(lineType);
        DL_Attributes a(layer, AciOfPen(e.color), 0, name.empty() ? "CONTINUOUS" : std::string(name), 1.0);
        return a;
    }

    void Header() {
        // The scales of the layer groups have no place of their own in DXF: comments hold them, and
        // $DIMSCALE the scale of the first group that holds something.
        double firstScale = 1;
        bool first = true;
        if (doc_.kind == JwwKind::Drawing) {
            for (int g = 0; g < 16; ++g) {
                const double scale = doc_.scales[static_cast<std::size_t>(g)];
                if (!(std::isfinite(scale) && scale > 0))
                    continue;
                char text[96];
                std::snprintf(text, sizeof text, "layer group %X: scale 1/%g (paper millimetres)", g, scale);
                dxf_.writeComment(out_, text);
                if (first && (doc_.groupsInUse >> g & 1) != 0) {
                    firstScale = scale;
                    first = false;
                }
            }
        }
        dxf_.writeHeader(out_);
        out_.dxfString(9, "$DWGCODEPAGE");
        // Layer names cannot hold escapes (readers take the backslash for a character they refuse in
        // names): they are code page 932 in both versions, the texts escaped in R2000.
        out_.dxfString(3, "ANSI_932");
        if (!r12_) {
            out_.dxfString(9, "$INSUNITS");
            out_.dxfInt(70, 4); // millimetres
            out_.dxfString(9, "$MEASUREMENT");
            out_.dxfInt(70, 1);
        }
        out_.dxfString(9, "$DIMSCALE");
        out_.dxfReal(40, firstScale);
        out_.sectionEnd();
    }

    void Tables() {
        out_.sectionTables();
        dxf_.writeVPort(out_);

        out_.tableLinetypes(3 + 8);
        dxf_.writeLinetype(out_, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
        dxf_.writeLinetype(out_, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
        dxf_.writeLinetype(out_, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
        for (int type = 2; type <= 9; ++type) {
            std::vector<double> pattern = LineTypePattern(type);
            double length = 0;
            for (std::size_t i = 0; i < pattern.size(); ++i) {
                length += pattern[i];
                if (i % 2 == 1)
                    pattern[i] = -pattern[i]; // gaps are negative
            }
            const std::string description = "jw_cad line type " + std::to_string(type);
            dxf_.writeLinetype(out_,
                               DL_LinetypeData(std::string(LineTypeName(type)), description, 0,
                                               static_cast<int>(pattern.size()), length, pattern.data()));
        }
        out_.tableEnd();

        // Members of definitions lie on layer 0, which takes the layer of what places them.
        out_.tableLayers(static_cast<int>(used_.count()) + 1);
        dxf_.writeLayer(out_, DL_LayerData("0", 0), DL_Attributes("", 7, 0, "CONTINUOUS", 1.0));
        for (std::size_t i = 0; i < used_.size(); ++i) {
            if (!used_[i])
                continue;
            const bool shown = (doc_.shown[i / 16] >> (i % 16) & 1) != 0;
            dxf_.writeLayer(out_, DL_LayerData(LayerName(i), 0, doc_.kind == JwwKind::Drawing && !shown),
                            DL_Attributes("", 7, 0, "CONTINUOUS", 1.0));
        }
        out_.tableEnd();

        out_.tableStyle(1);
        dxf_.writeStyle(out_, DL_StyleData("STANDARD", 0, 0.0, 1.0, 0.0, 0, 2.5,
                                           r12_ ? "txt" : "msgothic.ttc", r12_ ? "extfont2.shx" : ""));
        out_.tableEnd();
        dxf_.writeView(out_);
        dxf_.writeUcs(out_);
        out_.tableAppid(1);
        dxf_.writeAppid(out_, "ACAD");
        out_.tableEnd();
        dxf_.writeDimStyle(out_, 2.5, 1.25, 0.625, 0.625, 2.5);
        if (!r12_) {
            dxf_.writeBlockRecord(out_);
            for (const std::uint32_t number : Definitions())
                dxf_.writeBlockRecord(out_, BlockName(number));
            out_.tableEnd();
        }
        out_.sectionEnd();
    }

    // The numbers of the file's definitions: the first of each number.
    std::vector<std::uint32_t> AllDefinitions() const {
        std::vector<std::uint32_t> numbers;
        for (const JwwBlockDef& def : doc_.blocks)
            if (numbers.empty() || numbers.back() != def.number)
                numbers.push_back(def.number);
        return numbers;
    }

    // The definitions written: those placed by what was written, in the file's order.
    std::vector<std::uint32_t> Definitions() const {
        std::vector<std::uint32_t> numbers = AllDefinitions();
        std::erase_if(numbers, [&](std::uint32_t n) { return !placed_.count(n); });
        return numbers;
    }

    void Blocks(std::size_t entityBytes) {
        out_.sectionBlocks();
        // R12 keeps no blocks of its spaces.
        if (!r12_)
            for (const char* space : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
                dxf_.writeBlock(out_, DL_BlockData(space, 0, 0.0, 0.0, 0.0));
                dxf_.writeEndBlock(out_, space);
            }
        static const std::string kLayer0 = "0";
        for (const std::uint32_t number : Definitions()) {
            promised_ -= kBlockBytes; // now written, and counted in what is written
            const JwwBlockDef& def = *doc_.Definition(number);
            const std::string name = BlockName(number);
            dxf_.writeBlock(out_, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
            for (std::uint32_t i = 0; i < def.count; ++i) {
                const std::size_t index = def.first + i;
                if (closesCycle_.count(index))
                    continue;
                const std::size_t before = out_.out->size();
                Write(doc_.blockEntities[index], kLayer0);
                if (Full(out_.out->size() + entityBytes)) {
                    out_.out->resize(before);
                    break;
                }
            }
            dxf_.writeEndBlock(out_, name);
        }
        out_.sectionEnd();
    }

    // References that would place a definition within itself: DXF forbids them; jw_cad's own drawing
    // stops them at a depth, so they add nothing that can be kept. Walked with a stack of its own: a
    // file may nest hundreds of thousands of definitions.
    void FindCycles() {
        std::map<std::uint32_t, int> state; // 1 being walked, 2 done
        struct Step {
            std::uint32_t number;
            std::uint32_t member; // the next member to look at
        };
        std::vector<Step> stack;
        for (const std::uint32_t start : AllDefinitions()) {
            if (state[start] != 0)
                continue;
            state[start] = 1;
            stack.push_back({start, 0});
            while (!stack.empty()) {
                Step& step = stack.back();
                const JwwBlockDef& def = *doc_.Definition(step.number);
                if (step.member == def.count) {
                    state[step.number] = 2;
                    stack.pop_back();
                    continue;
                }
                const std::size_t index = def.first + step.member++;
                const JwwEntity& e = doc_.blockEntities[index];
                if (e.shape != JwwShape::Block || !doc_.Definition(e.extra))
                    continue;
                int& s = state[e.extra];
                if (s == 1) {
                    closesCycle_.insert(index);
                } else if (s == 0) {
                    s = 1;
                    stack.push_back({e.extra, 0});
                }
            }
        }
    }

    // Marks a definition placed, with those it places in turn, each promising room for its block;
    // returns those newly placed.
    std::vector<std::uint32_t> Place(std::uint32_t number) {
        std::vector<std::uint32_t> todo{number}, added;
        while (!todo.empty()) {
            const std::uint32_t n = todo.back();
            todo.pop_back();
            if (!placed_.insert(n).second)
                continue;
            added.push_back(n);
            promised_ += kBlockBytes;
            const JwwBlockDef& def = *doc_.Definition(n);
            for (std::uint32_t i = 0; i < def.count; ++i) {
                const JwwEntity& e = doc_.blockEntities[def.first + i];
                if (e.shape == JwwShape::Block && doc_.Definition(e.extra) && !closesCycle_.count(def.first + i))
                    todo.push_back(e.extra);
            }
        }
        return added;
    }

    void Unplace(const std::vector<std::uint32_t>& numbers) {
        for (const std::uint32_t n : numbers)
            placed_.erase(n);
        promised_ -= numbers.size() * kBlockBytes;
    }

    void Write(const JwwEntity& e, const std::string& layer) {
        const double* v = e.v;
        const int lineType = LineTypeOf(e.style);
        switch (e.shape) {
        case JwwShape::Line:
            dxf_.writeLine(out_, DL_LineData(v[0], v[1], 0, v[2], v[3], 0), Attributes(e, layer, lineType));
            break;
        case JwwShape::Arc:
            WriteArc(e, layer, lineType);
            break;
        case JwwShape::Point:
            dxf_.writePoint(out_, DL_PointData(v[0], v[1], 0), Attributes(e, layer, 1));
            break;
        case JwwShape::Text:
            WriteText(e, layer);
            break;
        case JwwShape::Solid:
            WriteSolid(e, layer);
            break;
        case JwwShape::Block:
            if (doc_.Definition(e.extra))
                dxf_.writeInsert(out_,
                                 DL_InsertData(BlockName(e.extra), v[0], v[1], 0, v[2], v[3], 1,
                                               v[4] * kDegree, 1, 1, 0, 0),
                                 Attributes(e, layer, 1));
            break;
        }
    }

    void WriteArc(const JwwEntity& e, const std::string& layer, int lineType) {
        const double* v = e.v;
        const double sweep = DrawnSweep(v[4], e.extra != 0);
        if (sweep == 0)
            return;
        EllipseArc arc = ArcOf(v[0], v[1], v[2], v[6], v[5], v[3], sweep);
        // DXF's ellipses run counter-clockwise from their major axis, their minor axis a quarter turn
        // on: a mirrored one runs backwards, a wide one starts from its other axis.
        if (arc.u.x * arc.w.y - arc.u.y * arc.w.x < 0) {
            arc.w = {-arc.w.x, -arc.w.y};
            arc.start = -arc.start;
            arc.sweep = -arc.sweep;
        }
        const double major = std::hypot(arc.u.x, arc.u.y), minor = std::hypot(arc.w.x, arc.w.y);
        if (minor > major) {
            const DPoint u = arc.u;
            arc.u = arc.w;
            arc.w = {-u.x, -u.y};
            arc.start -= std::numbers::pi / 2;
        }
        if (arc.sweep < 0) {
            arc.start += arc.sweep;
            arc.sweep = -arc.sweep;
        }
        const double a = std::hypot(arc.u.x, arc.u.y), b = std::hypot(arc.w.x, arc.w.y);
        if (!(a > 0))
            return;
        const bool whole = arc.sweep >= kTwoPi - 1e-12;
        const DL_Attributes attributes = Attributes(e, layer, lineType);
        if (std::fabs(a - b) <= 1e-9 * a) {
            if (whole) {
                dxf_.writeCircle(out_, DL_CircleData(arc.centre.x, arc.centre.y, 0, a), attributes);
            } else {
                const double axis = std::atan2(arc.u.y, arc.u.x);
                const double start = (axis + arc.start) * kDegree;
                dxf_.writeArc(
                    out_, DL_ArcData(arc.centre.x, arc.centre.y, 0, a, start, start + arc.sweep * kDegree),
                    attributes);
            }
            return;
        }
        if (r12_) {
            // R12 has no ellipse: a polyline of chords.
            const int n = std::max(4, static_cast<int>(std::ceil(kChordsPerTurn * arc.sweep / kTwoPi)));
            dxf_.writePolyline(out_, DL_PolylineData(n + 1, 0, 0, 0), attributes);
            for (int k = 0; k <= n; ++k) {
                const DPoint p = arc.At(arc.start + arc.sweep * k / n);
                dxf_.writeVertex(out_, DL_VertexData(p.x, p.y, 0, 0));
            }
            dxf_.writePolylineEnd(out_);
            return;
        }
        const double start = whole ? 0 : arc.start;
        dxf_.writeEllipse(out_,
                          DL_EllipseData(arc.centre.x, arc.centre.y, 0, arc.u.x, arc.u.y, 0,
                                         std::max(b / a, 1e-6), start, whole ? kTwoPi : start + arc.sweep),
                          attributes);
    }

    void WriteText(const JwwEntity& e, const std::string& layer) {
        const std::string_view bytes = doc_.Text(e);
        if (bytes.empty())
            return;
        const double* v = e.v;
        const double height = std::fabs(v[4]);
        if (IsImagePlacement(bytes)) {
            WritePlacedImage(e, layer);
            return;
        }
        if (e.vertical && height > 0) {
            // Written top to bottom: a text for each character, upright at its place.
            const double radians = std::fmod(v[5], 360.0) / kDegree;
            const TextLayout layout = LayOutText(bytes, true, {v[0], v[1]}, {v[2], v[3]},
                                                 {-std::sin(radians), std::cos(radians)}, height);
            const double angle = std::atan2(layout.across.y, layout.across.x);
            for (const LaidGlyph& g : layout.glyphs)
                dxf_.writeText(out_,
                               DL_TextData(g.foot.x, g.foot.y, 0, g.foot.x, g.foot.y, 0, g.size, 1, 0, 0, 0,
                                           DxfString(g.bytes, r12_), "STANDARD", angle),
                               Attributes(e, layer, 1));
            return;
        }
        double widthFactor = 1;
        if (std::isfinite(v[6]) && v[6] > 0 && height > 0)
            widthFactor = std::clamp(v[6] / height, 0.01, 100.0);
        const double angle = std::fmod(v[5], 360.0) / kDegree;
        dxf_.writeText(out_,
                       DL_TextData(v[0], v[1], 0, v[0], v[1], 0, height > 0 ? height : 1, widthFactor, 0, 0,
                                   0, DxfString(ShownText(bytes), r12_), "STANDARD", angle),
                       Attributes(e, layer, 1));
    }

    // An image placement: its frame as lines and its name as a text, as the pictures show it.
    void WritePlacedImage(const JwwEntity& e, const std::string& layer) {
        const double* v = e.v;
        const double radians = std::fmod(v[5], 360.0) / kDegree;
        const ImagePlacement image = ReadImagePlacement(doc_.Text(e));
        const ImageFrame frame = ImageFrameOf(image, {v[0], v[1]}, {v[2], v[3]},
                                              {-std::sin(radians), std::cos(radians)}, std::fabs(v[4]));
        for (std::size_t i = 0; i < frame.corners.size(); ++i) {
            const DPoint a = frame.corners[i], b = frame.corners[(i + 1) % frame.corners.size()];
            dxf_.writeLine(out_, DL_LineData(a.x, a.y, 0, b.x, b.y, 0), Attributes(e, layer, 1));
        }
        if (!image.name.empty() && frame.nameHeight > 0)
            dxf_.writeText(out_,
                           DL_TextData(frame.nameBase.x, frame.nameBase.y, 0, frame.nameBase.x,
                                       frame.nameBase.y, 0, frame.nameHeight, 1, 0, 0, 0,
                                       DxfString(image.name, r12_), "STANDARD", radians),
                           Attributes(e, layer, 1));
    }

    void WriteSolid(const JwwEntity& e, const std::string& layer) {
        DL_Attributes attributes = Attributes(e, layer, 1);
        if (e.color == kJwwSolidOwnColor) {
            attributes.setColor(AciOfRgb(e.extra));
            if (!r12_)
                attributes.setColor24(
                    static_cast<int>((e.extra & 0xFF) << 16 | (e.extra & 0xFF00) | (e.extra >> 16 & 0xFF)));
        }
        const double* v = e.v;
        if (e.style < 101) {
            // DXF takes a solid's corners in the order 1, 2, 4, 3.
            dxf_.writeSolid(out_, DL_SolidData(v[0], v[1], 0, v[2], v[3], 0, v[6], v[7], 0, v[4], v[5], 0),
                            attributes);
            return;
        }
        // Round solids: their outline in chords, filled by a hatch; R12, which has no hatch, fills it
        // with four-cornered solids.
        std::vector<std::vector<DPoint>> rings(1);
        struct Outline {
            std::vector<std::vector<DPoint>>& rings;
            void Corner(DPoint c) { rings.back().push_back(c); }
            void Arc(const EllipseArc& arc) {
                const int n =
                    std::max(2, static_cast<int>(std::ceil(kChordsPerTurn * std::fabs(arc.sweep) / kTwoPi)));
                for (int k = 0; k <= n; ++k)
                    rings.back().push_back(arc.At(arc.start + arc.sweep * k / n));
            }
            void EndRing() { rings.emplace_back(); }
        } outline{rings};
        WalkSolidOutline(e, Affine{}, outline);
        rings.pop_back();
        std::erase_if(rings, [](const std::vector<DPoint>& ring) { return ring.size() < 3; });
        if (rings.empty())
            return;
        if (r12_) {
            for (const auto& [a, b, c, d] : Trapezoids(rings))
                dxf_.writeSolid(out_, DL_SolidData(a.x, a.y, 0, b.x, b.y, 0, c.x, c.y, 0, d.x, d.y, 0), attributes);
            return;
        }
        const DL_HatchData hatch(static_cast<int>(rings.size()), true, 1.0, 0.0, "SOLID");
        dxf_.writeHatch1(out_, hatch, attributes);
        for (const auto& ring : rings) {
            const DL_HatchLoopData loop(static_cast<int>(ring.size()));
            dxf_.writeHatchLoop1(out_, loop);
            for (std::size_t i = 0; i < ring.size(); ++i) {
                const DPoint a = ring[i], b = ring[(i + 1) % ring.size()];
                dxf_.writeHatchEdge(out_, DL_HatchEdgeData(a.x, a.y, b.x, b.y));
            }
            dxf_.writeHatchLoop2(out_, loop);
        }
        dxf_.writeHatch2(out_, hatch, attributes);
    }

    EntityStream& stream_;
    JwwDocument& doc_;
    bool r12_;
    DL_Dxf dxf_;
    DxfText out_;
    std::size_t limit_;
    std::size_t expectedBytes_;
    bool cut_ = false;
    std::array<std::string, 256> layerNames_;
    std::bitset<256> named_;
    std::bitset<256> used_;
    std::set<std::size_t> closesCycle_; // members of definitions that are not written
    std::set<std::uint32_t> placed_;    // the definitions to write
    std::size_t promised_ = 0;          // room kept for the blocks of placed definitions, kBlockBytes each
};

} // namespace

ExportBytes ExportDxf(EntityStream& stream, DxfVersion version, std::size_t limit) {
    return DxfExporter(stream, version, limit, stream.SourceBytes()).Run();
}

} // namespace plavik
