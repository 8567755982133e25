// The listing core: which files are listed and in what order, the folder's title, failures, thumbnails
// drawn alike on one thread and on several, and the palette of each listing its own.
#include "listing/folderlisting.h"
#include "listing/keptbytes.h"
#include "listing/workers.h"
#include "platform/rastercanvas.h"
#include "platform/sjis.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <thread>

namespace plavik {
namespace {

class FolderListingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    std::filesystem::path Folder() const { return std::filesystem::path(dir_.path().toStdString()); }
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(Folder() / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << name;
    }
    static std::vector<std::uint8_t> Figure(float y) { return test::JwkWriter().Line(0, y, 100, y).Bytes(); }
    static std::vector<std::uint8_t> Broken() { return test::JwkWriter().Line(0, 0, 1, 1).Cut(420); }

    static QStringList Names(const FolderListing& listing) {
        QStringList names;
        for (const ListedFile& item : listing.items)
            names << item.name;
        return names;
    }

    QTemporaryDir dir_;
};

TEST_F(FolderListingTest, ListsTheKindsFilesSortedWithTheirFailuresAndTitle) {
    Write("b.jwk", Figure(50));
    Write("A.JWK", Figure(20));
    Write("c-broken.jwk", Broken());
    Write("d.jwk", std::vector<std::uint8_t>{'t', 'e', 'x', 't'});
    Write("e.jwc", test::JwcWriter().Build());
    Write(".hidden.jwk", Figure(50));
    Write("ZU_NAME.DAT", {'P', 'A', 'R', 'T', 'S', '-', '0', '1', 'x'});
    for (const bool listRejected : {false, true}) {
        ListingOptions options;
        options.listRejected = listRejected;
        const FolderListing listing = ListFolder(Folder(), options);
        EXPECT_EQ(listing.title, QStringLiteral("PARTS-01"));
        EXPECT_EQ(listing.found, 4u);
        EXPECT_EQ(Names(listing), listRejected ? QStringList({"A.JWK", "b.jwk", "c-broken.jwk", "d.jwk"})
                                               : QStringList({"A.JWK", "b.jwk"}));
        ASSERT_EQ(listing.failures.size(), 1u);
        EXPECT_EQ(listing.failures[0].fileName, QStringLiteral("c-broken.jwk"));
        EXPECT_EQ(listing.PathOf(listing.items[0]), Folder() / "A.JWK");
        EXPECT_EQ(listing.items[0].size, static_cast<qint64>(Figure(20).size()));
        EXPECT_TRUE(listing.items[0].LastWrite().isValid());
        if (listRejected) {
            EXPECT_TRUE(listing.items[2].unreadable);
            EXPECT_EQ(listing.items[3].result, -1);
            EXPECT_FALSE(listing.items[3].unreadable);
        }
    }
    ListingOptions drawings;
    drawings.kind = ListKind::Drawings;
    const FolderListing listing = ListFolder(Folder(), drawings);
    EXPECT_EQ(listing.title, QStringLiteral("図面"));
    EXPECT_EQ(Names(listing), QStringList({"e.jwc"}));
    EXPECT_TRUE(listing.failures.empty());
}

// A list that takes today's files lists .jws beside .jwk (or .jww beside .jwc), each drawn by its own
// renderer, and a folder of .jws figures is named by the first line of its name file.
TEST_F(FolderListingTest, TodaysFormatsListBesideTheOldOnes) {
    Write("a.jwk", Figure(50));
    Write("b.JWS", test::JwwWriter::Figure(700).Box(0, 0, 100, 100).Line(0, 50, 100, 50).Bytes());
    Write("c.jws", test::JwwWriter::Figure().Cut(300));
    Write("d.jww", test::JwwWriter::Drawing().Line(0, 0, 10, 10).Bytes());
    Write("Zu_name.dat", {'L', 'o', 'n', 'g', ' ', 'f', 'o', 'l', 'd', 'e', 'r', ' ', ' ', '\r', '\n', 'x'});
    ListingOptions options;
    const FolderListing classic = ListFolder(Folder(), options);
    EXPECT_EQ(Names(classic), QStringList({"a.jwk"}));
    EXPECT_EQ(classic.title, QStringLiteral("Long fol"));

    options.todaysFormats = true;
    const FolderListing today = ListFolder(Folder(), options);
    EXPECT_EQ(Names(today), QStringList({"a.jwk", "b.JWS"}));
    EXPECT_EQ(today.title, QStringLiteral("Long folder"));
    EXPECT_EQ(today.items[1].format, FileFormat::Jws);
    ASSERT_EQ(today.failures.size(), 1u); // the cut figure
    EXPECT_EQ(today.failures[0].fileName, QStringLiteral("c.jws"));
    // Both figures put their line across the middle of the thumbnail.
    for (const ListedFile& item : today.items)
        EXPECT_NE(item.thumbnail.pixelIndex(24, 24), item.thumbnail.pixelIndex(24, 10))
            << item.name.toStdString();

    options.kind = ListKind::Drawings;
    EXPECT_EQ(Names(ListFolder(Folder(), options)), QStringList({"d.jww"}));
}

#ifndef _WIN32
// Named pipes with a listed file's name, or the name file's, are passed over: the listing never waits.
TEST_F(FolderListingTest, NamedPipesAreNotWaitedOn) {
    Write("a.jwk", Figure(50));
    ASSERT_EQ(mkfifo((Folder() / "pipe.jwk").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((Folder() / "Zu_name.dat").c_str(), 0600), 0);
    const FolderListing listing = ListFolder(Folder(), ListingOptions{});
    EXPECT_EQ(Names(listing), QStringList({"a.jwk"}));
    EXPECT_EQ(listing.title, QStringLiteral("[無し]"));
    EXPECT_TRUE(listing.failures.empty());
}
#endif

TEST_F(FolderListingTest, AnUnreadableNameFileIsAFailureNamedOnce) {
    Write("a.jwk", Figure(50));
    Write("Zu_name.dat", {'A', 'B'});
    std::filesystem::permissions(Folder() / "Zu_name.dat", std::filesystem::perms::none);
    if (std::ifstream(Folder() / "Zu_name.dat"))
        GTEST_SKIP() << "running with the rights to read any file";
    const FolderListing listing = ListFolder(Folder(), ListingOptions{});
    EXPECT_EQ(listing.title, QStringLiteral("[無し]"));
    ASSERT_EQ(listing.failures.size(), 1u);
    EXPECT_EQ(listing.failures[0].fileName, QStringLiteral("Zu_name.dat"));
    EXPECT_FALSE(listing.failures[0].message.contains(QStringLiteral("Zu_name")))
        << listing.failures[0].message.toStdString();
    EXPECT_EQ(listing.items.size(), 1u);
}

// No file is left out without a word: one that cannot be opened is named with the system's reason, and
// today's drawing cut short is listed as drawn so far, framed in red and named too.
TEST_F(FolderListingTest, FilesThatCannotBeReadWholeAreNamed) {
    test::JwwWriter drawing = test::JwwWriter::Drawing();
    for (int i = 0; i < 20; ++i)
        drawing.Line(0, i * 10, 400, i * 10);
    const std::vector<std::uint8_t> whole = drawing.Bytes();
    Write("cut.jww", drawing.Cut(whole.size() - 30));
    Write("locked.jww", whole);
    std::filesystem::permissions(Folder() / "locked.jww", std::filesystem::perms::none);
    const bool locked = !std::ifstream(Folder() / "locked.jww"); // not as the superuser

    ListingOptions options;
    options.kind = ListKind::Drawings;
    options.todaysFormats = true;
    const FolderListing listing = ListFolder(Folder(), options);
    std::map<QString, QString> failures;
    for (const ListingFailure& f : listing.failures)
        failures[f.fileName] = f.message;
    EXPECT_EQ(failures[QStringLiteral("cut.jww")], QString::fromUtf8(kBrokenOffMessage));
    ASSERT_EQ(Names(listing), locked ? QStringList{"cut.jww"} : QStringList({"cut.jww", "locked.jww"}));
    const Packed16Image& cut = listing.items[0].thumbnail;
    EXPECT_EQ(cut.pixelIndex(0, cut.height() / 2), 9); // the system red of the frame
    if (locked) {
        EXPECT_EQ(failures.size(), 2u);
        EXPECT_FALSE(failures[QStringLiteral("locked.jww")].isEmpty());
    }
}

// Small files are drawn from the bytes their check read, large ones from the file again: either way
// as the renderer draws the file.
TEST_F(FolderListingTest, ThumbnailsAreTheFilesDrawingsOnOneThreadAndOnSeveral) {
    test::JwkWriter large;
    for (int i = 0; i < 2000; ++i)
        large.Line(0, static_cast<float>(i % 100), 100, static_cast<float>(i % 37), 1 + i % 9, 1 + i % 6);
    Write("large.jwk", large.Bytes());
    ASSERT_GT(std::filesystem::file_size(Folder() / "large.jwk"), 16384u); // more than the check reads
    for (int i = 0; i < 40; ++i) {
        test::JwkWriter w;
        w.Line(0, static_cast<float>(i), 100, 100 - static_cast<float>(i), 1 + i % 9, 1 + i % 6)
            .Arc(50, 50, 5.0f + static_cast<float>(i), 0, 270, 0.6, 15, 2 + i % 4)
            .Text(10, 80, 90, 80, "TEXT" + std::to_string(i));
        Write("f" + std::to_string(i) + ".jwk", w.Bytes());
    }
    Write("x-broken.jwk", Broken());
    ListingOptions options;
    options.listRejected = true;
    options.render.flags = 15;
    options.workers = 1;
    const FolderListing one = ListFolder(Folder(), options);
    options.workers = 4;
    const FolderListing several = ListFolder(Folder(), options);
    ASSERT_EQ(one.items.size(), 42u);
    ASSERT_EQ(Names(one), Names(several));
    for (std::size_t i = 0; i < one.items.size(); ++i) {
        const ListedFile& item = one.items[i];
        QImage direct(options.thumbnailSize, QImage::Format_RGB32);
        direct.fill(Qt::white);
        RasterCanvas canvas(direct);
        try {
            DrawListedFile(canvas, item.format, one.PathOf(item), {0, 0, 48, 48}, options.render);
        } catch (const std::exception&) {
            DrawUnreadableCard(canvas, item.format, {0, 0, 48, 48});
        }
        const QImage a = item.thumbnail.ToImage();
        ASSERT_FALSE(a.isNull());
        EXPECT_EQ(a, Packed16Image::FromImage(direct).ToImage()) << item.name.toStdString();
        EXPECT_EQ(a, several.items[i].thumbnail.ToImage()) << item.name.toStdString();
    }
}

// Two listings at once, each with its own colours: neither takes the other's palette.
TEST_F(FolderListingTest, ListingsOnTwoThreadsEachKeepTheirPalette) {
    for (int i = 0; i < 30; ++i)
        Write("f" + std::to_string(i) + ".jwk", Figure(50));
    const auto optionsWith = [](COLORREF back, COLORREF pen) {
        ListingOptions options;
        options.render.palette = {back, pen, pen, pen, pen, pen, pen, pen, pen, pen};
        return options;
    };
    const ListingOptions red = optionsWith(RGB(255, 0, 0), RGB(0, 0, 255));
    const ListingOptions black = optionsWith(RGB(0, 0, 0), RGB(255, 255, 0));
    FolderListing a, b;
    std::thread first([&] {
        for (int run = 0; run < 3; ++run)
            a = ListFolder(Folder(), red);
    });
    std::thread second([&] {
        for (int run = 0; run < 3; ++run)
            b = ListFolder(Folder(), black);
    });
    first.join();
    second.join();
    constexpr int kRed = 9, kBlue = 12, kBlack = 0, kYellow = 11; // system colour indexes
    ASSERT_EQ(a.items.size(), 30u);
    ASSERT_EQ(b.items.size(), 30u);
    for (std::size_t i = 0; i < 30; ++i) {
        // Box y 50 lands on row 24 of a 48-pixel thumbnail.
        EXPECT_EQ(a.items[i].thumbnail.pixelIndex(10, 10), kRed) << i;
        EXPECT_EQ(a.items[i].thumbnail.pixelIndex(10, 24), kBlue) << i;
        EXPECT_EQ(b.items[i].thumbnail.pixelIndex(10, 10), kBlack) << i;
        EXPECT_EQ(b.items[i].thumbnail.pixelIndex(10, 24), kYellow) << i;
    }
}

// The observer is told in order: the items once every file is checked, then the thumbnails, the first
// screen's before the rest are all in.
TEST_F(FolderListingTest, TheObserverHearsOfTheItemsBeforeTheirThumbnails) {
    for (int i = 0; i < 100; ++i)
        Write("f" + std::to_string(1000 + i) + ".jwk", Figure(50));
    struct Observer : ListingObserver {
        std::size_t Listed(FolderListing& listing) override {
            listedItems = listing.items.size();
            thumbnailsAtListing = std::count_if(listing.items.begin(), listing.items.end(),
                                                [](const ListedFile& f) { return !f.thumbnail.isNull(); });
            return 10;
        }
        void Drawn(FolderListing&, const std::vector<std::size_t>& items) override {
            if (reports++ == 0)
                firstReport = items.size();
            for (const std::size_t i : items)
                seen[i]++;
        }
        std::size_t listedItems = 0, reports = 0, firstReport = 0;
        long thumbnailsAtListing = -1;
        std::vector<int> seen = std::vector<int>(100);
    } observer;
    ListingOptions options;
    options.workers = 2;
    ListFolder(Folder(), options, &observer);
    EXPECT_EQ(observer.listedItems, 100u);
    EXPECT_EQ(observer.thumbnailsAtListing, 0);
    EXPECT_GE(observer.firstReport, 10u);
    EXPECT_TRUE(std::all_of(observer.seen.begin(), observer.seen.end(), [](int n) { return n == 1; }));
}

TEST(KeptBytes, ABlockGoesBackToTheArenaOnceAllItsFilesAreDrawn) {
    PackedArena arena;
    KeptBytes keep(arena, 2 * PackedArena::kBlockBytes);
    const std::vector<std::uint8_t> file(PackedArena::kBlockBytes / 8, 7);
    std::vector<KeptBytes::Kept> kept;
    for (int i = 0; i < 8; ++i) // fills the first block
        kept.push_back(keep.Keep(file));
    kept.push_back(keep.Keep(file)); // starts the second
    EXPECT_EQ(keep.Keep(std::vector<std::uint8_t>(PackedArena::kBlockBytes / 8 + 1)).block, -1);
    for (int i = 0; i < 7; ++i) // the limit is reached
        kept.push_back(keep.Keep(file));
    EXPECT_EQ(keep.Keep(file).block, -1);
    keep.Close();
    ASSERT_EQ(kept.size(), 16u);
    EXPECT_TRUE(std::all_of(kept.begin(), kept.end(), [&](const KeptBytes::Kept& k) {
        return k.block >= 0 && std::equal(k.bytes.begin(), k.bytes.end(), file.begin(), file.end());
    }));

    const std::uint8_t* first = kept[0].bytes.data();
    for (int i = 1; i < 8; ++i)
        keep.Release(kept[static_cast<std::size_t>(i)]);
    keep.Release(kept[0]);
    EXPECT_EQ(arena.TakeBlock().get(), first);                // the arena packs into it next
    EXPECT_NE(arena.TakeBlock().get(), kept[8].bytes.data()); // still needed
}

TEST(Workers, EveryIndexRunsOnceWhateverTheNumberOfThreads) {
    for (const int workers : {1, 2, 7}) {
        std::vector<std::atomic<int>> runs(1000);
        std::vector<int> reported(1000);
        WorkerReports reports;
        reports.finished = [&](const std::vector<std::size_t>& done) {
            for (const std::size_t i : done)
                reported[i]++;
        };
        RunOnWorkers(
            runs.size(), workers,
            [&](std::size_t i, int worker) {
                EXPECT_LT(worker, workers);
                runs[i]++;
            },
            reports);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].load(), 1) << i;
            EXPECT_EQ(reported[i], 1) << i;
        }
    }
    RunOnWorkers(0, 2, [](std::size_t, int) { FAIL(); });
}

TEST(FolderTitle, NameFileFirstLine) {
    EXPECT_EQ(FolderNameFromFirstLine("ABCDEFGHIJ  \r\nnotes"), QStringLiteral("ABCDEFGHIJ"));
    EXPECT_EQ(FolderNameFromFirstLine(std::string_view("AB  \0CD", 7)), QStringLiteral("AB"));
    EXPECT_EQ(FolderNameFromFirstLine("\nsecond"), QString());
}

TEST(FolderTitle, NameFileBytes) {
    EXPECT_EQ(FolderNameFromBytes("ABCDEFGHIJ"), QStringLiteral("ABCDEFGH"));
    EXPECT_EQ(FolderNameFromBytes(std::string_view("AB\0CDEFG", 8)), QStringLiteral("AB"));
    EXPECT_EQ(FolderNameFromBytes("ABC" + EncodeSjis(QStringLiteral("建具図"))), QStringLiteral("ABC建具"));
    EXPECT_EQ(ReadFolderTitle(ListKind::Figures, {}).text, QStringLiteral("[無し]"));
    EXPECT_EQ(ReadFolderTitle(ListKind::Drawings, "/no/such/Zu_name.dat").text, QStringLiteral("図面"));
}

} // namespace
} // namespace plavik
