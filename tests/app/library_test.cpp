// The window as a browser of a library: the folder pane, starting on a path, drops, recent folders,
// the keys, the title, the offer of the other kind, and listing again when the folder changes.
#include "app/foldertree.h"
#include "app/tform1.h"
#include "modalanswers.h"
#include "platform/folderscan.h"
#include "platform/sjis.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"
#include "windowprobe.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <fstream>

namespace plavik {
namespace {

using testing::Captions;
using testing::Label;
using testing::ModalAnswers;

std::vector<std::uint8_t> Figure() {
    return test::JwkWriter().Line(0, 50, 100, 50).Bytes();
}
std::vector<std::uint8_t> TodaysFigure() {
    return test::JwwWriter::Figure().Box(0, 0, 100, 100).Line(0, 0, 100, 100).Bytes();
}
std::vector<std::uint8_t> Drawing() {
    return test::JwcWriter().Line(0, 183, 518, 183).Build();
}
std::vector<std::uint8_t> Text(const char* utf8) {
    const std::string bytes = EncodeSjis(QString::fromUtf8(utf8));
    return {bytes.begin(), bytes.end()};
}

class Library : public ::testing::Test {
protected:
    void SetUp() override {
        QCoreApplication::setApplicationName(QStringLiteral("Plavik"));
        ASSERT_TRUE(dir_.isValid());
    }

    QString Path(const QString& relative) const { return dir_.filePath(relative); }
    void Write(const QString& relative, const std::vector<std::uint8_t>& bytes) const {
        QDir().mkpath(QFileInfo(Path(relative)).absolutePath());
        std::ofstream out(PathFromText(Path(relative)), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::unique_ptr<TForm1> Open() {
        auto w = std::make_unique<TForm1>(OpenIniStore(Path("plavik.ini")));
        w->show();
        return w;
    }
    static QString Current(TForm1& w) {
        const QModelIndex index = w.ListView()->currentIndex();
        return index.isValid() ? w.Model().At(index.row()).caption : QString();
    }

    QTemporaryDir dir_;
};

TEST_F(Library, SubfoldersShowTheirTitleAndNoteAndHiddenOnesAreLeftOut) {
    Write("lib/《図形01》建築/Zu_name.dat", Text("建築１\r\n人物と樹木\r\n"));
    Write("lib/plain/a.jwk", Figure());
    QDir().mkpath(Path("lib/.hidden"));
    const std::vector<SubFolder> folders = ReadSubFolders(PathFromText(Path("lib")));
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].name, QStringLiteral("plain"));
    EXPECT_TRUE(folders[0].title.isEmpty());
    EXPECT_EQ(folders[1].name, QStringLiteral("《図形01》建築"));
    EXPECT_EQ(folders[1].title, QStringLiteral("建築１"));
    EXPECT_EQ(folders[1].note, QStringLiteral("人物と樹木"));
}

TEST_F(Library, ALibraryFolderThatIsGoneIsMarkedNotDropped) {
    FolderTreeModel model;
    QDir().mkpath(Path("lib"));
    model.SetRoots(PathFromText(Path("home")), {Path("gone"), Path("lib")});
    EXPECT_EQ(model.LibraryRoots(), QStringList({Path("gone"), Path("lib")}));
    const QModelIndex gone = model.index(1, 0);
    EXPECT_EQ(model.data(gone, Qt::DisplayRole).toString(), QStringLiteral("gone (見つかりません)"));
    EXPECT_FALSE(model.hasChildren(gone));
    EXPECT_EQ(model.data(model.index(2, 0), Qt::DisplayRole).toString(), QStringLiteral("lib"));
}

TEST_F(Library, TheListedFolderIsShownInThePaneUnderItsLibraryFolder) {
    Write("lib/a/b/c/x.jwk", Figure());
    auto w = Open();
    w->FolderModel().AddLibraryRoot(PathFromText(Path("lib")));
    QSignalSpy revealed(&w->FolderModel(), &FolderTreeModel::Revealed);
    w->ListFolder(PathFromText(Path("lib/a/b/c")), std::nullopt, true);
    ASSERT_TRUE(revealed.wait(5000) || revealed.count() > 0);
    const QModelIndex current = w->FolderTree()->currentIndex();
    EXPECT_EQ(PathText(w->FolderModel().PathOf(current)), Path("lib/a/b/c"));
    EXPECT_EQ(PathText(w->FolderModel().PathOf(current.parent().parent().parent())), Path("lib"));
    EXPECT_TRUE(w->FolderModel().IsLibraryRoot(current.parent().parent().parent()));
    EXPECT_EQ(PathText(w->FolderModel().LibraryRootOf(PathFromText(Path("lib/a/b")))), Path("lib"));
}

TEST_F(Library, AFolderIsListedAsTheKindOfItsFilesAndTheKindCanBeSwitched) {
    Write("mixed/a.jwk", Figure());
    Write("mixed/b.jws", TodaysFigure());
    Write("mixed/c.jwc", Drawing());
    Write("drawings/c.jwc", Drawing());
    auto w = Open();
    w->ListFolder(PathFromText(Path("drawings")), std::nullopt, true);
    EXPECT_EQ(w->ListedKind(), ListKind::Drawings);
    w->ListFolder(PathFromText(Path("mixed")), std::nullopt, true);
    EXPECT_EQ(w->ListedKind(), ListKind::Figures);
    EXPECT_EQ(Captions(*w), QStringList({"a.jwk", "b.jws"}));
    w->SwitchKindClick();
    EXPECT_EQ(w->ListedKind(), ListKind::Drawings);
    EXPECT_EQ(Captions(*w), QStringList({"c.jwc"}));
}

TEST_F(Library, AnEmptyListOffersTheFilesItLeftOut) {
    Write("drawings/c.jwc", Drawing());
    Write("drawings/d.jww", test::JwwWriter::Drawing().Line(0, 0, 10, 10).Bytes());
    Write("todays/b.jws", TodaysFigure());
    auto w = Open();
    w->FileListing(Path("drawings"));
    EXPECT_EQ(w->Model().Count(), 0);
    EXPECT_EQ(w->OtherKindOffer(), QStringLiteral("図面ﾌｧｲﾙが 2 個あります。クリックで表示"));
    w->findChild<QPushButton*>("OtherKindButton")->click();
    EXPECT_EQ(Captions(*w), QStringList({"c.jwc", "d.jww"}));
    EXPECT_TRUE(w->OtherKindOffer().isEmpty());
    w->FileListing(Path("todays")); // .jwk only: the .jws figure is left out
    EXPECT_EQ(w->OtherKindOffer(), QStringLiteral("図形ﾌｧｲﾙが 1 個あります。クリックで表示"));
}

TEST_F(Library, AFileGivenListsItsFolderWithItCurrentAndInTheQuickView) {
    Write("f/a.jwc", Drawing());
    Write("f/b.jwc", Drawing());
    Write("f/z.jwk", Figure());
    auto w = Open();
    w->OpenPath(Path("f/b.jwc"));
    EXPECT_EQ(w->ListedKind(), ListKind::Drawings);
    EXPECT_EQ(Current(*w), QStringLiteral("b.jwc"));
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("b.jwc"));
    EXPECT_TRUE(w->ListView()->hasFocus() || !QApplication::focusWidget());
}

// A file is read by what it holds: today's figure under an old figure's name is listed (a file that
// is not a figure would be left out), and the quick view draws it without an error.
TEST_F(Library, AFileIsListedByItsContentBeforeItsName) {
    Write("f/a.jwk", TodaysFigure());
    auto w = Open();
    ModalAnswers answers;
    w->OpenPath(Path("f/a.jwk"));
    EXPECT_EQ(Captions(*w), QStringList{QStringLiteral("a.jwk")});
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("a.jwk"));
    EXPECT_EQ(answers.Classes().size(), 0u);
}

TEST_F(Library, AMissingOrUnreadablePathIsNamedWithItsReasonAndTheListStays) {
    Write("f/a.jwk", Figure());
    Write("f/readme.txt", Text("not a figure"));
    auto w = Open();
    w->OpenPath(Path("f"));
    ASSERT_EQ(w->Model().Count(), 1);
    ModalAnswers answers;
    answers.ThenAccept().ThenAccept();
    w->OpenPath(Path("gone"));
    w->OpenPath(Path("f/readme.txt"));
    ASSERT_EQ(answers.Boxes().size(), 2u);
    EXPECT_EQ(answers.Boxes()[0].text,
              QStringLiteral("「%1」を開けません。\n見つかりません。").arg(Path("gone")));
    EXPECT_TRUE(
        answers.Boxes()[1].text.endsWith(QStringLiteral("jw_cadの図形・図面ファイルではありません。")));
    EXPECT_EQ(w->Model().Count(), 1);
    EXPECT_EQ(PathText(w->ListedFolder()), Path("f"));
}

TEST_F(Library, ADroppedFileOrFolderIsOpenedAsAtStart) {
    Write("f/a.jwk", Figure());
    Write("f/b.jwk", Figure());
    auto w = Open();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("f/b.jwk"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Current(*w) == QStringLiteral("b.jwk"); }, 5000));
}

TEST_F(Library, TheQuickViewFollowsTheArrowKeysAndCopyGivesThePaths) {
    Write("f/a.jwk", Figure());
    Write("f/b.jwk", Figure());
    Write("f/c.jwk", Figure());
    auto w = Open();
    w->activateWindow();
    w->FileListing(Path("f"));
    EXPECT_EQ(Current(*w), QStringLiteral("a.jwk"));
    EXPECT_TRUE(Label(*w, "Label2").isEmpty()); // the first item only takes the keys
    QTest::keyClick(w->ListView(), Qt::Key_Right);
    EXPECT_EQ(Current(*w), QStringLiteral("b.jwk"));
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("b.jwk"));
    QTest::keyClick(w->ListView(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(w->ListView(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->urls(),
              QList<QUrl>({QUrl::fromLocalFile(Path("f/b.jwk")), QUrl::fromLocalFile(Path("f/c.jwk"))}));
    const std::unique_ptr<QMimeData> dragged(w->Model().mimeData({w->Model().index(2)}));
    EXPECT_EQ(dragged->urls(), QList<QUrl>({QUrl::fromLocalFile(Path("f/c.jwk"))}));
}

TEST_F(Library, TitleAndRecentFoldersFollowTheListingsAndTheLastIsListedAtStart) {
    Write("one/Zu_name.dat", Text("とても長い図形フォルダの名前(平面・側面)\r\n"));
    Write("one/a.jws", TodaysFigure());
    Write("two/b.jwc", Drawing());
    {
        auto w = Open();
        w->ListFolder(PathFromText(Path("one")), std::nullopt, true);
        EXPECT_EQ(w->windowTitle(),
                  QStringLiteral("とても長い図形フォルダの名前(平面・側面) — %1 — Plavik").arg(Path("one")));
        EXPECT_EQ(w->Panel(0), QStringLiteral("とても長い図形フォルダの名前(平面・側面)"));
        auto* panel0 = w->findChild<QLabel*>("StatusPanel0");
        EXPECT_TRUE(panel0->text().endsWith(QChar(0x2026)));
        EXPECT_EQ(panel0->toolTip(), w->Panel(0));
        w->ListFolder(PathFromText(Path("two")), std::nullopt, true);
        EXPECT_EQ(w->windowTitle(), QStringLiteral("two — %1 — Plavik").arg(Path("two")));
        w->ListFolder(PathFromText(Path("one")), std::nullopt, true);
        EXPECT_EQ(w->Library().recent, QStringList({Path("one"), Path("two")}));
        w->ListFolder(PathFromText(Path("two")), ListKind::Drawings, true);
        w->close();
    }
    auto again = Open();
    again->ListLastFolder();
    EXPECT_EQ(PathText(again->ListedFolder()), Path("two"));
    EXPECT_EQ(again->ListedKind(), ListKind::Drawings);
    EXPECT_EQ(again->Library().recent, QStringList({Path("two"), Path("one")}));
}

TEST_F(Library, AChangeInTheListedFolderListsItAgainKeepingTheCurrentItem) {
    Write("f/a.jwk", Figure());
    Write("f/b.jwk", Figure());
    auto w = Open();
    w->FileListing(Path("f"));
    w->ListView()->setCurrentIndex(w->Model().index(1));
    Write("f/0.jwk", Figure());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->Model().Count() == 3; }, 5000));
    EXPECT_EQ(Current(*w), QStringLiteral("b.jwk"));
    QFile::remove(Path("f/a.jwk"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Captions(*w) == QStringList({"0.jwk", "b.jwk"}); }, 5000));
}

TEST_F(Library, SearchFindsFilesOfTheWholeLibraryByTheirWordsAndOpensTheirFolder) {
    qputenv("XDG_CACHE_HOME", QFile::encodeName(Path("cache"))); // the index stays in the test's folder
    Write("lib/one/Zu_name.dat", Text("衛生器具\r\n"));
    Write("lib/one/toilet.jws", test::JwwWriter::Figure()
                                    .Box(0, 0, 100, 100)
                                    .BeginDefinition(1)
                                    .Text(0, 0, 50, 0, EncodeSjis(QStringLiteral("便器")))
                                    .EndDefinition()
                                    .Block(0, 0, 1, 1, 0, 1)
                                    .Bytes());
    Write("lib/two/plan.jww",
          test::JwwWriter::Drawing().Text(0, 0, 50, 0, EncodeSjis(QStringLiteral("トイレ"))).Bytes());
    Write("lib/two/sink.jwk",
          test::JwkWriter().Text(0, 0, 50, 0, EncodeSjis(QStringLiteral("洗面 トイレ"))).Bytes());
    auto w = Open();
    w->FolderModel().AddLibraryRoot(PathFromText(Path("lib")));
    w->ListFolder(PathFromText(Path("lib/two")), std::nullopt, true);
    w->SearchLibrary(QStringLiteral("便器"));
    EXPECT_EQ(Captions(*w), QStringList({"toilet.jws"}));
    EXPECT_EQ(w->Model().data(w->Model().index(0), Qt::ToolTipRole).toString(),
              QStringLiteral("toilet.jws\n衛生器具\n一致: 便器"));
    EXPECT_EQ(PathText(w->ListedFolder()), Path("lib"));
    w->SearchLibrary(QStringLiteral("ﾄｲﾚ"));
    EXPECT_EQ(Captions(*w), QStringList({"sink.jwk"})); // figures first; the drawing is offered
    EXPECT_EQ(w->OtherKindOffer(), QStringLiteral("図面ﾌｧｲﾙが 1 個あります。クリックで表示"));
    w->SwitchKindClick();
    EXPECT_EQ(Captions(*w), QStringList({"plan.jww"}));
    EXPECT_EQ(w->SearchQuery(), QStringLiteral("ﾄｲﾚ"));
    w->OpenFolderOfItem();
    EXPECT_TRUE(w->SearchQuery().isEmpty());
    EXPECT_EQ(PathText(w->ListedFolder()), Path("lib/two"));
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("plan.jww"));

    w->ListFolder(PathFromText(Path("lib/two")), ListKind::Figures, true);
    const int dk = w->Model().AddItem(QStringLiteral("ＤＫ-table.jwk"), 0);
    w->FilterByName(QStringLiteral("dk"));
    EXPECT_TRUE(w->ListView()->isRowHidden(1 - dk)); // sink.jwk
    EXPECT_FALSE(w->ListView()->isRowHidden(dk));
    w->FilterByName(QString());
    EXPECT_FALSE(w->ListView()->isRowHidden(1 - dk));
}

} // namespace
} // namespace plavik
