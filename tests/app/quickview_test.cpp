// What the quick view shows, without a window: the picture's size for its room and the drawn file's
// facts.
#include "app/quickview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace plavik {
namespace {

// Figures are square and drawings side x side/sqrt 2 at any room; the picture is as wide as the room,
// or as the room's height allows, and never under 150 pixels wide.
TEST(QuickViewPicture, KeepsItsKindsProportionFillsItsRoomAndNeverShrinksBelowTheOldSize) {
    struct Case {
        ListKind kind;
        QSize room;
        QSize picture;
    };
    const Case cases[] = {
        {ListKind::Figures, {150, 900}, {150, 150}}, {ListKind::Drawings, {150, 900}, {150, 106}},
        {ListKind::Figures, {400, 900}, {400, 400}}, {ListKind::Drawings, {400, 900}, {400, 283}},
        {ListKind::Figures, {400, 300}, {300, 300}}, {ListKind::Drawings, {400, 200}, {282, 199}},
        {ListKind::Figures, {40, 900}, {150, 150}},  {ListKind::Drawings, {900, 20}, {150, 106}},
        {ListKind::Figures, {-5, -5}, {150, 150}},
    };
    for (const Case& c : cases) {
        const QSize picture = QuickViewPictureSize(c.kind, c.room);
        EXPECT_EQ(picture, c.picture) << c.room.width() << "x" << c.room.height();
    }
}

TEST(QuickViewFacts, ScalesAreWrittenAsJwCadWritesThemEachOnce) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<std::vector<double>, const char*> cases[] = {
        {{100}, "1/100"}, {{100, 50, 100}, "1/100, 1/50"},
        {{1}, "1/1"},     {{0.5, 0.2}, "2/1, 5/1"},
        {{2.5}, "1/2.5"}, {{1.0 / 3}, "3/1"},
        {{}, ""},         {{0, -100, nan}, ""},
    };
    for (const auto& [scales, text] : cases)
        EXPECT_EQ(ScalesText(scales), QString::fromUtf8(text)) << text;
}

TEST(QuickViewFacts, MemoCommentPaperAndScalesOfEachFormat) {
    DrawnFile drawn;
    drawn.comment = "\x90\x7d\x96\xca\r\n2F  "; // 図面 CR LF 2F
    drawn.paper = "A3";
    drawn.scales = {100, 50};
    const QuickViewFacts jww = FactsOf(FileFormat::Jww, drawn);
    EXPECT_EQ(jww.noteTitle, QStringLiteral("【メモ】"));
    EXPECT_EQ(jww.note, QStringLiteral("図面\n2F"));
    EXPECT_EQ(jww.paper, QStringLiteral("A3"));
    EXPECT_EQ(jww.scales, QStringLiteral("1/100, 1/50"));

    DrawnFile jwcDrawn;
    jwcDrawn.comment = std::string("comment") + std::string(57, ' ');
    const QuickViewFacts jwc = FactsOf(FileFormat::Jwc, jwcDrawn);
    EXPECT_EQ(jwc.noteTitle, QStringLiteral("【コメント】"));
    EXPECT_EQ(jwc.note, QStringLiteral("comment"));
    EXPECT_TRUE(jwc.paper.isEmpty());

    const QuickViewFacts blank = FactsOf(FileFormat::Jwc, DrawnFile{});
    EXPECT_TRUE(blank.noteTitle.isEmpty()); // no title over nothing
    for (const FileFormat figure : {FileFormat::Jwk, FileFormat::Jws}) {
        const QuickViewFacts facts = FactsOf(figure, drawn);
        EXPECT_TRUE(facts.note.isEmpty() && facts.paper.isEmpty() && facts.scales.isEmpty());
    }
}

} // namespace
} // namespace plavik
