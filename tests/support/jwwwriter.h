// Builds figure (.jws) and drawing (.jww) files byte by byte from their layout, for the test fixtures:
// the figure's fixed header or the drawing's header field by field, then the object stream (class
// declarations and class tags with their persistent ids) of the entity list and the block definition
// list, and for drawings of version 700 the image count. Overrides write malformed files.
#pragma once

#include "bytewriter.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plavik::test {

// The common prefix of every entity.
struct JwwAttr {
    std::uint8_t style = 1;
    std::uint16_t color = 1;
    std::uint16_t width = 0; // written from version 351 on
    std::uint16_t layer = 0;
    std::uint16_t group = 0;
    std::uint16_t flags = 0;
};

// How strings are written: the shortest length form, a forced longer form, or UTF-16 (the text is
// given as UTF-8 and written as UTF-16LE code units).
enum class CStringForm { Natural, Word, DWord, Utf16 };

class JwwWriter {
public:
    static constexpr double kPi = 3.141592653589793;

    static JwwWriter Figure(std::uint32_t version = 600);
    static JwwWriter Drawing(std::uint32_t version = 600);

    // Figure header.
    JwwWriter& RefPoint(double x, double y);
    JwwWriter& Box(double minX, double minY, double maxX, double maxY);
    // Drawing header. Every group and layer starts in state 2 (editable).
    JwwWriter& Memo(const std::string& bytes);
    JwwWriter& Paper(std::uint32_t code);
    JwwWriter& GroupState(int group, std::uint32_t state);
    // A group's scale denominator; every group starts at 100 (1/100).
    JwwWriter& GroupScale(int group, double denominator);
    JwwWriter& LayerState(int group, int layer, std::uint32_t state);
    JwwWriter& LayerName(int group, int layer, const std::string& bytes);
    JwwWriter& GroupName(int group, const std::string& bytes);
    // Pen 0..9's screen colour, and its printer colour and width; every pen starts red on screen,
    // black in print, width 1.
    JwwWriter& Pen(int pen, std::uint32_t screen, std::uint32_t printer, std::uint32_t printWidth);

    // Entities, into the top-level list or into the definition begun last. Angles in radians.
    JwwWriter& Line(double x1, double y1, double x2, double y2, JwwAttr a = {});
    JwwWriter& Arc(double cx, double cy, double r, double start, double sweep, double tilt = 0,
                   double flatness = 1, std::uint32_t full = 0, JwwAttr a = {});
    JwwWriter& Circle(double cx, double cy, double r, JwwAttr a = {});
    // Style 100 adds the marker fields from version 252 on.
    JwwWriter& Point(double x, double y, std::uint32_t temporary = 0, JwwAttr a = {});
    // The font name of the texts that follow (code page 932 bytes); "ＭＳ ゴシック" until set.
    JwwWriter& Font(const std::string& bytes);
    // Base line from (x1, y1) to (x2, y2); height in millimetres, angle in degrees.
    JwwWriter& Text(double x1, double y1, double x2, double y2, const std::string& text, double height = 3,
                    double angle = 0, JwwAttr a = {});
    // Four points (or a round solid's eight numbers); rgb is written when a.color is 10.
    JwwWriter& Solid(const std::array<double, 8>& p, JwwAttr a = {}, std::uint32_t rgb = 0);
    JwwWriter& Block(double x, double y, double scaleX, double scaleY, double rotation, std::uint32_t number,
                     JwwAttr a = {});
    // A dimension: its line and its text, and from version 420 on the SXF mode, two lines and four
    // points.
    JwwWriter& Dimension(double x1, double y1, double x2, double y2, const std::string& text, JwwAttr a = {});

    // Block definitions go to the second list; the entities between Begin and End are its members.
    JwwWriter& BeginDefinition(std::uint32_t number, const std::string& name = "");
    JwwWriter& EndDefinition();

    // Overrides.
    // An object of any class name, its body (everything after the tag) given whole.
    JwwWriter& Object(const std::string& className, const std::vector<std::uint8_t>& body);
    // Bytes in place of an object, tag included; they count as one object and take `ids` ids.
    JwwWriter& Raw(const std::vector<std::uint8_t>& bytes, int ids = 1);
    // Objects added from now on go to the definition list itself (not into a definition), or back.
    JwwWriter& ToDefinitionList();
    JwwWriter& ToEntityList();
    // The count written for the entity list, the definition list, or the open definition's members.
    JwwWriter& EntityCount(std::uint64_t count);
    JwwWriter& DefinitionCount(std::uint64_t count);
    JwwWriter& MemberCount(std::uint64_t count);
    // Strings given from now on take this form.
    JwwWriter& Strings(CStringForm form);
    // Class tags as big tags (0x7FFF and a DWORD), as files of more than 32,766 ids have them.
    JwwWriter& BigClassTags();
    // Drawings of version 700 on: the image count (0 unless set) and bytes after it.
    JwwWriter& Images(std::uint32_t count);
    JwwWriter& Trailer(const std::vector<std::uint8_t>& bytes);

    std::vector<std::uint8_t> Bytes() const;
    std::vector<std::uint8_t> Cut(std::size_t size) const;
    // Where the entity list starts in Bytes().
    std::size_t StreamOffset() const;

private:
    struct Obj {
        std::string className; // empty: raw bytes in body
        std::vector<std::uint8_t> body;
        int ids = 1;
        bool definition = false;
        std::vector<Obj> members; // a definition's entities, written after its body
        std::optional<std::uint64_t> memberCount;
    };

    JwwWriter(bool figure, std::uint32_t version);
    ByteWriter Prefix(const JwwAttr& a) const;
    void Str(ByteWriter& w, const std::string& s) const;
    JwwWriter& Add(const std::string& className, const ByteWriter& body);
    std::vector<Obj>& Target();
    void Header(ByteWriter& out) const;
    void List(ByteWriter& out, const std::vector<Obj>& objects, std::optional<std::uint64_t> count,
              std::vector<std::pair<std::string, std::uint32_t>>& classes, std::uint32_t& nextId) const;

    bool figure_;
    std::uint32_t version_;
    double ref_[2] = {};
    double box_[4] = {};
    std::vector<std::uint8_t> memo_;
    std::uint32_t paper_ = 3;
    std::array<std::uint32_t, 16> groups_;
    std::array<double, 16> scales_;
    std::array<std::array<std::uint32_t, 16>, 16> layers_;
    std::array<std::array<std::vector<std::uint8_t>, 16>, 16> layerNames_;
    std::array<std::vector<std::uint8_t>, 16> groupNames_;
    std::string font_ = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e"; // "ＭＳ ゴシック"
    std::array<std::array<std::uint32_t, 3>, 10> pens_; // screen colour, printer colour and width
    std::vector<Obj> entities_, definitions_;
    std::optional<std::uint64_t> entityCount_, definitionCount_;
    bool inDefinition_ = false;
    bool toDefinitionList_ = false;
    CStringForm form_ = CStringForm::Natural;
    bool bigTags_ = false;
    std::uint32_t images_ = 0;
    std::vector<std::uint8_t> trailer_;
};

} // namespace plavik::test
