// Captions broken into the two lines of a list cell.
#include "platform/textwrap.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

namespace plavik {
namespace {

TEST(WrapText, LongNamesWrapEvenWithoutSpacesAndTheLastLineIsElided) {
    const QFont font(QStringLiteral("IPAPGothic"), 9);
    const QFontMetrics metrics(font);
    const int width = 90;
    struct Case {
        QString text;
        int lines;
        bool elided;
    };
    const Case cases[] = {
        {"a.jwk", 1, false},
        {"ground_floor_plan_2026.jwc", 2, false},
        {"ground_floor_plan_2026_revision_b_final_final.jwc", 2, true},
        {QStringLiteral("一階平面図（改訂）.jwc"), 2, false},
        {QStringLiteral("一階平面図と二階平面図と立面図と断面図の改訂版.jwc"), 2, true},
        {"door win.jwk", 1, false},
    };
    for (const Case& c : cases) {
        const QStringList lines = WrapText(c.text, font, width, 2);
        ASSERT_EQ(lines.size(), c.lines) << c.text.toStdString();
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
        EXPECT_EQ(lines.last().endsWith(QChar(0x2026)), c.elided) << c.text.toStdString();
        if (!c.elided) { // nothing lost
            EXPECT_EQ(lines.join(QString()).remove(' '), QString(c.text).remove(' ')) << c.text.toStdString();
        }
    }
    EXPECT_TRUE(WrapText(QString(), font, width, 2).isEmpty());
    EXPECT_EQ(WrapText("abcdefghijkl", font, 1, 1).size(), 1);
}

} // namespace
} // namespace plavik
