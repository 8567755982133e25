#include "export/svgexport.h"

#include "export/vectorwalk.h"
#include "platform/sjis.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace plavik {

namespace {

constexpr double kStrokeWidth = 0.18; // millimetres: jw_cad's thinnest printed pen
constexpr double kPointRadius = 0.25;

std::string Number(double v) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.4f", v);
    std::string text(buffer);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

// Text for XML: the five reserved characters as references, characters XML does not allow left out.
std::string Xml(const QString& text) {
    std::string out;
    for (const char c : text.toStdString()) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                out += c;
        }
    }
    return out;
}

std::string Color(COLORREF bgr) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", bgr & 0xFF, bgr >> 8 & 0xFF, bgr >> 16 & 0xFF);
    return buffer;
}

class SvgSink : public VectorSink {
public:
    SvgSink(const Box& page, std::size_t limit) : page_(page), limit_(limit) {}

    void Layer(int group, int layer) override { current_ = &layers_[static_cast<std::size_t>(group * 16 + layer)]; }

    void Line(DPoint a, DPoint b, int lineType, int) override {
        if (!Finite(a) || !Finite(b))
            return;
        Add("<path d=\"M" + At(a) + "L" + At(b) + "\"" + Dashes(lineType) + "/>\n");
    }

    void Arc(const EllipseArc& arc, int lineType, int) override {
        const double a = std::hypot(arc.u.x, arc.u.y), b = std::hypot(arc.w.x, arc.w.y);
        const bool axes = std::fabs(arc.u.x * arc.w.x + arc.u.y * arc.w.y) <= 1e-9 * a * b;
        std::string d;
        if (axes && a > 0 && b > 0 && std::fabs(arc.sweep) < kTwoPi) {
            // An elliptic arc command; y turns downward, so a counter-clockwise sweep is drawn clockwise.
            const DPoint from = arc.At(arc.start), to = arc.At(arc.start + arc.sweep);
            const bool mirrored = arc.u.x * arc.w.y - arc.u.y * arc.w.x < 0;
            const bool ccw = (arc.sweep > 0) != mirrored;
            const double rotation = -std::atan2(arc.u.y, arc.u.x) * 180 / std::numbers::pi;
            d = "M" + At(from) + "A" + Number(a) + " " + Number(b) + " " + Number(rotation) + " " +
                (std::fabs(arc.sweep) > std::numbers::pi ? "1" : "0") + " " + (ccw ? "0" : "1") + " " + At(to);
        } else {
            const std::vector<DPoint> points = ArcChords(arc);
            for (std::size_t i = 0; i < points.size(); ++i)
                d += (i == 0 ? "M" : "L") + At(points[i]);
        }
        if (d.find("nan") != std::string::npos || d.find("inf") != std::string::npos)
            return;
        Add("<path d=\"" + d + "\"" + Dashes(lineType) + "/>\n");
    }

    void Point(DPoint p, int) override {
        if (Finite(p))
            Add("<circle cx=\"" + Number(X(p)) + "\" cy=\"" + Number(Y(p)) + "\" r=\"" + Number(kPointRadius) +
                "\" fill=\"#000\" stroke=\"none\"/>\n");
    }

    void Text(const VectorText& t) override {
        const std::string family = " font-family=\"" + (t.font.isEmpty() ? std::string() : Xml(t.font) + ", ") +
                                   "IPAGothic, sans-serif\"";
        if (!t.glyphs.empty()) {
            // Written top to bottom: one text, each character placed upright on its own.
            std::string element = "<text fill=\"#000\" stroke=\"none\"" + family + ">";
            const std::string turn = t.angle != 0 ? " rotate=\"" + Number(-t.angle) + "\"" : std::string();
            for (const VectorGlyph& g : t.glyphs)
                element += "<tspan x=\"" + Number(X(g.base)) + "\" y=\"" + Number(Y(g.base)) + "\" font-size=\"" +
                           Number(g.height) + "\"" + turn + ">" + Xml(g.text) + "</tspan>";
            Add(element + "</text>\n");
            return;
        }
        std::string element = "<text x=\"" + Number(X(t.base)) + "\" y=\"" + Number(Y(t.base)) +
                              "\" font-size=\"" + Number(t.height) + "\" fill=\"#000\" stroke=\"none\"";
        if (t.angle != 0)
            element += " transform=\"rotate(" + Number(-t.angle) + " " + Number(X(t.base)) + " " +
                       Number(Y(t.base)) + ")\"";
        if (t.length > 0 && std::isfinite(t.length))
            element += " textLength=\"" + Number(t.length) + "\" lengthAdjust=\"spacingAndGlyphs\"";
        Add(element + family + ">" + Xml(t.text) + "</text>\n");
    }

    void Fill(const std::vector<std::vector<DPoint>>& rings, COLORREF color) override {
        std::string d;
        for (const auto& ring : rings) {
            for (std::size_t i = 0; i < ring.size(); ++i) {
                if (!Finite(ring[i]))
                    return;
                d += (i == 0 ? "M" : "L") + At(ring[i]);
            }
            d += "Z";
        }
        if (!d.empty())
            Add("<path d=\"" + d + "\" fill=\"" + Color(color) + "\" stroke=\"" + Color(color) +
                "\" fill-rule=\"evenodd\"/>\n");
    }

    bool Full() const override { return cut_; }

    ExportBytes Result(const JwwDocument& doc) const {
        const double w = page_.maxX - page_.minX, h = page_.maxY - page_.minY;
        std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                          Number(w) + "mm\" height=\"" + Number(h) + "mm\" viewBox=\"0 0 " + Number(w) + " " +
                          Number(h) + "\">\n";
        if (!doc.memo.empty())
            svg += "<desc>" + Xml(DecodeSjis(doc.memo).trimmed()) + "</desc>\n";
        svg += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
        for (int g = 0; g < 16; ++g) {
            bool any = false;
            for (int l = 0; l < 16; ++l)
                any = any || !layers_[static_cast<std::size_t>(g * 16 + l)].empty();
            if (!any)
                continue;
            svg += "<g id=\"group-" + std::string(1, "0123456789ABCDEF"[g]) + "\">\n";
            for (int l = 0; l < 16; ++l) {
                const std::string& body = layers_[static_cast<std::size_t>(g * 16 + l)];
                if (body.empty())
                    continue;
                const QString label = LayerLabel(doc, g, l);
                svg += "<g id=\"layer-" + Xml(label.left(3)) + "\" fill=\"none\" stroke=\"#000\" stroke-width=\"" +
                       Number(kStrokeWidth) + "\" stroke-linecap=\"round\">\n<title>" + Xml(label) + "</title>\n";
                svg += body;
                svg += "</g>\n";
            }
            svg += "</g>\n";
        }
        svg += "</svg>\n";
        return {std::move(svg), cut_};
    }

private:
    static bool Finite(DPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }
    double X(DPoint p) const { return p.x - page_.minX; }
    double Y(DPoint p) const { return page_.maxY - p.y; }
    std::string At(DPoint p) const { return Number(X(p)) + " " + Number(Y(p)); }

    static std::string Dashes(int lineType) {
        const std::vector<double> pattern = LineTypePattern(lineType);
        if (pattern.empty())
            return {};
        std::string text = " stroke-dasharray=\"";
        for (std::size_t i = 0; i < pattern.size(); ++i)
            text += (i ? " " : "") + Number(pattern[i]);
        return text + "\"";
    }

    void Add(const std::string& element) {
        if (cut_ || !current_)
            return;
        if (size_ + element.size() + kTail > limit_) {
            cut_ = true;
            return;
        }
        size_ += element.size();
        *current_ += element;
    }

    // Room for the head and the ends of the groups.
    static constexpr std::size_t kTail = 64 << 10;

    Box page_;
    std::size_t limit_;
    std::size_t size_ = 0;
    bool cut_ = false;
    std::array<std::string, 256> layers_;
    std::string* current_ = nullptr;
};

} // namespace

ExportBytes ExportSvg(EntityStream& stream, std::size_t limit) {
    SvgSink sink(PageOf(stream), limit);
    WalkVectors(stream, sink);
    return sink.Result(stream.Document());
}

} // namespace plavik
