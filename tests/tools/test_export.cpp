// export: DXF read back by ezdxf, SVG rendered by rsvg-convert, PDF read by poppler, folders, and the
// outputs that cannot be written.
#include "support/jwwwriter.h"
#include "toolrunner.h"

#include "platform/sjis.h"
#include "render/entitystream.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace plavik::test {
namespace {

const QString kSamples = QStringLiteral(PLAVIK_SOURCE_DIR "/samples/");
// The Python that has ezdxf: the system's own.
const QString kPython = QStringLiteral("/usr/bin/python3");

// Reads DXF files with ezdxf and prints, per file, the audit's errors, the model space's entities by
// type, the texts (escapes decoded) and the layers with their on/off states.
constexpr const char* kReadDxf = R"(
import sys, json, ezdxf
from collections import Counter
from ezdxf.lldxf.encoding import decode_dxf_unicode
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
msp = doc.modelspace()
print(json.dumps({
    "version": doc.dxfversion,
    "errors": [e.message for e in auditor.errors],
    "types": Counter(e.dxftype() for e in msp),
    "texts": [decode_dxf_unicode(e.dxf.text) for e in msp.query("TEXT")],
    "layers": {decode_dxf_unicode(l.dxf.name): l.is_off() for l in doc.layers},
    "codepage": doc.header.get("$DWGCODEPAGE", ""),
    "ends": [[e.dxftype(), e.start_point.x, e.start_point.y, e.end_point.x, e.end_point.y] for e in msp.query("ARC ELLIPSE")],
    "inserts": [[e.dxf.name, e.dxf.xscale, e.dxf.yscale, e.dxf.rotation] for e in msp.query("INSERT")],
    "solidArea": sum(abs(sum(a.x * b.y - b.x * a.y for a, b in zip(v, v[1:] + v[:1]))) / 2
                     for v in (list(e.vertices()) for e in msp.query("SOLID"))),
}, ensure_ascii=False))
)";

QJsonObject ReadDxf(const QString& file) {
    const ToolRun run = RunProgram(kPython, {"-c", kReadDxf, file});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out).object();
}

// What the stream holds on every layer, as the export writes it: one DXF entity per entity, jw_cad's
// setting records and empty texts left out.
struct Expected {
    int entities = 0, lines = 0, solids = 0;
    QStringList texts;
};

Expected ExpectedOf(const QString& file) {
    FileBytes bytes(std::filesystem::path(file.toStdString()));
    std::optional<EntityStream> stream = EntityStream::Open(bytes);
    Expected expected;
    if (!stream) {
        ADD_FAILURE() << file.toStdString();
        return expected;
    }
    stream->ForEach([&](const JwwEntity& e) {
        if (e.shape == JwwShape::Text) {
            if (stream->Document().Text(e).empty() || (e.v[0] == 0 && e.v[1] == -1000))
                return true;
            expected.texts << DecodeSjis(stream->Document().Text(e));
        }
        if (e.shape == JwwShape::Block && !stream->Document().Definition(e.extra))
            return true;
        ++expected.entities;
        expected.lines += e.shape == JwwShape::Line;
        expected.solids += e.shape == JwwShape::Solid;
        return true;
    });
    return expected;
}

// A drawing of every kind of entity: named layers, a hidden one, a block, a round solid, a dimension,
// Japanese texts and one of jw_cad's setting records.
std::vector<std::uint8_t> EveryKind() {
    JwwAttr wall;
    wall.layer = 2;
    JwwAttr hidden;
    hidden.layer = 1;
    hidden.style = 5;
    JwwAttr round;
    round.style = 101;
    round.color = 10;
    return JwwWriter::Drawing()
        .LayerName(0, 2, EncodeSjis(QStringLiteral("壁")))
        .LayerState(0, 1, 0)
        .Line(-100, -50, 100, -50, wall)
        .Line(-100, 50, 100, 50, hidden)
        .Arc(0, 0, 40, 0, JwwWriter::kPi / 2, 0.3, 0.5)
        .Circle(50, 0, 10)
        .Point(10, 10)
        .Text(-50, 20, 0, 20, EncodeSjis(QStringLiteral("居間①")), 5, 0)
        .Text(0, -1000, 50, -1000, "|jw_cad setting")
        .Solid({0, 0, 20, 0, 0, 0, 0, 0}, round, 0x0000FF)
        .Dimension(-100, -80, 100, -80, "2000")
        .BeginDefinition(7, "door")
        .Line(0, 0, 10, 0)
        .Circle(0, 0, 5)
        .EndDefinition()
        .Block(60, 60, 1, 2, 0.5, 7)
        .Bytes();
}

TEST(ToolExport, DxfReadsBackInEzdxfWithTheSourcesEntitiesAndTexts) {
    Scratch scratch;
    const QStringList sources = {kSamples + "jww-drawings/plan.jww", kSamples + "drawings/site.jwc",
                                 kSamples + "figures/door.jwk", kSamples + "jws-figures/table.jws",
                                 scratch.Write("every.jww", EveryKind())};
    for (const QString& source : sources) {
        const Expected expected = ExpectedOf(source);
        for (const QString version : {"r2000", "r12"}) {
            SCOPED_TRACE((source + " " + version).toStdString());
            const QString out = scratch.Path("out-" + version + ".dxf");
            const ToolRun run = RunTool({"export", source, out, "--dxf-version", version});
            ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
            const QJsonObject dxf = ReadDxf(out);
            EXPECT_EQ(dxf["version"].toString(), version == "r12" ? "AC1009" : "AC1015");
            EXPECT_EQ(dxf["errors"].toArray().size(), 0) << QJsonDocument(dxf).toJson().toStdString();
            const QJsonObject types = dxf["types"].toObject();
            int total = 0;
            for (const QString& type : types.keys())
                total += types[type].toInt();
            if (version == "r12") // which fills a round solid with four-cornered ones
                EXPECT_EQ(total - types["SOLID"].toInt(), expected.entities - expected.solids);
            else
                EXPECT_EQ(total, expected.entities);
            EXPECT_EQ(types["LINE"].toInt(), expected.lines);
            QStringList texts;
            for (const QJsonValue& text : dxf["texts"].toArray())
                texts << text.toString();
            EXPECT_EQ(texts, expected.texts);
            EXPECT_EQ(dxf["codepage"].toString(), "ANSI_932");
        }
    }
}

TEST(ToolExport, R12FillsARoundSolidWithFourCorneredOnes) {
    Scratch scratch;
    JwwAttr disc;
    disc.style = 101;
    // A disc of radius 20 and a ring between radii 20 and 10.
    const QString source = scratch.Write(
        "round.jww", JwwWriter::Drawing().Solid({0, 0, 20, 1, 0, 0, 2 * JwwWriter::kPi, 5}, disc).Bytes());
    JwwAttr ring = disc;
    ring.style = 105;
    const QString ringSource = scratch.Write(
        "ring.jww", JwwWriter::Drawing().Solid({0, 0, 20, 1, 0, 0, 0, 10}, ring).Bytes());
    const double chords = 72 / (2 * JwwWriter::kPi) * std::sin(2 * JwwWriter::kPi / 72); // a chorded circle's share
    for (const auto& [file, area] : {std::pair{source, 400 * JwwWriter::kPi * chords},
                                     std::pair{ringSource, 300 * JwwWriter::kPi * chords}}) {
        const QString out = scratch.Path("round.dxf");
        ASSERT_EQ(RunTool({"export", file, out, "--dxf-version", "r12"}).exitCode, 0);
        EXPECT_NEAR(ReadDxf(out)["solidArea"].toDouble(), area, area * 0.01) << file.toStdString();
    }
}

TEST(ToolExport, DxfLayersAreNamedAfterGroupAndLayerAndHiddenOnesAreOff) {
    Scratch scratch;
    const QString source = scratch.Write("every.jww", EveryKind());
    const QString out = scratch.Path("every.dxf");
    ASSERT_EQ(RunTool({"export", source, out}).exitCode, 0);
    const QJsonObject layers = ReadDxf(out)["layers"].toObject();
    EXPECT_TRUE(layers.contains("0-0"));
    EXPECT_FALSE(layers["0-0"].toBool());
    EXPECT_TRUE(layers["0-1"].toBool()) << "the hidden layer is off";
    EXPECT_TRUE(layers.contains(QStringLiteral("0-2 壁"))) << QJsonDocument(layers).toJson().toStdString();
}

// The tilted, flattened quarter arc and the block reference of EveryKind keep their geometry.
TEST(ToolExport, DxfArcsAndInsertsKeepTheirGeometry) {
    Scratch scratch;
    const QString source = scratch.Write("every.jww", EveryKind());
    for (const QString version : {"r2000", "r12"}) {
        const QString out = scratch.Path("every.dxf");
        ASSERT_EQ(RunTool({"export", source, out, "--dxf-version", version}).exitCode, 0);
        const QJsonObject dxf = ReadDxf(out);
        const QJsonArray inserts = dxf["inserts"].toArray();
        ASSERT_EQ(inserts.size(), 1);
        EXPECT_EQ(inserts[0].toArray()[0].toString(), "JW_BLOCK_7");
        EXPECT_DOUBLE_EQ(inserts[0].toArray()[2].toDouble(), 2);
        EXPECT_NEAR(inserts[0].toArray()[3].toDouble(), 0.5 * 180 / JwwWriter::kPi, 1e-9);
        if (version == "r12")
            continue; // R12 has no ellipse: the arc is a polyline
        const QJsonArray ends = dxf["ends"].toArray();
        ASSERT_EQ(ends.size(), 1);
        const QJsonArray e = ends[0].toArray();
        EXPECT_EQ(e[0].toString(), "ELLIPSE");
        // centre + u cos t + w sin t, u = 40 (cos 0.3, sin 0.3), w = 20 (-sin 0.3, cos 0.3), t 0 and pi/2.
        EXPECT_NEAR(e[1].toDouble(), 40 * std::cos(0.3), 1e-9);
        EXPECT_NEAR(e[2].toDouble(), 40 * std::sin(0.3), 1e-9);
        EXPECT_NEAR(e[3].toDouble(), -20 * std::sin(0.3), 1e-9);
        EXPECT_NEAR(e[4].toDouble(), 20 * std::cos(0.3), 1e-9);
    }
}

// A pixel of the PNG within two of a point of the page (millimetres, y up) holds ink.
bool DrawnNear(const QImage& image, double x, double y, const QRectF& page) {
    const double k = image.width() / page.width();
    const int px = static_cast<int>((x - page.left()) * k), py = static_cast<int>((page.bottom() - y) * k);
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            if (image.valid(px + dx, py + dy) && qGray(image.pixel(px + dx, py + dy)) < 230)
                return true;
    return false;
}

TEST(ToolExport, SvgRendersInRsvgConvertCoveringTheSourcesLines) {
    Scratch scratch;
    const QString source = kSamples + "jww-drawings/plan.jww";
    const QString svg = scratch.Path("plan.svg"), png = scratch.Path("plan.png");
    const ToolRun run = RunTool({"export", source, svg});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const ToolRun render = RunProgram("rsvg-convert", {"-w", "1680", "-b", "white", "-o", png, svg});
    ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 1680);
    EXPECT_EQ(image.height(), 1188) << "A3 landscape";

    FileBytes bytes(std::filesystem::path(source.toStdString()));
    std::optional<EntityStream> stream = EntityStream::Open(bytes);
    ASSERT_TRUE(stream);
    const Box sheet = stream->Sheet();
    const QRectF page(sheet.minX, sheet.minY, sheet.maxX - sheet.minX, sheet.maxY - sheet.minY);
    int lines = 0;
    stream->ForEach([&](const JwwEntity& e) {
        if (e.shape == JwwShape::Line && stream->Document().Shown(e)) {
            ++lines;
            for (const double t : {0.25, 0.5, 0.75})
                EXPECT_TRUE(DrawnNear(image, e.v[0] + (e.v[2] - e.v[0]) * t, e.v[1] + (e.v[3] - e.v[1]) * t, page))
                    << e.v[0] << "," << e.v[1] << " " << e.v[2] << "," << e.v[3];
        }
        return true;
    });
    EXPECT_GT(lines, 3);
    // Nothing is drawn where the drawing has nothing: the sheet's corner.
    EXPECT_FALSE(DrawnNear(image, page.left() + 3, page.top() + 3, page));
    // Texts are text.
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(QStringLiteral(">居間</text>")));
}

TEST(ToolExport, TextsWrittenTopToBottomStandUprightOneUnderAnother) {
    Scratch scratch;
    // jw_cad's vertical writing: a font whose name starts with "@", the base line running down.
    const QString source = scratch.Write(
        "vertical.jww", JwwWriter::Drawing().Font("@" + EncodeSjis(QStringLiteral("ＭＳ ゴシック")))
                            .Text(10, 50, 10, 30, EncodeSjis(QStringLiteral("北側")), 6, 270)
                            .Bytes());
    const QString dxf = scratch.Path("vertical.dxf"), svg = scratch.Path("vertical.svg");
    ASSERT_EQ(RunTool({"export", source, dxf}).exitCode, 0);
    ASSERT_EQ(RunTool({"export", source, svg}).exitCode, 0);
    const ToolRun run = RunProgram(kPython, {"-c", R"(
import sys, ezdxf
from ezdxf.lldxf.encoding import decode_dxf_unicode
for t in ezdxf.readfile(sys.argv[1]).modelspace().query("TEXT"):
    print(decode_dxf_unicode(t.dxf.text), round(t.dxf.insert.x, 3), round(t.dxf.insert.y, 3), round(t.dxf.rotation, 3))
)", dxf});
    EXPECT_EQ(QString::fromUtf8(run.out), QStringLiteral("北 7.0 44.0 0.0\n側 7.0 34.0 0.0\n"));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QRegularExpression glyph(QStringLiteral("<tspan x=\"([-0-9.]+)\" y=\"([-0-9.]+)\" font-size=\"6\">(.)</tspan>"));
    QStringList placed;
    for (auto m = glyph.globalMatch(text); m.hasNext();) {
        const auto match = m.next();
        placed << match.captured(3) + " " + match.captured(1) + " " + match.captured(2);
    }
    ASSERT_EQ(placed.size(), 2) << text.toStdString();
    EXPECT_TRUE(placed[0].startsWith(QStringLiteral("北"))) << placed[0].toStdString();
    EXPECT_EQ(placed[0].section(' ', 1, 1), placed[1].section(' ', 1, 1)) << "one column";
    EXPECT_EQ(placed[1].section(' ', 2, 2).toDouble() - placed[0].section(' ', 2, 2).toDouble(), 10) << "10 mm apart";
}

TEST(ToolExport, PdfHasTheSheetsSizeAndSelectableText) {
    Scratch scratch;
    const QString pdf = scratch.Path("plan.pdf");
    ASSERT_EQ(RunTool({"export", kSamples + "jww-drawings/plan.jww", pdf}).exitCode, 0);
    const ToolRun info = RunProgram("pdfinfo", {pdf});
    EXPECT_TRUE(info.out.contains("1191 x 842 pts (A3)")) << info.out.toStdString();
    const ToolRun text = RunProgram("pdftotext", {pdf, "-"});
    EXPECT_TRUE(QString::fromUtf8(text.out).contains(QStringLiteral("居間"))) << text.out.toStdString();
}

TEST(ToolExport, FolderKeepsRelativePathsNamesFailuresAndCounts) {
    Scratch scratch;
    QDir(scratch.Path("")).mkpath("in/sub");
    QFile::copy(kSamples + "jww-drawings/plan.jww", scratch.Path("in/plan.jww"));
    QFile::copy(kSamples + "figures/door.jwk", scratch.Path("in/sub/door.jwk"));
    scratch.Write("in/broken.jww", {'J', 'w', 'w', 'D', 'a', 't', 'a', '.', 0x58, 0x02, 0, 0, 1, 2});
    // A name that is not valid text keeps its bytes.
    const std::string odd = scratch.Path("in").toStdString() + "/\x8A\xC4\xFF.jwc";
    ASSERT_TRUE(std::filesystem::copy_file(kSamples.toStdString() + "drawings/site.jwc", odd));

    const ToolRun flat = RunTool({"export", scratch.Path("in"), scratch.Path("out"), "--to", "svg"});
    EXPECT_EQ(flat.exitCode, 3);
    EXPECT_EQ(flat.out, "2 written, 1 failed\n");
    ASSERT_EQ(ErrorLines(flat).size(), 1);
    EXPECT_TRUE(ErrorLines(flat)[0].contains("broken.jww")) << ErrorLines(flat)[0].toStdString();
    EXPECT_TRUE(QFile::exists(scratch.Path("out/plan.jww.svg")));
    EXPECT_FALSE(QFile::exists(scratch.Path("out/sub/door.jwk.svg")));
    EXPECT_TRUE(std::filesystem::exists(scratch.Path("out").toStdString() + "/\x8A\xC4\xFF.jwc.svg"));

    const ToolRun deep =
        RunTool({"export", scratch.Path("in"), scratch.Path("out"), "--to", "dxf", "--recursive"});
    EXPECT_EQ(deep.exitCode, 3);
    EXPECT_EQ(deep.out, "3 written, 1 failed\n");
    EXPECT_TRUE(QFile::exists(scratch.Path("out/sub/door.jwk.dxf")));

    EXPECT_EQ(RunTool({"export", scratch.Path("in"), scratch.Path("out")}).exitCode, 2) << "a folder needs --to";
    // The scratch folder cannot name what is not valid text.
    std::filesystem::remove_all(scratch.Path("in").toStdString());
    std::filesystem::remove_all(scratch.Path("out").toStdString());
}

#ifndef _WIN32
TEST(ToolExport, AnOutputThatCannotBeWrittenIsToldAndTheEarlierFileStays) {
    Scratch scratch;
    const QString out = scratch.Write("kept.dxf", {'o', 'l', 'd'});
    ASSERT_EQ(chmod(out.toLocal8Bit().constData(), 0444), 0);
    const ToolRun run = RunTool({"export", kSamples + "jww-drawings/plan.jww", out});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_TRUE(run.err.contains("kept.dxf: cannot be written: Permission denied")) << run.err.toStdString();
    QFile kept(out);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "old");
    chmod(out.toLocal8Bit().constData(), 0644); // so that the scratch folder can go

    const ToolRun unknown = RunTool({"export", kSamples + "jww-drawings/plan.jww", scratch.Path("plan.png")});
    EXPECT_EQ(unknown.exitCode, 2) << "the name tells no format";
}
#endif

} // namespace
} // namespace plavik::test
