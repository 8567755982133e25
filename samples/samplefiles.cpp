#include "samplefiles.h"

#include "platform/sjis.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

#include <QString>

#include <cmath>

namespace plavik::samples {

namespace {

using test::JwcWriter;
using test::JwkWriter;
using test::JwwAttr;
using test::JwwWriter;

constexpr double kPi = JwwWriter::kPi;

std::string Sjis(const char* utf8) {
    return EncodeSjis(QString::fromUtf8(utf8));
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// Line types 1 to 9, one a row, in the six pen colours.
std::vector<std::uint8_t> LineTypes() {
    JwkWriter w;
    for (int type = 1; type <= 9; ++type) {
        const float y = 95.0f - static_cast<float>(type) * 10.0f;
        w.Line(5, y, 95, y, type, 1 + (type - 1) % 6);
    }
    return w.Bytes();
}

// Circles, arcs and ellipses: flattened, tilted, and an arc of a tilted ellipse.
std::vector<std::uint8_t> Arcs() {
    JwkWriter w;
    w.Arc(25, 75, 20, 0, 0, 0, 0, 1, 1);        // a full circle
    w.Arc(75, 75, 20, 0, 180, 0, 0, 1, 2);      // a half circle, open at the bottom
    w.Arc(25, 25, 20, 0, 0, 0.5, 0, 2, 3);      // an ellipse flattened to half
    w.Arc(75, 25, 20, 0, 0, 0.4, 30, 1, 4);     // flattened and tilted by 30 degrees
    w.Arc(75, 25, 12, 45, 300, 0.6, -45, 3, 5); // an arc of a tilted ellipse
    w.Point(25, 75, 6).Point(75, 75, 6).Point(25, 25, 6).Point(75, 25, 6);
    return w.Bytes();
}

// Japanese texts at several angles, each with a base line to read it along.
std::vector<std::uint8_t> Texts() {
    JwkWriter w;
    w.Text(5, 85, 95, 85, Sjis("建具記号"));
    w.Text(10, 10, 60, 60, Sjis("斜め４５度"));
    w.Text(90, 10, 90, 70, Sjis("縦書き"));
    w.Text(60, 40, 20, 40, Sjis("逆向き"));
    w.Text(5, 5, 45, 5, "ABC 123");
    w.Line(5, 80, 95, 80, 1, 2);
    return w.Bytes();
}

// A door in plan: frame, leaf and its swing, placed by the header's offsets and scale.
std::vector<std::uint8_t> Door() {
    JwkWriter w;
    w.Origin(10, 10).Scale(0.8f);
    w.Line(0, 0, 10, 0).Line(90, 0, 100, 0);
    w.Line(10, 0, 10, 80, 1, 2);
    w.Arc(10, 0, 80, 0, 90, 0, 0, 2, 3);
    w.Line(0, 0, 100, 0, 9, 6); // an auxiliary line, shown only on request
    w.Text(30, 90, 90, 90, Sjis("片開き戸"));
    return w.Bytes();
}

// A window in plan: wall lines, glass and the sash's centre line.
std::vector<std::uint8_t> Window() {
    JwkWriter w;
    w.Line(0, 40, 100, 40).Line(0, 60, 100, 60);
    w.Line(0, 40, 0, 60).Line(100, 40, 100, 60);
    w.Line(5, 48, 95, 48, 1, 4).Line(5, 52, 95, 52, 1, 4);
    w.Line(50, 30, 50, 70, 6, 2); // a one-dot chain centre line
    w.Text(20, 15, 80, 15, Sjis("引違い窓"));
    return w.Bytes();
}

// The drawing's frame and title block.
void Sheet(JwcWriter& w) {
    w.Line(10, 10, 508, 10).Line(508, 10, 508, 356).Line(508, 356, 10, 356).Line(10, 356, 10, 10);
    w.Line(358, 10, 358, 60).Line(358, 60, 508, 60);
}

// A floor plan on several layers: walls, fittings, dimensions, texts; layer 3 and group 2 hidden.
std::vector<std::uint8_t> Plan(bool longHeader) {
    JwcWriter w(longHeader);
    w.Comment(Sjis(longHeader ? "平面図 サンプル（長いヘッダー）" : "平面図 サンプル（短いヘッダー）"));
    Sheet(w);
    // Walls on layer 0.
    w.Line(60, 80, 300, 80, 1, 1, 0).Line(300, 80, 300, 300, 1, 1, 0);
    w.Line(300, 300, 60, 300, 1, 1, 0).Line(60, 300, 60, 80, 1, 1, 0);
    w.Line(180, 80, 180, 300, 1, 1, 0);
    // Centre lines on layer 1, every line type once.
    for (int type = 1; type <= 9; ++type) {
        const float x = 320.0f + static_cast<float>(type) * 18.0f;
        w.Line(x, 90, x, 330, static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(1 + type % 6), 1);
    }
    // Door swings on layer 2: quarter circles, and a flattened tilted ellipse for a round table.
    w.Arc(180, 150, 40, 0, 0, 90, 0, 1, 2, 2);
    w.Arc(60, 220, 40, 0, 270, 360, 0, 1, 2, 2);
    w.Arc(120, 190, 30, 0, 0, 0, 0, 1, 3, 2);
    w.Arc(240, 190, 35, 5000, 0, 0, 30, 2, 4, 2);
    // Layer 3 is hidden: this cross must not show.
    w.Line(60, 80, 300, 300, 1, 5, 3).Line(60, 300, 300, 80, 1, 5, 3);
    w.LayerFlag(3, 0);
    // Group 2 (layers 32 to 47) is hidden as a whole: this circle must not show.
    w.Arc(120, 190, 60, 0, 0, 0, 0, 1, 5, 33);
    w.GroupFlag(2, 0);
    // Texts on layer 4, at several angles.
    w.Text(70, 270, 170, 270, Sjis("洋室 6帖"), 4);
    w.Text(190, 270, 290, 270, Sjis("和室"), 4);
    w.Text(40, 100, 40, 280, Sjis("外壁 縦"), 4);
    w.Text(200, 100, 280, 160, Sjis("斜めの文字"), 4);
    w.Text(368, 30, 498, 30, Sjis("サンプル図面"), 4);
    w.Point(180, 190, 4, 1);
    return w.Build();
}

// A site plan in the short header: a circle of trees and a sloped road.
std::vector<std::uint8_t> Site() {
    JwcWriter w(false);
    w.Comment(Sjis("配置図 短いヘッダー"));
    Sheet(w);
    w.Line(40, 40, 480, 330, 2, 1).Line(60, 40, 500, 330, 2, 1);
    for (int i = 0; i < 8; ++i) {
        const float x = 100.0f + static_cast<float>(i) * 40.0f;
        w.Arc(x, 250, 12, 0, 0, 0, 0, 1, 3);
    }
    w.Arc(260, 120, 70, 6000, 20, 340, 15, 1, 2);
    w.Text(120, 290, 400, 290, Sjis("植栽"));
    w.Text(200, 160, 300, 226, Sjis("道路"));
    return w.Build();
}

// Today's figures, in millimetres about their reference point.
// A single swing door 800 wide: frame, leaf, swing and a filled jamb on each side.
std::vector<std::uint8_t> SwingDoor() {
    JwwWriter w = JwwWriter::Figure(700);
    w.RefPoint(0, 0).Box(-50, -10, 850, 800);
    w.Line(-50, 0, 0, 0).Line(800, 0, 850, 0);
    w.Line(0, 0, 0, 800, {1, 2}).Arc(0, 0, 800, 0, kPi / 2, 0, 1, 0, {2, 3});
    w.Solid({-50, -10, 0, -10, 0, 10, -50, 10}, {1, 5});
    w.Solid({800, -10, 850, -10, 850, 10, 800, 10}, {1, 5});
    w.Text(300, 350, 500, 350, Sjis("片開き"), 60);
    return w.Bytes();
}

// A window unit drawn once as a block and placed three times, the last mirrored.
std::vector<std::uint8_t> Windows() {
    JwwWriter w = JwwWriter::Figure(600);
    w.RefPoint(0, 0).Box(-10, -60, 2410, 60);
    w.BeginDefinition(1, "WIN-700");
    w.Line(0, -50, 700, -50).Line(0, 50, 700, 50).Line(0, -50, 0, 50).Line(700, -50, 700, 50);
    w.Line(0, 0, 700, 0, {2, 1}).Arc(350, 0, 30, 0, 2 * kPi, 0, 1, 1, {1, 4});
    w.EndDefinition();
    w.Block(0, 0, 1, 1, 0, 1).Block(850, 0, 1, 1, 0, 1).Block(2400, 0, -1, 1, 0, 1);
    return w.Bytes();
}

// A round table with chairs: circles, an ellipse, a sector and a round solid.
std::vector<std::uint8_t> Table() {
    JwwWriter w = JwwWriter::Figure(351);
    w.RefPoint(0, 0).Box(-700, -700, 700, 700);
    w.Circle(0, 0, 450, {1, 2});
    w.Solid({0, 0, 150, 1, 0, 0, 0, 100}, {101, 6}); // a disc in the middle
    for (int i = 0; i < 4; ++i) {
        const double a = i * kPi / 2;
        w.Arc(600 * std::cos(a), 600 * std::sin(a), 120, 0, 2 * kPi, a, 0.6, 1, {1, 1});
    }
    w.Point(0, 0, 0, {1, 7});
    return w.Bytes();
}

// Today's drawings, in paper millimetres about the sheet's centre.
// A small plan on A3 with rooms, texts and a hidden construction layer.
std::vector<std::uint8_t> Plan700() {
    JwwWriter w = JwwWriter::Drawing(700);
    w.Memo(Sjis("平面図 1/100\r\n木造二階建て")).Paper(3);
    w.LayerName(0, 0, Sjis("壁")).LayerName(0, 1, Sjis("補助")).LayerState(0, 1, 0);
    const double x[] = {-150, 150}, y[] = {-90, 90};
    w.Line(x[0], y[0], x[1], y[0])
        .Line(x[1], y[0], x[1], y[1])
        .Line(x[1], y[1], x[0], y[1])
        .Line(x[0], y[1], x[0], y[0]);
    w.Line(0, y[0], 0, y[1], {1, 2}).Line(x[0], 0, 0, 0, {1, 2});
    w.Arc(0, -30, 30, 0, kPi / 2, 0, 1, 0, {2, 3});
    w.Text(-120, 40, -60, 40, Sjis("居間"), 6).Text(30, 40, 90, 40, Sjis("寝室"), 6);
    w.Solid({140, 80, 150, 80, 150, 90, 140, 90}, {1, 10}, 0x000080FF);
    // Construction lines on the hidden layer: listed in the file, not drawn.
    for (int i = -4; i <= 4; ++i)
        w.Line(i * 40.0, -100, i * 40.0, 100, {9, 9, 0, 1});
    return w.Bytes();
}

// A site plan on A4: a boundary, a house drawn through a block and dimension-like texts.
std::vector<std::uint8_t> Site600() {
    JwwWriter w = JwwWriter::Drawing(600);
    w.Memo(Sjis("配置図")).Paper(4);
    w.BeginDefinition(7, "HOUSE");
    w.Line(-30, -20, 30, -20).Line(30, -20, 30, 20).Line(30, 20, -30, 20).Line(-30, 20, -30, -20);
    w.Line(-30, 20, 0, 35).Line(0, 35, 30, 20);
    w.EndDefinition();
    w.Line(-120, -80, 120, -80, {3, 1}).Line(120, -80, 120, 80, {3, 1}).Line(120, 80, -120, 80, {3, 1});
    w.Line(-120, 80, -120, -80, {3, 1});
    w.Block(0, 0, 1, 1, kPi / 12, 7);
    w.Text(-110, -95, -50, -95, "24,000", 4).Text(125, -20, 125, 20, "16,000", 4, 90);
    // jw_cad's codes: a raised 2; a name written top to bottom; a photograph placed as an image.
    w.Text(-110, -70, -83, -70, Sjis("敷地面積 384m^u2"), 4);
    w.Font(Sjis("@ＭＳ ゴシック")).Text(-130, 60, -130, 28, Sjis("北側道路"), 6, -90);
    w.Font(Sjis("ＭＳ ゴシック")).Text(60, 40, 100, 40, "^@BMC:\\photos\\site.bmp,50,30", 4);
    // jw_cad's own settings, kept in the file far below the sheet.
    w.Text(0, -1000, 60, -1000, "Printer_Orientation = 0", 3)
        .Text(0, -1000, 60, -1000, "View_Direct2d = 1", 3);
    return w.Bytes();
}

// The figures and drawings of the sample library: a root with numbered folders of figures, each
// titled by its name file, and a project folder of drawings.
// A person seen from the side: a head, a body and legs, named on the sheet.
std::vector<std::uint8_t> Person() {
    JwwWriter w = JwwWriter::Figure(700);
    w.RefPoint(0, 0).Box(-250, 0, 250, 1700);
    w.Circle(0, 1550, 120).Line(0, 1430, 0, 800).Line(0, 1300, -250, 950).Line(0, 1300, 250, 950);
    w.Line(0, 800, -150, 0).Line(0, 800, 150, 0);
    w.Text(-200, -150, 200, -150, Sjis("人物 立ち姿"), 80);
    return w.Bytes();
}

// A person sitting, in the old figure format.
std::vector<std::uint8_t> Sitting() {
    JwkWriter w;
    w.Arc(40, 85, 8).Line(40, 77, 40, 45).Line(40, 45, 75, 45).Line(75, 45, 75, 10);
    w.Line(40, 65, 65, 55).Line(25, 45, 80, 45, 2, 2);
    w.Text(10, 5, 60, 5, Sjis("座り姿"));
    return w.Bytes();
}

// A toilet: its bowl through a block placed inside another block, and its name on a hidden layer.
std::vector<std::uint8_t> Toilet() {
    JwwWriter w = JwwWriter::Figure(700);
    w.RefPoint(0, 0).Box(-250, -150, 250, 700);
    w.BeginDefinition(1, "BOWL");
    w.Arc(0, 450, 180, 0, 2 * kPi, 0, 0.75, 0, {1, 2}).Text(-100, 420, 100, 420, Sjis("便器"), 50);
    w.EndDefinition();
    w.BeginDefinition(2, "TOILET");
    w.Line(-220, 0, 220, 0).Line(220, 0, 220, 200).Line(220, 200, -220, 200).Line(-220, 200, -220, 0);
    w.Block(0, 0, 1, 1, 0, 1);
    w.EndDefinition();
    w.Block(0, 0, 1, 1, 0, 2);
    w.Text(-200, -80, 200, -80, Sjis("トイレ"), 60, 0, {1, 1, 0, 5});
    return w.Bytes();
}

// A washbasin in the old figure format.
std::vector<std::uint8_t> Washbasin() {
    JwkWriter w;
    w.Line(10, 80, 90, 80).Line(90, 80, 90, 30).Line(90, 30, 10, 30).Line(10, 30, 10, 80);
    w.Arc(50, 55, 30, 0, 0, 0.6).Point(50, 70, 2);
    w.Text(20, 15, 80, 15, Sjis("洗面器"));
    return w.Bytes();
}

// A tree in plan: a crown of arcs about its trunk.
std::vector<std::uint8_t> Tree() {
    JwwWriter w = JwwWriter::Figure(600);
    w.RefPoint(0, 0).Box(-1500, -1500, 1500, 1500);
    w.Circle(0, 0, 100, {1, 3});
    for (int i = 0; i < 8; ++i)
        w.Arc(1100 * std::cos(i * kPi / 4), 1100 * std::sin(i * kPi / 4), 450, 0, 2 * kPi, 0, 1, 0, {1, 3});
    w.Text(-500, -1400, 500, -1400, Sjis("高木 ケヤキ"), 200);
    return w.Bytes();
}

// Shrubs: one shrub drawn as a block and placed three times.
std::vector<std::uint8_t> Shrubs() {
    JwwWriter w = JwwWriter::Figure(600);
    w.RefPoint(0, 0).Box(-400, -400, 2400, 400);
    w.BeginDefinition(3, "SHRUB");
    w.Circle(0, 0, 350, {2, 3}).Point(0, 0, 0, {1, 3});
    w.EndDefinition();
    w.Block(0, 0, 1, 1, 0, 3).Block(1000, 0, 1, 1, 0, 3).Block(2000, 0, 1, 1, 0, 3);
    w.Text(500, -380, 1500, -380, Sjis("低木 ツツジ"), 150);
    return w.Bytes();
}

// A house plan on A3 with room names, a block of fittings and jw_cad's own settings kept as texts
// far below the sheet.
std::vector<std::uint8_t> HousePlan() {
    JwwWriter w = JwwWriter::Drawing(700);
    w.Memo(Sjis("住宅 平面図 1/100\r\n2LDK")).Paper(3);
    w.LayerName(0, 0, Sjis("壁")).LayerName(0, 1, Sjis("部屋名")).LayerName(0, 2, Sjis("下書き"));
    w.LayerState(0, 2, 0);
    w.Line(-150, -90, 150, -90).Line(150, -90, 150, 90).Line(150, 90, -150, 90).Line(-150, 90, -150, -90);
    w.Line(0, -90, 0, 90).Line(-150, 0, 0, 0).Line(80, -90, 80, 0).Line(80, 0, 150, 0);
    w.Text(-120, 40, -40, 40, Sjis("ＤＫ"), 6, 0, {1, 1, 0, 1});
    w.Text(-120, -50, -40, -50, Sjis("洋室"), 6, 0, {1, 1, 0, 1});
    w.Text(30, 40, 110, 40, Sjis("リビング"), 6, 0, {1, 1, 0, 1});
    w.Text(95, -50, 140, -50, Sjis("トイレ"), 4, 0, {1, 1, 0, 1});
    w.Text(-140, 70, -60, 70, Sjis("下書き 収納を検討"), 4, 0, {1, 1, 0, 2}); // on the hidden layer
    w.Text(0, -1000, 60, -1000, "Printer_PaperSize = 0", 3);
    return w.Bytes();
}

// An older site plan of the same project.
std::vector<std::uint8_t> OldSite() {
    JwcWriter w(true);
    w.Comment(Sjis("配置図 改修前"));
    Sheet(w);
    w.Line(100, 100, 400, 100).Line(400, 100, 400, 280).Line(400, 280, 100, 280).Line(100, 280, 100, 100);
    w.Text(200, 190, 300, 190, Sjis("既存建物"));
    w.Text(120, 60, 220, 60, Sjis("駐車場"));
    return w.Build();
}

} // namespace

std::vector<SampleFile> SampleFiles() {
    return {
        {"figures/Zu_name.dat", Bytes(Sjis("建具図形"))},
        {"figures/arcs.jwk", Arcs()},
        {"figures/door.jwk", Door()},
        {"figures/linetypes.jwk", LineTypes()},
        {"figures/texts.jwk", Texts()},
        {"figures/window.jwk", Window()},
        {"drawings/plan-long.jwc", Plan(true)},
        {"drawings/plan-short.jwc", Plan(false)},
        {"drawings/site.jwc", Site()},
        {"jws-figures/ZU_NAME.DAT", Bytes(Sjis("建具・家具（今の図形）\r\n扉、窓と机\r\n"))},
        {"jws-figures/swing-door.jws", SwingDoor()},
        {"jws-figures/table.jws", Table()},
        {"jws-figures/windows.jws", Windows()},
        {"jww-drawings/plan.jww", Plan700()},
        {"jww-drawings/site.jww", Site600()},
        {"library/《図形01》建築１/Zu_name.dat", Bytes(Sjis("建築１\r\n人物と衛生器具\r\n"))},
        {"library/《図形01》建築１/《図形》人物/Zu_name.dat",
         Bytes(Sjis("人物(平面・側面)\r\n立ち姿と座り姿\r\n"))},
        {"library/《図形01》建築１/《図形》人物/person.jws", Person()},
        {"library/《図形01》建築１/《図形》人物/sitting.jwk", Sitting()},
        {"library/《図形01》建築１/《図形》衛生/Zu_name.dat", Bytes(Sjis("衛生器具\r\nトイレと洗面\r\n"))},
        {"library/《図形01》建築１/《図形》衛生/toilet.jws", Toilet()},
        {"library/《図形01》建築１/《図形》衛生/washbasin.jwk", Washbasin()},
        {"library/《図形02》外構/Zu_name.dat", Bytes(Sjis("外構\r\n樹木\r\n"))},
        {"library/《図形02》外構/《図形》樹木/Zu_name.dat", Bytes(Sjis("樹木(平面)\r\n高木と低木\r\n"))},
        {"library/《図形02》外構/《図形》樹木/shrubs.jws", Shrubs()},
        {"library/《図形02》外構/《図形》樹木/tree.jws", Tree()},
        {"library/住宅A/plan.jww", HousePlan()},
        {"library/住宅A/site-old.jwc", OldSite()},
    };
}

} // namespace plavik::samples
