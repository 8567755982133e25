// What a search finds: the words of each format, the folder titles, and the folding of width, case
// and kana in words of one, two and more characters.
#include "libraryfixture.h"

#include "render/filewords.h"
#include "search/normalize.h"

namespace plavik::test {
namespace {

using Strings = std::vector<std::string>;

TEST(SearchWords, FoldWidthCaseAndKanaAndSplitOnAnySpace) {
    EXPECT_EQ(NormalizeForSearch(QStringLiteral("ﾄｲﾚ")), QStringLiteral("トイレ"));
    EXPECT_EQ(NormalizeForSearch(QStringLiteral("といれ")), QStringLiteral("トイレ"));
    EXPECT_EQ(NormalizeForSearch(QStringLiteral("ＤＫ")), NormalizeForSearch(QStringLiteral("dk")));
    EXPECT_EQ(SearchWords(QStringLiteral(" 便器\u3000ＤＫ\tﾄｲﾚ ")),
              (QStringList{QStringLiteral("便器"), QStringLiteral("dk"), QStringLiteral("トイレ")}));
    EXPECT_TRUE(SearchWords(QStringLiteral("\u3000 ")).isEmpty());
}

// One file of every format, a figure with nested blocks, a drawing with a hidden layer and jw_cad's
// setting records, a folder of its own title and one without.
class Matching : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        library_ = new Library;
        const Library& lib = *library_;
        lib.Write("parts/Zu_name.dat", Sjis("衛生器具\r\n二行目は題ではない\r\n"));
        JwwWriter toilet = JwwWriter::Figure();
        toilet.Text(0, 0, 10, 0, Sjis("トイレ"))
            .Text(0, 5, 10, 5, Sjis("洋式便器 W450"))
            .Block(0, 0, 1, 1, 0, 2)
            .BeginDefinition(1, "inner")
            .Text(0, 0, 5, 0, Sjis("手洗器"))
            .EndDefinition()
            .BeginDefinition(2, "outer")
            .Block(1, 1, 1, 1, 0, 1)
            .EndDefinition()
            .BeginDefinition(3, "unused")
            .Text(0, 0, 5, 0, Sjis("未使用の部品"))
            .EndDefinition();
        lib.Write("parts/toilet.jws", toilet.Bytes());
        JwwWriter plan = JwwWriter::Drawing(700);
        plan.Memo(Sjis("２階平面図\r\n縮尺 1/100"))
            .LayerState(0, 3, 0)
            .Text(10, 10, 50, 10, Sjis("ＤＫ"))
            .Text(10, 20, 50, 20, Sjis("隠れた注記"), 3, 0, JwwAttr{.layer = 3})
            .Dimension(0, 0, 910, 0, "910")
            .Text(0, -1000, 10, -1000, "Printer_PaperSize = 0")
            .Text(0, -1000, 10, -1000, "View_Direct2d = 1");
        lib.Write("parts/plan.jww", plan.Bytes());
        lib.Write("parts/old.jwc",
                  JwcWriter().Comment(Sjis("旧い図面")).Text(0, 0, 10, 0, Sjis("Ａ棟")).Build());
        lib.Write("parts/basin.jwk", JwkWriter().Text(0, 0, 10, 0, Sjis("洗面台")).Bytes());
        lib.Write("parts/notjw.jws", std::string(300, 'x'));
        lib.Figure("parts/sub/seat.jws", {"便器"});
        lib.Figure("parts/.hidden/hidden.jws", {"便器"});
        index_ = new SearchIndex(lib.IndexFile());
    }
    static void TearDownTestSuite() {
        delete index_;
        delete library_;
    }

    static SearchResults Find(const char* query) {
        return index_->Search(library_->Root(), QString::fromUtf8(query));
    }

    static Library* library_;
    static SearchIndex* index_;
};
Library* Matching::library_ = nullptr;
SearchIndex* Matching::index_ = nullptr;

TEST_F(Matching, WordsOfEveryKindOfText) {
    struct Case {
        const char* query;
        Strings files;
        const char* match; // of the first hit
    };
    const Case cases[] = {
        {"トイレ", {"toilet.jws"}, "トイレ"},
        {"ﾄｲﾚ", {"toilet.jws"}, "トイレ"},
        {"といれ", {"toilet.jws"}, "トイレ"},
        {"dk", {"plan.jww"}, "ＤＫ"},
        {"ＤＫ", {"plan.jww"}, "ＤＫ"},
        {"便", {"seat.jws", "toilet.jws"}, "便器"},    // one character
        {"便器", {"seat.jws", "toilet.jws"}, "便器"},  // two
        {"洋式便器", {"toilet.jws"}, "洋式便器 W450"}, // more
        {"w450", {"toilet.jws"}, "洋式便器 W450"},
        {"手洗器", {"toilet.jws"}, "手洗器"}, // a block placed inside a placed block
        {"未使用", {}, nullptr},              // a block never placed
        {"隠れ", {"plan.jww"}, "隠れた注記"}, // a hidden layer
        {"910", {"plan.jww"}, "910"},         // a dimension's value
        {"Printer", {}, nullptr},             // setting records at (0, -1000)
        {"= 1", {}, nullptr},
        {"2階", {"plan.jww"}, "２階平面図\r\n縮尺 1/100"}, // the memo
        {"旧い", {"old.jwc"}, "旧い図面"},                 // the comment
        {"a棟", {"old.jwc"}, "Ａ棟"},
        {"洗面", {"basin.jwk"}, "洗面台"},
        {"basin", {"basin.jwk"}, "basin.jwk"},                                    // the file name
        {"衛生", {"basin.jwk", "old.jwc", "plan.jww", "toilet.jws"}, "衛生器具"}, // the own folder's title
        {"二行目", {}, nullptr},
        {"衛生 便器", {"toilet.jws"}, "衛生器具"}, // every word, each anywhere
        {"便器\u3000トイレ", {"toilet.jws"}, "洋式便器 W450"},
        {"トイレ 見当たらない", {}, nullptr},
        {"", {}, nullptr},
        {"x", {}, nullptr}, // not a jw_cad file, though so named
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const SearchResults results = Find(c.query);
        EXPECT_TRUE(results.rootReadable);
        EXPECT_TRUE(results.failures.empty());
        EXPECT_EQ(Names(results), c.files);
        if (c.match && !results.hits.empty()) {
            EXPECT_EQ(results.hits.front().match, QString::fromUtf8(c.match));
        }
    }
}

TEST_F(Matching, HitsCarryFormatAndTheirOwnFoldersTitle) {
    const SearchResults results = Find("便器");
    ASSERT_EQ(results.hits.size(), 2u);
    EXPECT_EQ(results.hits[0].title, QString()); // sub has no name file of its own
    EXPECT_EQ(results.hits[1].title, QStringLiteral("衛生器具"));
    EXPECT_EQ(results.hits[1].format, FileFormat::Jws);
    EXPECT_EQ(Find("旧い").hits.at(0).format, FileFormat::Jwc);
}

// The index finds a longer word by its pairs of characters in any order, and ASCII punctuation by
// private-use characters: only a file whose text holds the word whole is a hit.
TEST(SearchWords, FoundOnlyWhereOneTextHoldsThemWhole) {
    Library lib;
    lib.Figure("whole.jws", {"和洋式便器", "No.1"});
    lib.Figure("apart.jws", {"洋式と式便と便器"});
    lib.Figure("split.jws", {"洋式便", "式便器"});
    lib.Write("gaiji.jws", JwwWriter::Figure()
                               .Text(0, 0, 10, 0,
                                     "No\xF0\x6E"
                                     "1")
                               .Bytes()); // No, U+E02E, 1
    SearchIndex index(lib.IndexFile());
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("洋式便器"))), Strings{"whole.jws"});
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("no.1"))), Strings{"whole.jws"});
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("o\uE02E"))), Strings{"gaiji.jws"});
}

TEST(FileWords, SettingRecordsOnlyAtTheirExactPoint) {
    Library lib;
    JwwWriter w = JwwWriter::Drawing(700);
    w.Text(0, -1000, 10, -1000, "Draw_BmpTOUKA = 1").Text(0, -999.5, 10, -1000, "near it");
    const std::optional<FileWords> words = ReadFileWords(lib.Write("d.jww", w.Bytes()));
    ASSERT_TRUE(words);
    EXPECT_EQ(words->texts, Strings{"near it"});
}

TEST(FileWords, RecognisedFileThatCannotBeReadThrowsAndOthersAreNothing) {
    Library lib;
    const JwcWriter drawing = JwcWriter().Text(0, 0, 1, 1, "abc");
    EXPECT_THROW(ReadFileWords(lib.Write("cut.jwc", drawing.Build(drawing.Build().size() - 30))),
                 std::exception);
    EXPECT_FALSE(ReadFileWords(lib.Write("text.jwk", std::string("plain text, not a figure"))));
    EXPECT_FALSE(ReadFileWords(lib.Root() / "missing.jww"));
}

} // namespace
} // namespace plavik::test
