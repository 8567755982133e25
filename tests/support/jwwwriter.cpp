#include "jwwwriter.h"

#include <algorithm>

namespace plavik::test {

namespace {

void Length(ByteWriter& w, std::uint64_t n, CStringForm form) {
    if (form == CStringForm::Word || (form != CStringForm::DWord && n >= 0xFF && n < 0xFFFE)) {
        w.U8(0xFF).U16(static_cast<std::uint16_t>(n));
    } else if (form == CStringForm::DWord || n >= 0xFFFE) {
        w.U8(0xFF).U16(0xFFFF).U32(static_cast<std::uint32_t>(n));
    } else {
        w.U8(static_cast<std::uint8_t>(n));
    }
}

std::vector<std::uint16_t> Utf16(const std::string& utf8) {
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        std::uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += 1 + extra;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(cp));
        }
    }
    return units;
}

void Count(ByteWriter& w, std::uint64_t n) {
    if (n < 0xFFFF) {
        w.U16(static_cast<std::uint16_t>(n));
    } else if (n < 0xFFFFFFFF) {
        w.U16(0xFFFF).U32(static_cast<std::uint32_t>(n));
    } else {
        w.U16(0xFFFF).U32(0xFFFFFFFF).U64(n);
    }
}

ByteWriter& Doubles(ByteWriter& w, std::initializer_list<double> values) {
    for (const double v : values)
        w.F64(v);
    return w;
}

ByteWriter& Repeat(ByteWriter& w, int n, std::uint32_t dword) {
    for (int i = 0; i < n; ++i)
        w.U32(dword);
    return w;
}

ByteWriter& RepeatF(ByteWriter& w, int n, double v) {
    for (int i = 0; i < n; ++i)
        w.F64(v);
    return w;
}

} // namespace

JwwWriter::JwwWriter(bool figure, std::uint32_t version) : figure_(figure), version_(version) {
    groups_.fill(2);
    scales_.fill(100);
    for (auto& g : layers_)
        g.fill(2);
    memo_ = {0};
    for (auto& g : layerNames_)
        g.fill({0});
    groupNames_.fill({0});
    pens_.fill({0x000000FF, 0, 1});
}

JwwWriter JwwWriter::Figure(std::uint32_t version) {
    return JwwWriter(true, version);
}

JwwWriter JwwWriter::Drawing(std::uint32_t version) {
    return JwwWriter(false, version);
}

JwwWriter& JwwWriter::RefPoint(double x, double y) {
    ref_[0] = x;
    ref_[1] = y;
    return *this;
}

JwwWriter& JwwWriter::Box(double minX, double minY, double maxX, double maxY) {
    box_[0] = minX;
    box_[1] = minY;
    box_[2] = maxX;
    box_[3] = maxY;
    return *this;
}

JwwWriter& JwwWriter::Memo(const std::string& bytes) {
    ByteWriter w;
    Str(w, bytes);
    memo_ = w.bytes;
    return *this;
}

JwwWriter& JwwWriter::Paper(std::uint32_t code) {
    paper_ = code;
    return *this;
}

JwwWriter& JwwWriter::GroupScale(int group, double denominator) {
    scales_[group] = denominator;
    return *this;
}

JwwWriter& JwwWriter::GroupState(int group, std::uint32_t state) {
    groups_[group] = state;
    return *this;
}

JwwWriter& JwwWriter::LayerState(int group, int layer, std::uint32_t state) {
    layers_[group][layer] = state;
    return *this;
}

JwwWriter& JwwWriter::LayerName(int group, int layer, const std::string& bytes) {
    ByteWriter w;
    Str(w, bytes);
    layerNames_[group][layer] = w.bytes;
    return *this;
}

JwwWriter& JwwWriter::GroupName(int group, const std::string& bytes) {
    ByteWriter w;
    Str(w, bytes);
    groupNames_[group] = w.bytes;
    return *this;
}

JwwWriter& JwwWriter::Pen(int pen, std::uint32_t screen, std::uint32_t printer, std::uint32_t printWidth) {
    pens_[pen] = {screen, printer, printWidth};
    return *this;
}

ByteWriter JwwWriter::Prefix(const JwwAttr& a) const {
    ByteWriter w;
    w.U32(0).U8(a.style).U16(a.color);
    if (version_ >= 351)
        w.U16(a.width);
    w.U16(a.layer).U16(a.group).U16(a.flags);
    return w;
}

void JwwWriter::Str(ByteWriter& w, const std::string& s) const {
    if (form_ != CStringForm::Utf16) {
        Length(w, s.size(), form_);
        w.Text(s);
        return;
    }
    const auto units = Utf16(s);
    w.U8(0xFF).U16(0xFFFE);
    Length(w, units.size(), CStringForm::Natural);
    for (const std::uint16_t u : units)
        w.U16(u);
}

std::vector<JwwWriter::Obj>& JwwWriter::Target() {
    if (inDefinition_)
        return definitions_.back().members;
    return toDefinitionList_ ? definitions_ : entities_;
}

JwwWriter& JwwWriter::Add(const std::string& className, const ByteWriter& body) {
    Obj o;
    o.className = className;
    o.body = body.bytes;
    Target().push_back(std::move(o));
    return *this;
}

JwwWriter& JwwWriter::Line(double x1, double y1, double x2, double y2, JwwAttr a) {
    ByteWriter w = Prefix(a);
    Doubles(w, {x1, y1, x2, y2});
    return Add("CDataSen", w);
}

JwwWriter& JwwWriter::Arc(double cx, double cy, double r, double start, double sweep, double tilt,
                          double flatness, std::uint32_t full, JwwAttr a) {
    ByteWriter w = Prefix(a);
    Doubles(w, {cx, cy, r, start, sweep, tilt, flatness}).U32(full);
    return Add("CDataEnko", w);
}

JwwWriter& JwwWriter::Circle(double cx, double cy, double r, JwwAttr a) {
    return Arc(cx, cy, r, 0, 2 * kPi, 0, 1, 1, a);
}

JwwWriter& JwwWriter::Point(double x, double y, std::uint32_t temporary, JwwAttr a) {
    ByteWriter w = Prefix(a);
    Doubles(w, {x, y}).U32(temporary);
    if (a.style == 100 && version_ >= 252)
        w.U32(7).F64(45).F64(2);
    return Add("CDataTen", w);
}

JwwWriter& JwwWriter::Font(const std::string& bytes) {
    font_ = bytes;
    return *this;
}

JwwWriter& JwwWriter::Text(double x1, double y1, double x2, double y2, const std::string& text, double height,
                           double angle, JwwAttr a) {
    ByteWriter w = Prefix(a);
    Doubles(w, {x1, y1, x2, y2}).U32(1);
    Doubles(w, {height, height, 0.5, angle});
    Str(w, font_);
    Str(w, text);
    return Add("CDataMoji", w);
}

JwwWriter& JwwWriter::Solid(const std::array<double, 8>& p, JwwAttr a, std::uint32_t rgb) {
    ByteWriter w = Prefix(a);
    for (const double v : p)
        w.F64(v);
    if (a.color == 10)
        w.U32(rgb);
    return Add("CDataSolid", w);
}

JwwWriter& JwwWriter::Block(double x, double y, double scaleX, double scaleY, double rotation,
                            std::uint32_t number, JwwAttr a) {
    ByteWriter w = Prefix(a);
    Doubles(w, {x, y, scaleX, scaleY, rotation}).U32(number);
    return Add("CDataBlock", w);
}

JwwWriter& JwwWriter::Dimension(double x1, double y1, double x2, double y2, const std::string& text,
                                JwwAttr a) {
    ByteWriter w = Prefix(a);
    const ByteWriter part = Prefix(a);
    w.bytes.insert(w.bytes.end(), part.bytes.begin(), part.bytes.end());
    Doubles(w, {x1, y1, x2, y2});
    w.bytes.insert(w.bytes.end(), part.bytes.begin(), part.bytes.end());
    Doubles(w, {x1, y1 + 1, x2, y2 + 1}).U32(1);
    Doubles(w, {2.5, 2.5, 0, 0});
    Str(w, "");
    Str(w, text);
    if (version_ >= 420) {
        w.U16(1);
        for (int i = 0; i < 2; ++i) {
            w.bytes.insert(w.bytes.end(), part.bytes.begin(), part.bytes.end());
            Doubles(w, {x1, y1 - 5, x1, y1});
        }
        for (int i = 0; i < 4; ++i) {
            w.bytes.insert(w.bytes.end(), part.bytes.begin(), part.bytes.end());
            Doubles(w, {x1, y1}).U32(0);
        }
    }
    return Add("CDataSunpou", w);
}

JwwWriter& JwwWriter::BeginDefinition(std::uint32_t number, const std::string& name) {
    ByteWriter w = Prefix({});
    w.U32(number).U32(1).U32(1700000000);
    Str(w, name);
    Obj o;
    o.className = "CDataList";
    o.body = w.bytes;
    o.definition = true;
    definitions_.push_back(std::move(o));
    inDefinition_ = true;
    return *this;
}

JwwWriter& JwwWriter::EndDefinition() {
    inDefinition_ = false;
    return *this;
}

JwwWriter& JwwWriter::Object(const std::string& className, const std::vector<std::uint8_t>& body) {
    ByteWriter w;
    w.bytes = body;
    return Add(className, w);
}

JwwWriter& JwwWriter::Raw(const std::vector<std::uint8_t>& bytes, int ids) {
    Obj o;
    o.body = bytes;
    o.ids = ids;
    Target().push_back(std::move(o));
    return *this;
}

JwwWriter& JwwWriter::ToDefinitionList() {
    toDefinitionList_ = true;
    return *this;
}

JwwWriter& JwwWriter::ToEntityList() {
    toDefinitionList_ = false;
    return *this;
}

JwwWriter& JwwWriter::EntityCount(std::uint64_t count) {
    entityCount_ = count;
    return *this;
}

JwwWriter& JwwWriter::DefinitionCount(std::uint64_t count) {
    definitionCount_ = count;
    return *this;
}

JwwWriter& JwwWriter::MemberCount(std::uint64_t count) {
    definitions_.back().memberCount = count;
    return *this;
}

JwwWriter& JwwWriter::Strings(CStringForm form) {
    form_ = form;
    return *this;
}

JwwWriter& JwwWriter::BigClassTags() {
    bigTags_ = true;
    return *this;
}

JwwWriter& JwwWriter::Images(std::uint32_t count) {
    images_ = count;
    return *this;
}

JwwWriter& JwwWriter::Trailer(const std::vector<std::uint8_t>& bytes) {
    trailer_ = bytes;
    return *this;
}

void JwwWriter::Header(ByteWriter& out) const {
    if (figure_) {
        out.Text("JwsData.").Text(std::string(192, '.')).U32(version_);
        Doubles(out, {ref_[0], ref_[1]});
        RepeatF(out, 16, 100.0);
        for (int i = 1; i <= 6; ++i)
            out.U32(static_cast<std::uint32_t>(i));
        for (int i = 1; i <= 6; ++i)
            out.F64(i);
        Doubles(out, {box_[0], box_[1], box_[2], box_[3]});
        return;
    }
    const std::uint32_t v = version_;
    out.Text("JwwData.").U32(v);
    out.bytes.insert(out.bytes.end(), memo_.begin(), memo_.end());
    out.U32(paper_).U32(0);
    for (int g = 0; g < 16; ++g) {
        out.U32(groups_[g]).U32(0).F64(scales_[g]).U32(0);
        for (int l = 0; l < 16; ++l)
            out.U32(layers_[g][l]).U32(0);
    }
    out.U32(11800);
    Repeat(out, 13, 0);                    // dummies
    Repeat(out, 5, 12345);                 // dimension settings
    out.U32(0).I32(-101);                  // dummy, largest line width
    Doubles(out, {0, 0, 1}).U32(0).I32(0); // print origin and scale, print flags, grid mode
    Doubles(out, {1, 5, 5, -297, -210});   // grid
    for (const auto& group : layerNames_)
        for (const auto& name : group)
            out.bytes.insert(out.bytes.end(), name.begin(), name.end());
    for (const auto& name : groupNames_)
        out.bytes.insert(out.bytes.end(), name.begin(), name.end());
    Doubles(out, {1, 2}).U32(3).F64(4); // shadow
    if (v >= 300)
        Doubles(out, {5, 6});         // sky map
    out.U32(0);                       // 2.5D
    Doubles(out, {1, 0, 0, 1, 0, 0}); // view, remembered range
    for (int i = 0; i < (v >= 300 ? 8 : 4); ++i) {
        Doubles(out, {1, 2, 3}); // mark jumps
        if (v >= 300)
            out.U32(4);
    }
    if (v >= 300)
        Doubles(out, {1, 2, 3}).U32(4).F64(5).F64(6).F64(7).U32(8); // text drawing
    RepeatF(out, 11, 2.5);                                          // multi-line spacings
    for (const auto& pen : pens_)
        out.U32(pen[0]).U32(1); // screen pens
    for (const auto& pen : pens_)
        out.U32(pen[1]).U32(pen[2]).F64(0.5); // printer pens
    Repeat(out, 8 * 4 + 5 * 5 + 4 * 4, 0x55); // line types
    Repeat(out, 11, 1);                       // switches
    if (v >= 223) {
        Repeat(out, 5, 0);
        RepeatF(out, 5, 1.0);
    }
    if (v >= 225)
        RepeatF(out, 4, 10.0);
    if (v >= 230)
        out.U32(0).U32(0x00808080);
    if (v >= 420) {
        Repeat(out, 257 * 2, 7); // SXF screen pens
        for (int i = 0; i < 257; ++i) {
            out.U8(3).Text("pen");
            out.U32(0).U32(1).F64(0.25);
        }
        Repeat(out, 33 * 4, 9); // SXF line types
        for (int i = 0; i < 33; ++i) {
            out.U8(4).Text("type");
            out.U32(2);
            RepeatF(out, 10, 1.0);
        }
    }
    for (int i = 0; i < 10; ++i)
        Doubles(out, {2, 2, 0.5}).U32(1); // text kinds
    Doubles(out, {3, 3, 0.5}).U32(1).U32(1);
    Doubles(out, {0, 0});
    out.U32(0);
    RepeatF(out, 6, 0.0);
}

void JwwWriter::List(ByteWriter& out, const std::vector<Obj>& objects, std::optional<std::uint64_t> count,
                     std::vector<std::pair<std::string, std::uint32_t>>& classes,
                     std::uint32_t& nextId) const {
    Count(out, count.value_or(objects.size()));
    for (const Obj& o : objects) {
        if (o.className.empty()) {
            out.bytes.insert(out.bytes.end(), o.body.begin(), o.body.end());
            nextId += static_cast<std::uint32_t>(o.ids);
            continue;
        }
        const auto known = std::find_if(classes.begin(), classes.end(),
                                        [&](const auto& c) { return c.first == o.className; });
        if (known == classes.end()) {
            out.U16(0xFFFF).U16(static_cast<std::uint16_t>(version_));
            out.U16(static_cast<std::uint16_t>(o.className.size())).Text(o.className);
            classes.emplace_back(o.className, nextId++);
        } else if (bigTags_ || known->second >= 0x7FFF) {
            out.U16(0x7FFF).U32(0x80000000u | known->second);
        } else {
            out.U16(static_cast<std::uint16_t>(0x8000 | known->second));
        }
        ++nextId;
        out.bytes.insert(out.bytes.end(), o.body.begin(), o.body.end());
        if (o.definition)
            List(out, o.members, o.memberCount, classes, nextId);
    }
}

std::vector<std::uint8_t> JwwWriter::Bytes() const {
    ByteWriter out;
    Header(out);
    std::vector<std::pair<std::string, std::uint32_t>> classes;
    std::uint32_t nextId = 1;
    List(out, entities_, entityCount_, classes, nextId);
    List(out, definitions_, definitionCount_, classes, nextId);
    if (!figure_ && version_ >= 700)
        out.U32(images_);
    out.bytes.insert(out.bytes.end(), trailer_.begin(), trailer_.end());
    return out.bytes;
}

std::vector<std::uint8_t> JwwWriter::Cut(std::size_t size) const {
    auto bytes = Bytes();
    bytes.resize(std::min(size, bytes.size()));
    return bytes;
}

std::size_t JwwWriter::StreamOffset() const {
    ByteWriter out;
    Header(out);
    return out.Size();
}

} // namespace plavik::test
