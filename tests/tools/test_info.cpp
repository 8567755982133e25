// info: the JSON object for figures, drawings, files of neither kind and malformed files, with
// texts decoded from code page 932 and escaped.
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"
#include "toolrunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace plavik::test {
namespace {

struct Info {
    ToolRun run;
    QJsonObject object;
};

Info RunInfo(const QString& file) {
    Info info;
    info.run = RunTool({"info", file});
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(info.run.out, &error);
    if (!info.run.out.isEmpty()) {
        EXPECT_EQ(error.error, QJsonParseError::NoError) << info.run.out.toStdString();
        EXPECT_TRUE(doc.isObject());
        // One object on one line.
        EXPECT_EQ(info.run.out.count('\n'), 1);
        EXPECT_TRUE(info.run.out.endsWith('\n'));
    }
    info.object = doc.object();
    return info;
}

QStringList Texts(const QJsonObject& object) {
    QStringList out;
    for (const QJsonValue& v : object.value("texts").toArray())
        out << v.toString();
    return out;
}

TEST(ToolInfo, Figure) {
    Scratch scratch;
    const std::string zukei = "\x90\x7d\x8c\x60"; // "図形" in code page 932
    const QString file = scratch.Write("f.jwk", JwkWriter()
                                                    .Origin(12.5f, -3)
                                                    .Scale(0.3f)
                                                    .Line(0, 0, 1, 1)
                                                    .Line(1, 1, 2, 2)
                                                    .Arc(5, 5, 1)
                                                    .Point(1, 2)
                                                    .Text(0, 0, 10, 0, zukei)
                                                    .Text(0, 0, 10, 0, "say \"hi\"\t\x01")
                                                    .Text(0, 0, 10, 0, "")
                                                    .Bytes());
    const Info info = RunInfo(file);
    ASSERT_EQ(info.run.exitCode, 0) << info.run.err.toStdString();
    EXPECT_TRUE(info.run.err.isEmpty());
    const QJsonObject& o = info.object;
    EXPECT_EQ(o.value("kind").toString(), "jwk");
    EXPECT_EQ(o.value("lineCount").toInt(), 2);
    EXPECT_EQ(o.value("arcCount").toInt(), 1);
    EXPECT_EQ(o.value("pointCount").toInt(), 1);
    EXPECT_EQ(o.value("textCount").toInt(), 3);
    EXPECT_EQ(o.value("originX").toDouble(), 12.5);
    EXPECT_EQ(o.value("originY").toDouble(), -3.0);
    EXPECT_EQ(o.value("scale").toDouble(), 0.3); // the float's shortest text, not 0.30000001192...
    EXPECT_EQ(Texts(o), (QStringList{"図形", "say \"hi\"\t\x01", ""}));
    EXPECT_TRUE(info.run.out.contains("\\u0001"));
}

TEST(ToolInfo, FigureRealsAsTheirShortestText) {
    Scratch scratch;
    const Info info =
        RunInfo(scratch.Write("f.jwk", JwkWriter().Descriptor("0,0,0,0,-0.1,1E-7,1e38").Bytes()));
    ASSERT_EQ(info.run.exitCode, 0) << info.run.err.toStdString();
    EXPECT_EQ(info.object.value("originX").toDouble(), -0.1);
    EXPECT_EQ(info.object.value("originY").toDouble(), 1e-7);
    EXPECT_EQ(info.object.value("scale").toDouble(), 1e38);
}

TEST(ToolInfo, DrawingBothVariants) {
    Scratch scratch;
    struct Case {
        bool longHeader;
        const char* variant;
    };
    for (const Case c : {Case{true, "long"}, Case{false, "short"}}) {
        JwcWriter writer(c.longHeader);
        writer
            .Comment("\x82\xa0 note\\") // "あ note\" in code page 932
            .GroupFlag(3, 0)            // hides 16 layers
            .LayerFlag(5, 2)            // hidden too: only 1 shows
            .LayerFlag(0x35, 0)         // already in the hidden group
            .Line(0, 0, 1, 1)
            .Arc(1, 1, 1, 0, 0, 0, 0)
            .Text(0, 0, 5, 0, "one")
            .Text(0, 0, 5, 0, "\x87\x40") // "①"
            .Point(2, 2)
            .Point(3, 3);
        const Info info = RunInfo(scratch.Write(QString("d-%1.jwc").arg(c.variant), writer.Build()));
        ASSERT_EQ(info.run.exitCode, 0) << info.run.err.toStdString();
        const QJsonObject& o = info.object;
        EXPECT_EQ(o.value("kind").toString(), "jwc");
        EXPECT_EQ(o.value("variant").toString(), c.variant);
        const QString comment = o.value("comment").toString();
        EXPECT_TRUE(comment.startsWith("あ note\\")) << comment.toStdString();
        EXPECT_EQ(comment.size(), 63); // 64 bytes, one double-byte character; NULs became spaces
        EXPECT_TRUE(comment.endsWith("   "));
        EXPECT_EQ(o.value("lineCount").toInt(), 1);
        EXPECT_EQ(o.value("arcCount").toInt(), 1);
        EXPECT_EQ(o.value("textCount").toInt(), 2);
        EXPECT_EQ(o.value("pointCount").toInt(), 2);
        EXPECT_EQ(o.value("textEnd").toInt() - o.value("textStart").toInt(), 7); // "one", "①", two NULs
        EXPECT_EQ(o.value("shownLayers").toInt(), 256 - 16 - 1);
        EXPECT_EQ(Texts(o), (QStringList{"one", "①"}));
    }
}

// Today's figures and drawings: the counts of the top-level list by class, a drawing's memo, paper
// and shown layers, a figure's stored extent, and the texts in file order.
TEST(ToolInfo, TodaysFiguresAndDrawings) {
    Scratch scratch;
    JwwWriter figure = JwwWriter::Figure(700);
    figure.Box(-1, -2, 30, 40).Line(0, 0, 10, 10).Line(1, 1, 2, 2).Circle(5, 5, 3).Text(0, 0, 10, 0, "A1");
    figure.BeginDefinition(3).Line(0, 0, 1, 1).EndDefinition().Block(0, 0, 1, 1, 0, 3);
    Info info = RunInfo(scratch.Write("f.jws", figure.Bytes()));
    ASSERT_EQ(info.run.exitCode, 0) << info.run.err.toStdString();
    EXPECT_EQ(info.object.value("kind").toString(), "jws");
    EXPECT_EQ(info.object.value("version").toInt(), 700);
    EXPECT_EQ(info.object.value("lines").toInt(), 2);
    EXPECT_EQ(info.object.value("arcs").toInt(), 1);
    EXPECT_EQ(info.object.value("texts").toInt(), 1);
    EXPECT_EQ(info.object.value("blocks").toInt(), 1);
    EXPECT_EQ(info.object.value("blockDefinitions").toInt(), 1);
    EXPECT_EQ(info.object.value("extent").toArray(), QJsonArray({-1, -2, 30, 40}));
    EXPECT_EQ(info.object.value("textStrings").toArray(), QJsonArray({"A1"}));

    JwwWriter drawing = JwwWriter::Drawing(600);
    drawing.Memo("\x90\x7d\x96\xca\r\nB").Paper(2).LayerState(0, 5, 0).GroupState(15, 0).Point(1, 1);
    info = RunInfo(scratch.Write("d.jww", drawing.Bytes()));
    ASSERT_EQ(info.run.exitCode, 0) << info.run.err.toStdString();
    EXPECT_EQ(info.object.value("kind").toString(), "jww");
    EXPECT_EQ(info.object.value("memo").toString(), QStringLiteral("図面\r\nB"));
    EXPECT_EQ(info.object.value("paper").toInt(), 2);
    EXPECT_EQ(info.object.value("shownLayers").toInt(), 256 - 1 - 16);
    EXPECT_EQ(info.object.value("points").toInt(), 1);
}

TEST(ToolInfo, NeitherKindAndMalformedFiles) {
    Scratch scratch;
    const Info unknown = RunInfo(scratch.Write("x.jwk", {'j', 'w', '_', 'c', 'a', 'd'}));
    EXPECT_EQ(unknown.run.exitCode, 1);
    EXPECT_EQ(unknown.object, (QJsonObject{{"kind", "unknown"}}));
    EXPECT_EQ(ErrorLines(unknown.run).size(), 1);

    const QString malformed[] = {
        scratch.Write("counts.jwk", JwkWriter().Counts(0, 0, 0, 3).Bytes()),
        scratch.Write("negative.jwk", JwkWriter().Counts(-1, 0, 0, 0).Bytes()),
        scratch.Write("real.jwk", JwkWriter().Descriptor("0,0,0,0,x,0,1").Bytes()),
        scratch.Write("short.jwc", JwcWriter().Build(2420)),
        scratch.Write("pool.jwc", JwcWriter().Text(0, 0, 1, 1, "abc").Build(JwcWriter().EntityOffset() + 26)),
        scratch.Write("comma.jwc", JwcWriter().CountsText("0,0,0,0").Build()),
        scratch.Path("gone.jwc"),
    };
    for (const QString& file : malformed) {
        const Info info = RunInfo(file);
        EXPECT_EQ(info.run.exitCode, 3) << file.toStdString();
        EXPECT_TRUE(info.run.out.isEmpty()) << file.toStdString();
        const QStringList lines = ErrorLines(info.run);
        ASSERT_EQ(lines.size(), 1) << file.toStdString();
        EXPECT_TRUE(lines[0].startsWith("plavik-render: " + file)) << lines[0].toStdString();
    }
}

} // namespace
} // namespace plavik::test
