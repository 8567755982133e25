// The index file: following the tree as it changes without reading what did not, and starting anew
// from a damaged or foreign file.
#include "libraryfixture.h"

#include <QFile>

#include <sqlite3.h>

namespace plavik::test {
namespace {

using Strings = std::vector<std::string>;

// Runs sql on the database file, for a test's own look or change; the error message, empty on success.
std::string RunSql(const QString& file, const char* sql) {
    sqlite3* db = nullptr;
    std::string message = "cannot open";
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) == SQLITE_OK) {
        char* error = nullptr;
        message = sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK ? ""
                  : error                                                      ? error
                                                                               : "failed";
        sqlite3_free(error);
    }
    sqlite3_close(db);
    return message;
}

TEST(SearchIndex, FollowsChangedRemovedAndNewFilesReadingOnlyThose) {
    Library lib;
    lib.Figure("a/sink.jws", {"流し台"});
    lib.Figure("a/bath.jws", {"浴槽"});
    const std::filesystem::path stove = lib.Figure("b/stove.jws", {"コンロ"});
    int pumps = 0;
    {
        SearchIndex index(lib.IndexFile());
        EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("流し"), [&] { ++pumps; })),
                  Strings{"sink.jws"});
        EXPECT_EQ(index.FilesRead(), 3u);
    }
    SearchIndex index(lib.IndexFile()); // the index kept in its file
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("コンロ"))), Strings{"stove.jws"});
    EXPECT_EQ(index.FilesRead(), 0u);

    lib.Figure("a/sink.jws", {"洗面器", "二つ目の文字"}); // another size
    std::filesystem::remove(stove);
    lib.Figure("b/new.jws", {"流し台"});
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("流し"))), Strings{"new.jws"});
    EXPECT_EQ(index.FilesRead(), 2u);
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("洗面器"))), Strings{"sink.jws"});
    EXPECT_TRUE(index.Search(lib.Root(), QStringLiteral("コンロ")).hits.empty());
    EXPECT_EQ(index.FilesRead(), 0u);

    // The same size, another time: read again.
    lib.Figure("a/sink.jws", {"洗面所", "二つ目の文字"});
    std::filesystem::last_write_time(lib.Root() / "a/sink.jws",
                                     std::filesystem::last_write_time(lib.Root() / "a/sink.jws") +
                                         std::chrono::seconds(5));
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("洗面所"))), Strings{"sink.jws"});
    EXPECT_EQ(index.FilesRead(), 1u);

    // A search below the root keeps the rest of the index.
    EXPECT_EQ(Names(index.Search(lib.Root() / "b", QStringLiteral("流し"))), Strings{"new.jws"});
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("浴槽"))), Strings{"bath.jws"});
    EXPECT_EQ(index.FilesRead(), 0u);
    EXPECT_FALSE(index.InMemory());

    // The full-text table's own index is whole after every change (it keeps no text to check against).
    EXPECT_EQ(RunSql(lib.IndexFile(), "INSERT INTO grams(grams) VALUES('integrity-check')"), "");
}

TEST(SearchIndex, UnreadableFilesAreNamedOnceAndTheRestFound) {
    Library lib;
    lib.Figure("good.jws", {"机"});
    const JwcWriter drawing = JwcWriter().Text(0, 0, 1, 1, Sjis("机"));
    const auto cut = lib.Write("cut.jwc", drawing.Build(drawing.Build().size() - 30));
    SearchIndex index(lib.IndexFile());
    const SearchResults results = index.Search(lib.Root(), QStringLiteral("机"));
    EXPECT_EQ(Names(results), Strings{"good.jws"});
    ASSERT_EQ(results.failures.size(), 1u);
    EXPECT_EQ(results.failures[0].file, ShownPath(cut));
    EXPECT_FALSE(results.failures[0].message.isEmpty());

    const SearchResults missing = index.Search(lib.Root() / "none", QStringLiteral("机"));
    EXPECT_FALSE(missing.rootReadable);
    EXPECT_TRUE(missing.hits.empty());
}

TEST(SearchIndex, LinksToFoldersAreNotFollowedAndHiddenFilesLeftOut) {
    Library lib;
    lib.Figure("a/desk.jws", {"机"});
    lib.Figure("a/.desk.jws", {"机"});
    std::filesystem::create_directory_symlink(lib.Root(), lib.Root() / "a" / "loop");
    std::filesystem::create_directory_symlink(lib.Root() / "a", lib.Root() / "again");
    std::filesystem::create_symlink(lib.Root() / "a" / "desk.jws", lib.Root() / "link.jws");
    SearchIndex index(lib.IndexFile());
    const SearchResults results = index.Search(lib.Root(), QStringLiteral("机"));
    EXPECT_EQ(Names(results), (Strings{"desk.jws", "link.jws"}));
    EXPECT_TRUE(results.failures.empty());
}

// The first search of a library while another program has the index open: the rows go through the
// shared log, and each sees the other's.
TEST(SearchIndex, BuiltFromNothingWhileAnotherProgramHasItOpen) {
    Library lib;
    lib.Figure("a/sink.jws", {"流し台"});
    lib.Figure("b/bath.jws", {"浴槽"});
    SearchIndex other(lib.IndexFile());
    SearchIndex index(lib.IndexFile());
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("流し"))), Strings{"sink.jws"});
    EXPECT_FALSE(index.InMemory());
    EXPECT_EQ(Names(other.Search(lib.Root(), QStringLiteral("浴槽"))), Strings{"bath.jws"});
    EXPECT_EQ(other.FilesRead(), 0u);
    EXPECT_EQ(RunSql(lib.IndexFile(), "INSERT INTO grams(grams) VALUES('integrity-check')"), "");
}

// The index file as something else left it.
class SetAside : public ::testing::TestWithParam<const char*> {};

TEST_P(SetAside, DamagedOrForeignIndexIsSetAsideAndBuiltAnew) {
    Library lib;
    lib.Figure("chair.jws", {"椅子"});
    const QString file = lib.IndexFile();
    if (std::string(GetParam()) == "damaged") {
        QFile garbage(file);
        ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, '\x5a'));
    } else {
        ASSERT_EQ(
            RunSql(file, "CREATE TABLE files(name TEXT, size INTEGER); INSERT INTO files VALUES('mine', 1)"),
            "");
    }
    SearchIndex index(file);
    EXPECT_FALSE(index.InMemory());
    const SearchResults results = index.Search(lib.Root(), QStringLiteral("椅子"));
    EXPECT_EQ(Names(results), Strings{"chair.jws"});
    EXPECT_TRUE(results.failures.empty());
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".damaged")));
    // The new file is an index again.
    SearchIndex again(file);
    EXPECT_EQ(Names(again.Search(lib.Root(), QStringLiteral("椅子"))), Strings{"chair.jws"});
    EXPECT_EQ(again.FilesRead(), 0u);
}

TEST(SearchIndex, IndexOfAnEarlierVersionIsBuiltAnewInItsPlace) {
    Library lib;
    lib.Figure("chair.jws", {"椅子"});
    const QString file = lib.IndexFile();
    ASSERT_EQ(RunSql(file,
                     "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
                     "INSERT INTO meta VALUES('schema', 'plavik-search 1');"
                     "CREATE TABLE files(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE, size INTEGER, "
                     "mtime INTEGER, format INTEGER, shown TEXT, norm TEXT)"),
              "");
    SearchIndex index(file);
    EXPECT_FALSE(index.InMemory());
    EXPECT_EQ(Names(index.Search(lib.Root(), QStringLiteral("椅子"))), Strings{"chair.jws"});
    EXPECT_EQ(index.FilesRead(), 1u);
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".damaged")));
}

INSTANTIATE_TEST_SUITE_P(IndexFile, SetAside, ::testing::Values("damaged", "foreign"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
} // namespace plavik::test
