#include "settings/library.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace plavik {
namespace {

TEST(LibraryState, RoundTripsThroughTheIniFileWithCommasAndJapanese) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("plavik.ini");
    LibraryState state;
    state.lastFolder = QStringLiteral("/home/a/《図形01》建築１");
    state.lastKind = ListKind::Drawings;
    state.lastTodays = false;
    state.reopenLast = false;
    state.recent = {state.lastFolder, QStringLiteral("/home/a/x, y")};
    state.roots = {QStringLiteral("/srv/図形")};
    state.treeWidth = 300;
    state.quickViewWidth = 420;
    state.openFolder = QStringLiteral("/home/a/");
    state.openFilter = QStringLiteral("jw_cad図形ﾌｧｲﾙ(*.jws *.jwk)");
    state.viewerBounds = QByteArray("\x01\xd9\xd0\xcb,=\0\n", 8); // saveGeometry's bytes, any of them
    {
        auto store = OpenIniStore(ini);
        SaveLibraryState(*store, state);
        store->Flush();
    }
    EXPECT_EQ(LoadLibraryState(*OpenIniStore(ini)), state);
}

TEST(LibraryState, MissingOrBadValuesKeepTheirDefaults) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("plavik.ini");
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "[Library]\nTreeWidth=wide\nQuickViewWidth=3\nRecent1=/a\nRecent2=\nRecent3=/c\nLastKind=1,2\n");
    file.close();
    const LibraryState state = LoadLibraryState(*OpenIniStore(ini));
    EXPECT_EQ(state.treeWidth, LibraryState().treeWidth);
    EXPECT_EQ(state.quickViewWidth, kLeastQuickViewPanel); // narrower than its picture
    EXPECT_EQ(state.recent, QStringList({"/a"}));          // the list ends at its first empty value
    EXPECT_EQ(state.lastKind, ListKind::Figures);          // a list is the wrong type
    EXPECT_TRUE(state.reopenLast);
}

TEST(LibraryState, RecentFoldersPutTheNewestFirstOnceAndKeepTen) {
    QStringList recent;
    for (int i = 0; i < 12; ++i)
        recent = WithRecentFolder(recent, QString::number(i));
    ASSERT_EQ(recent.size(), kRecentFolders);
    EXPECT_EQ(recent.front(), "11");
    EXPECT_EQ(recent.back(), "2");
    recent = WithRecentFolder(recent, "5");
    EXPECT_EQ(recent.mid(0, 3), QStringList({"5", "11", "10"}));
    EXPECT_EQ(recent.count("5"), 1);
}

} // namespace
} // namespace plavik
