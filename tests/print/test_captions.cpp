// Option flags, the size and date texts and the caption lines of printed cells.
#include "platform/filetexts.h"
#include "print/captions.h"
#include "settings/options.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QTimeZone>

namespace plavik {
namespace {

TEST(PrintOptions, FigureFlagsFollowTheirSwitches) {
    struct Case {
        bool border, text, addLine, pos;
        int flags;
    };
    const Case cases[] = {
        {false, false, false, false, 0}, {true, false, false, false, 1}, {false, true, false, false, 2},
        {false, false, true, false, 4},  {false, false, false, true, 8}, {true, true, true, true, 15},
    };
    for (const Case& c : cases) {
        TListSettings s;
        s.prBorder = c.border;
        s.prText = c.text;
        s.prAddLine = c.addLine;
        s.prPos = c.pos;
        EXPECT_EQ(SetOption(s), c.flags) << c.flags;
    }
}

TEST(PrintOptions, DrawingFlagsFollowTheTextMode) {
    struct Case {
        int textMode;
        bool border, addLine;
        int flags;
        bool fit = false;
    };
    const Case cases[] = {
        {1, false, false, 0},      {2, false, false, 6},        {3, false, false, 2}, {0, false, false, 0},
        {7, false, false, 0},      {2, true, true, 15},         {3, true, false, 3},  {1, false, true, 8},
        {2, true, true, 31, true}, {1, false, false, 16, true},
    };
    for (const Case& c : cases) {
        TListSettings s;
        s.prcTextMode = c.textMode;
        s.prcBorder = c.border;
        s.prcAddLine = c.addLine;
        s.prcFitContent = c.fit;
        EXPECT_EQ(SetOption2(s), c.flags) << "mode " << c.textMode;
    }
}

TEST(FileTexts, SizeIsExactAndGrouped) {
    struct Case {
        qint64 bytes;
        const char* c;
        const char* german;
    };
    const Case cases[] = {
        {0, "0", "0"},
        {999, "999", "999"},
        {12345, "12,345", "12.345"},
        {16777217, "16,777,217", "16.777.217"},
        {5000000000LL, "5,000,000,000", "5.000.000.000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileSizeText(c.bytes, QLocale::c()), QString::fromUtf8(c.c));
        EXPECT_EQ(FileSizeText(c.bytes, QLocale(QLocale::German, QLocale::Germany)),
                  QString::fromUtf8(c.german));
    }
}

TEST(FileTexts, DateLeavesOutAMidnightTime) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDate day(2024, 3, 9);
    EXPECT_EQ(FileDateText(QDateTime(day, QTime(0, 0, 0)), us), QStringLiteral("3/9/24"));
    EXPECT_EQ(FileDateText(QDateTime(day, QTime(0, 0, 0, 500)), us), QStringLiteral("3/9/24"));
    EXPECT_EQ(FileDateText(QDateTime(day, QTime(0, 0, 1)), us), QStringLiteral("3/9/24 12:00:01 AM"));
    EXPECT_EQ(FileDateText(QDateTime(day, QTime(14, 5, 9)), us), QStringLiteral("3/9/24 2:05:09 PM"));
    EXPECT_EQ(FileDateText(QDateTime(), us), QString());
}

TEST(FileTexts, DateReadsAsTheDesktopWritesIt) {
    const QDateTime time(QDate(2026, 12, 8), QTime(5, 23, 27));
    EXPECT_EQ(FileDateText(time, QLocale(QLocale::Japanese, QLocale::Japan)),
              QStringLiteral("2026/12/08 5:23:27"));
    EXPECT_EQ(FileDateText(time, QLocale::c()), QStringLiteral("8 Dec 2026 05:23:27"));
    EXPECT_EQ(FileDateText(time, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("08.12.26 05:23:27"));
    EXPECT_EQ(TimeFormatWithSeconds(QLocale(QLocale::Japanese, QLocale::Japan)), QStringLiteral("H:mm:ss"));
}

TEST(PrintCaptions, ColumnHoldsEveryDateLineOfTheLocale) {
    const QFont font(QStringLiteral("IPAGothic"), 9);
    const QFontMetrics metrics(font);
    const auto width = [&metrics](const QString& text) { return metrics.horizontalAdvance(text); };
    const QLocale locales[] = {QLocale(QLocale::Japanese, QLocale::Japan), QLocale::c(),
                               QLocale(QLocale::English, QLocale::UnitedStates)};
    for (const QLocale& locale : locales) {
        for (const bool figures : {true, false}) {
            const int column = CaptionColumnWidth(figures, width, locale);
            EXPECT_GE(column, width(figures ? FigureSampleText() : DrawingSampleText()));
            const TListSettings all;
            for (int month = 1; month <= 12; ++month) {
                for (const QTime clock :
                     {QTime(5, 23, 27), QTime(12, 0, 1), QTime(23, 59, 59), QTime(10, 10, 10)}) {
                    const FileFacts facts{1234567890, QDateTime(QDate(2026, month, month + 17), clock)};
                    const QStringList lines = figures ? FigureCaptionLines(all, "a.jwk", facts, locale)
                                                      : DrawingCaptionLines(all, "a.jwc", "", facts, locale);
                    EXPECT_LE(width(lines.last()), column)
                        << locale.name().toStdString() << " " << lines.last().toStdString();
                }
            }
        }
    }
}

TEST(PrintCaptions, FigureLinesFollowTheSwitches) {
    const FileFacts facts{12345, QDateTime(QDate(2024, 3, 9), QTime(0, 0, 0))};
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QString name = QStringLiteral("ファイル名：a.jwk");
    const QString size = QStringLiteral("サ　イ　ズ：12,345 バイト");
    const QString date = QStringLiteral("日　　　付：3/9/24");
    struct Case {
        bool name, size, date;
        QStringList lines;
    };
    const Case cases[] = {
        {true, true, true, {name, size, date}},
        {false, true, true, {size, date}},
        {true, false, true, {name, date}},
        {false, false, false, {}},
    };
    for (const Case& c : cases) {
        TListSettings s;
        s.prFileName = c.name;
        s.prFileSize = c.size;
        s.prFileDate = c.date;
        EXPECT_EQ(FigureCaptionLines(s, QStringLiteral("a.jwk"), facts, us), c.lines);
    }
    // A file that has gone shows the labels alone.
    EXPECT_EQ(FigureCaptionLines(TListSettings{}, QStringLiteral("a.jwk"), std::nullopt, us),
              (QStringList{name, QStringLiteral("サ　イ　ズ："), QStringLiteral("日　　　付：")}));
    const FileFacts empty{0, QDateTime(QDate(2024, 3, 9), QTime(0, 0, 0))};
    EXPECT_EQ(FigureCaptionLines(TListSettings{}, QStringLiteral("a.jwk"), empty, us)[1],
              QStringLiteral("サ　イ　ズ：0 バイト"));
}

TEST(PrintCaptions, CommentIsCutByBytes) {
    const std::string full(64, 'x');
    struct Case {
        std::string comment;
        std::string first, second;
    };
    const Case cases[] = {
        {"", "", ""},
        {"short", "short", ""},
        {std::string(32, 'a'), std::string(32, 'a'), ""},
        {std::string(32, 'a') + std::string(32, 'b'), std::string(32, 'a'), std::string(32, 'b')},
        {std::string(40, 'a') + std::string(40, 'b'), std::string(32, 'a'),
         std::string(8, 'a') + std::string(24, 'b')},
    };
    for (const Case& c : cases) {
        const auto [first, second] = CommentHalves(c.comment);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(second, c.second);
    }
}

TEST(PrintCaptions, DrawingLinesCarryTheCommentOnTwoLines) {
    const FileFacts facts{16777217, QDateTime(QDate(2024, 3, 9), QTime(10, 0, 0))};
    const QLocale c = QLocale::c();
    // "図面" in code page 932 at the start of the second half, spaces elsewhere.
    const std::string comment = std::string(32, ' ') + "\x90\x7d\x96\xca" + std::string(28, ' ');
    TListSettings s;
    const QStringList lines = DrawingCaptionLines(s, QStringLiteral("b.jwc"), comment, facts, c);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("ファイル名：b.jwc"));
    EXPECT_EQ(lines[1], QStringLiteral("コメント　：") + QString(32, QLatin1Char(' ')));
    EXPECT_EQ(lines[2], QStringLiteral("　　　　　　図面") + QString(28, QLatin1Char(' ')));
    EXPECT_EQ(lines[3], QStringLiteral("サイズ　　：16,777,217 バイト"));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("日付　　　：9 Mar 2024 10:00:00")))
        << lines[4].toStdString();

    // A rejected file's empty comment prints the two labels alone.
    const QStringList rejected = DrawingCaptionLines(s, QStringLiteral("b.jwc"), "", facts, c);
    EXPECT_EQ(rejected[1], QStringLiteral("コメント　："));
    EXPECT_EQ(rejected[2], QStringLiteral("　　　　　　"));

    // Without the comment the size line follows the name line directly.
    s.prcComment = false;
    const QStringList noComment = DrawingCaptionLines(s, QStringLiteral("b.jwc"), comment, facts, c);
    ASSERT_EQ(noComment.size(), 3);
    EXPECT_TRUE(noComment[1].startsWith(QStringLiteral("サイズ　　：")));
}

// A drawing's memo stands where the comment stands: its line breaks shown as spaces, cut at 32 and 64
// bytes but never inside a double-byte character.
TEST(PrintCaptions, AMemoIsCutBetweenCharacters) {
    TListSettings s;
    s.prcFileName = s.prcFileSize = s.prcFileDate = false;
    s.prcComment = true;
    // 31 single bytes, then "図" (2 bytes) that would straddle byte 32, then a line break.
    const std::string memo = std::string(31, 'a') + "\x90\x7d\r\n" + std::string(40, 'b');
    const QStringList lines = DrawingCaptionLines(s, "m.jww", memo, std::nullopt, QLocale::c(), true);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QString(31, 'a'))) << lines[0].toStdString();
    // The rest of the memo does not fit: the second line says so.
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("図  ") + QString(28, 'b') + QStringLiteral("…")))
        << lines[1].toStdString();
}

// The line break of a memo falls between words or characters: a number or a Latin word that byte 32
// would cut goes whole to the second line, unless it fills the first line by itself.
TEST(PrintCaptions, AMemoBreaksNeverInsideANumberOrAWord) {
    const std::string zu = "\x90\x7d";    // 図
    const std::string slash = "\x81\x5e"; // ／
    std::string thirteenZu;
    for (int i = 0; i < 13; ++i)
        thirteenZu += zu;
    struct Case {
        const char* name;
        std::string memo, first, second;
    };
    const Case cases[] = {
        {"scale", thirteenZu + " 1" + slash + "100 A3", thirteenZu + " 1" + slash, "100 A3"},
        {"grouped number", std::string(25, '-') + " 1,200,000", std::string(25, '-') + " ", "1,200,000"},
        {"decimal", std::string(29, '-') + " 2.55", std::string(29, '-') + " ", "2.55"},
        {"full-width digits", thirteenZu + zu + zu + "\x82\x50\x82\x51", thirteenZu + zu + zu,
         "\x82\x50\x82\x51"},
        {"word", std::string(28, '=') + " abcdef", std::string(28, '=') + " ", "abcdef"},
        {"a word longer than the line", std::string(40, 'a'), std::string(32, 'a'), std::string(8, 'a')},
        {"a break after the number", std::string(28, '-') + "1234 x", std::string(28, '-') + "1234", " x"},
        {"a digit after a character", thirteenZu + zu + "12" + zu + "3", thirteenZu + zu + "12" + zu, "3"},
    };
    for (const Case& c : cases) {
        const auto [first, second] = CommentHalves(c.memo, true);
        EXPECT_EQ(first, c.first) << c.name;
        EXPECT_EQ(second, c.second) << c.name;
    }
    // A plain comment is still cut by bytes.
    EXPECT_EQ(CommentHalves(std::string(25, '-') + " 1,200,000").first, std::string(25, '-') + " 1,200,");

    // Shown on the caption lines; a memo that goes on past the second line ends in "…" there, one that
    // only has spaces left does not.
    TListSettings s;
    s.prcFileName = s.prcFileSize = s.prcFileDate = false;
    const QStringList scale =
        DrawingCaptionLines(s, "m.jww", cases[0].memo, std::nullopt, QLocale::c(), true);
    ASSERT_EQ(scale.size(), 2);
    EXPECT_TRUE(scale[0].endsWith(QStringLiteral(" 1／"))) << scale[0].toStdString();
    EXPECT_TRUE(scale[1].endsWith(QStringLiteral("100 A3"))) << scale[1].toStdString();
    const std::string longMemo = std::string(30, '-') + " " + std::string(40, '=');
    EXPECT_TRUE(DrawingCaptionLines(s, "m.jww", longMemo, std::nullopt, QLocale::c(), true)[1].endsWith(
        QStringLiteral("…")));
    const std::string paddedMemo = std::string(64, '-') + "   ";
    EXPECT_FALSE(DrawingCaptionLines(s, "m.jww", paddedMemo, std::nullopt, QLocale::c(), true)[1].endsWith(
        QStringLiteral("…")));
}

} // namespace
} // namespace plavik
