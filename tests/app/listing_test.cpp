// Listing folders into the main window, the quick view of a listed file, and printing the list.
#include "app/listing.h"
#include "app/tform1.h"
#include "modalanswers.h"
#include "platform/canvastext.h"
#include "platform/folderscan.h"
#include "platform/sjis.h"
#include "render/errors.h"
#include "render/palette.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "windowprobe.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>

namespace plavik {
namespace {

using testing::Captions;
using testing::Label;
using testing::ModalAnswers;

std::vector<std::uint8_t> LineFigure() {
    return test::JwkWriter().Line(0, 50, 100, 50).Bytes();
}

std::vector<std::uint8_t> Drawing() {
    return test::JwcWriter().Line(0, 183, 518, 183).Build();
}

// A figure that is recognised but ends inside its line records.
std::vector<std::uint8_t> TruncatedFigure() {
    return test::JwkWriter().Line(0, 0, 100, 100).Line(0, 100, 100, 0).Cut(420);
}

class Listing : public ::testing::Test {
protected:
    void SetUp() override {
        QCoreApplication::setApplicationName(QStringLiteral("Plavik"));
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir().mkpath(Folder()));
    }

    // Qt cannot remove names that are not UTF-8; the file system library can.
    void TearDown() override {
        std::error_code error;
        std::filesystem::remove_all(PathFromText(dir_.path()), error);
    }

    QString Folder(const QString& sub = QStringLiteral("list")) const { return dir_.filePath(sub); }
    QString Shown(const QString& sub = QStringLiteral("list")) const {
        return QDir::toNativeSeparators(Folder(sub)) + QDir::separator();
    }
    static void WriteAt(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << path;
    }
    void Write(const QString& name, const std::vector<std::uint8_t>& bytes,
               const QString& sub = QStringLiteral("list")) const {
        QDir().mkpath(Folder(sub));
        WriteAt(PathFromText(Folder(sub) + QLatin1Char('/') + name), bytes);
    }
    void Write(const QString& name, const std::string& text) const {
        Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    std::unique_ptr<TForm1> Open() {
        auto w = std::make_unique<TForm1>(OpenIniStore(dir_.filePath("plavik.ini")));
        w->show();
        return w;
    }
    static void SelectRow(TForm1& w, int row) {
        w.ListView()->selectionModel()->select(w.Model().index(row), QItemSelectionModel::ClearAndSelect);
    }
    static bool Idle(TForm1& w) { return w.isEnabled() && QApplication::overrideCursor() == nullptr; }

    QTemporaryDir dir_;
};

TEST_F(Listing, ExportWritesTheSelectedFilesIntoThePickedFolderAndNamesTheOnesThatFail) {
    Write("a.jwk", LineFigure());
    Write("b.jwk", LineFigure());
    Write("c.jwk", LineFigure());
    auto w = Open();
    w->FileListing(Folder());
    ASSERT_EQ(w->Model().Count(), 3);
    w->ListView()->selectAll();
    w->ListView()->selectionModel()->select(w->Model().index(1), QItemSelectionModel::Deselect);
    auto* popup = w->findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    auto* exportAction = w->findChild<QAction*>(QStringLiteral("Export1"));
    ASSERT_TRUE(popup && exportAction);
    EXPECT_EQ(exportAction->text(), QStringLiteral("エクスポート…"));
    popup->popup(QPoint(10, 10));
    EXPECT_TRUE(exportAction->isEnabled());
    popup->hide();

    const QString out = Folder("out");
    // An output that cannot be written: a folder holds its name.
    ASSERT_TRUE(QDir().mkpath(out + "/c.jwk.svg"));
    ModalAnswers answers;
    answers
        .Then([&](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("ExportFolder"))->setText(out);
            dialog->findChild<QComboBox*>(QStringLiteral("ExportFormat"))->setCurrentText(QStringLiteral("SVG"));
            static_cast<QDialog*>(dialog)->accept();
        })
        .ThenClick("OK");
    exportAction->trigger();
    ASSERT_EQ(answers.Boxes().size(), 1u);
    EXPECT_TRUE(answers.Boxes()[0].text.startsWith(QStringLiteral("1 個のファイルを書き出しました。")))
        << answers.Boxes()[0].text.toStdString();
    EXPECT_TRUE(answers.Boxes()[0].text.contains(QStringLiteral("c.jwk: "))) << answers.Boxes()[0].text.toStdString();
    EXPECT_TRUE(QFile::exists(out + "/a.jwk.svg"));
    EXPECT_FALSE(QFile::exists(out + "/b.jwk.svg")) << "not selected";
    EXPECT_TRUE(Idle(*w));
}

TEST_F(Listing, FiguresAreListedSortedWithTheirPathsAndCountedAndTheWindowEndsIdle) {
    Write("d.jwk", LineFigure());
    Write("B-KIT.JWK", LineFigure());
    Write("c.jwk", LineFigure());
    Write(".hidden.jwk", LineFigure());
    Write("c.jwc", Drawing());
    Write("note.txt", LineFigure());
    auto w = Open();
    w->FileListing(Folder()); // without the trailing separator
    EXPECT_EQ(Captions(*w), QStringList({"B-KIT.JWK", "c.jwk", "d.jwk"}));
    EXPECT_EQ(w->Panel(0), QStringLiteral("[無し]"));
    EXPECT_EQ(w->Panel(1), QStringLiteral("ﾌｧｲﾙ数:3"));
    EXPECT_EQ(w->Panel(2), Shown());
    EXPECT_EQ(w->ImageList1().Count(), 3);
    for (int row = 0; row < 3; ++row) {
        const ListItem& item = w->Model().At(row);
        EXPECT_EQ(QString::fromStdString(item.fileName), item.caption);
        EXPECT_EQ(w->ImageList1().Packed(item.imageIndex).width(), 48);
        EXPECT_EQ(w->ImageList1().Packed(item.imageIndex).height(), 48);
    }
    EXPECT_TRUE(Idle(*w));
    // With the separator already there, the same list and panel.
    w->FileListing(Shown());
    EXPECT_EQ(w->Panel(2), Shown());
    EXPECT_EQ(w->Model().Count(), 3);
}

TEST_F(Listing, TheThumbnailHoldsTheDrawnLineInSixteenColours) {
    Write("line.jwk", LineFigure());
    auto w = Open();
    w->FileListing(Folder());
    ASSERT_EQ(w->Model().Count(), 1);
    const Packed16Image& thumb = w->ImageList1().Packed(w->Model().At(0).imageIndex);
    EXPECT_EQ(thumb.byteCount(), 24u * 48u); // four bits a pixel
    // Box y 50 of 100 lands on row 48 - 24 = 24; inside the frame the rest is the background.
    const int back = NearestSystemColor(ToQRgb(w->JwkColors()[kBack]));
    const int pen = NearestSystemColor(ToQRgb(w->JwkColors()[kPen1]));
    ASSERT_NE(back, pen);
    for (int x : {1, 10, 46})
        EXPECT_EQ(thumb.pixelIndex(x, 24), pen) << x;
    for (int y : {1, 23, 25, 46})
        EXPECT_EQ(thumb.pixelIndex(10, y), back) << y;
    // The list paints it from the stored image.
    const QImage shown = w->Model().data(w->Model().index(0), Qt::DecorationRole).value<QPixmap>().toImage();
    EXPECT_EQ(shown.pixel(10, 24), SystemColors()[static_cast<std::size_t>(pen)]);
}

TEST_F(Listing, PanelZeroShowsTheFolderNameFromItsNameFile) {
    struct Case {
        const char* file;
        std::string bytes;
        QString shown;
    };
    const Case cases[] = {
        {nullptr, "", QStringLiteral("[無し]")},
        {"Zu_name.dat", "ABCDEFGHIJ", QStringLiteral("ABCDEFGH")},
        {"Zu_name.dat", "abc", QStringLiteral("abc")}, // shorter than 8 bytes: what it holds
        {"Zu_name.dat", "", QString()},
        {"ZU_NAME.DAT", "UPPER", QStringLiteral("UPPER")},
        {"Zu_name.dat", EncodeSjis(QStringLiteral("建具図形")) + "xx", QStringLiteral("建具図形")},
        // The 8-byte cut falls inside a double-byte character: it is dropped, not shown broken.
        {"Zu_name.dat", "ABC" + EncodeSjis(QStringLiteral("建具図")), QStringLiteral("ABC建具")},
        {"Zu_name.dat", std::string("AB\0CDEFG", 8), QStringLiteral("AB")},
    };
    for (const Case& c : cases) {
        QDir(Folder()).removeRecursively();
        QDir().mkpath(Folder());
        if (c.file)
            Write(QString::fromLatin1(c.file), c.bytes);
        Write("a.jwk", LineFigure());
        auto w = Open();
        ModalAnswers answers;
        w->FileListing(Folder());
        EXPECT_EQ(w->Panel(0), c.shown) << (c.file ? c.file : "none") << " " << c.bytes;
        EXPECT_EQ(w->Model().Count(), 1); // the listing goes on
        EXPECT_TRUE(answers.Classes().empty());
    }
}

TEST_F(Listing, DrawingsGetTheirPanelProportionAndTheirOwnSwitch) {
    Write("a.jwc", Drawing());
    Write("plain.jwc", std::string("not a drawing"));
    Write("x.jwk", LineFigure());
    for (bool unknown : {false, true}) {
        auto w = Open();
        w->Settings().IconSize2 = 100;
        w->Settings().UnKnownJwk = !unknown; // the figures' switch does not count here
        w->Settings().UnKnownJwc = unknown;
        w->FileListing2(Folder());
        EXPECT_EQ(Captions(*w), unknown ? QStringList({"a.jwc", "plain.jwc"}) : QStringList({"a.jwc"}));
        EXPECT_EQ(w->Panel(0), QStringLiteral("図面"));
        EXPECT_EQ(w->Panel(2), Shown());
        EXPECT_EQ(w->ImageList1().Size(), QSize(100, 71));
        const Packed16Image& thumb = w->ImageList1().Packed(0);
        EXPECT_EQ(QSize(thumb.width(), thumb.height()), QSize(100, 71));
    }
}

TEST_F(Listing, UnrecognisedFiguresAreListedOnlyWithTheSwitchAndShowTheCard) {
    Write("good.jwk", LineFigure());
    Write("text.jwk", std::string("just some text, not a figure at all"));
    for (bool unknown : {false, true}) {
        auto w = Open();
        w->Settings().UnKnownJwk = unknown;
        w->FileListing(Folder());
        EXPECT_EQ(Captions(*w), unknown ? QStringList({"good.jwk", "text.jwk"}) : QStringList({"good.jwk"}));
        if (unknown) {
            const Packed16Image& card = w->ImageList1().Packed(w->Model().At(1).imageIndex);
            bool red = false;
            for (int y = 0; y < card.height(); ++y)
                for (int x = 0; x < card.width(); ++x)
                    red = red || card.pixelIndex(x, y) == 9; // the system red of the words
            EXPECT_TRUE(red);
        }
    }
}

TEST_F(Listing, AnUnreadableFileNoLongerStopsTheListingAndIsNamedInOneErrorBox) {
    Write("a.jwk", LineFigure());
    Write("broken.jwk", TruncatedFigure());
    Write("broken2.jwk", TruncatedFigure());
    Write("z.jwk", LineFigure());
    for (bool unknown : {false, true}) {
        auto w = Open();
        w->Settings().UnKnownJwk = unknown;
        ModalAnswers answers;
        answers.ThenClick("OK");
        w->FileListing(Folder());
        EXPECT_EQ(Captions(*w), unknown ? QStringList({"a.jwk", "broken.jwk", "broken2.jwk", "z.jwk"})
                                        : QStringList({"a.jwk", "z.jwk"}));
        EXPECT_EQ(w->Panel(2), Shown());
        ASSERT_EQ(answers.Boxes().size(), 1u);
        const QString text = answers.Boxes()[0].text;
        EXPECT_EQ(answers.Boxes()[0].icon, QMessageBox::Critical);
        const QString line = QStringLiteral(": ") + QString::fromUtf8(ReadError::kMessage);
        EXPECT_TRUE(text.contains(QStringLiteral("broken.jwk") + line)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("broken2.jwk") + line)) << text.toStdString();
        EXPECT_EQ(text.count(QLatin1Char('\n')), 1);
        EXPECT_TRUE(Idle(*w));
        if (unknown) {
            const Packed16Image& card = w->ImageList1().Packed(w->Model().At(1).imageIndex);
            EXPECT_EQ(card.pixelIndex(0, 0), 15); // the white card, not the half-drawn figure
        }
    }
}

TEST_F(Listing, ManyFailuresAreCutShortInTheBox) {
    std::vector<ListingFailure> failures;
    for (int i = 0; i < 25; ++i)
        failures.push_back({QStringLiteral("f%1.jwk").arg(i), QStringLiteral("bad")});
    const QString text = ListingErrorText(failures);
    EXPECT_EQ(text.count(QLatin1Char('\n')), 20);
    EXPECT_TRUE(text.startsWith(QStringLiteral("f0.jwk: bad\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("他 5 件")));
    EXPECT_EQ(ListingErrorText({}), QString());
}

TEST_F(Listing, ASecondFolderReplacesTheFirstWhole) {
    Write("a.jwk", LineFigure());
    Write("b.jwk", LineFigure());
    Write("Zu_name.dat", std::string("FIRST"));
    Write("c.jwc", Drawing(), QStringLiteral("other"));
    auto w = Open();
    w->FileListing(Folder());
    ASSERT_EQ(w->Model().Count(), 2);
    w->FileListing2(Folder(QStringLiteral("other")));
    EXPECT_EQ(Captions(*w), QStringList({"c.jwc"}));
    EXPECT_EQ(w->ImageList1().Count(), 1);
    EXPECT_EQ(w->Model().At(0).imageIndex, 0);
    EXPECT_EQ(w->Panel(0), QStringLiteral("図面"));
    EXPECT_EQ(w->Panel(1), QStringLiteral("ﾌｧｲﾙ数:1"));
    EXPECT_EQ(w->Panel(2), Shown(QStringLiteral("other")));
    // An empty folder: no items, but the folder is still named.
    QDir().mkpath(Folder(QStringLiteral("empty")));
    w->FileListing(Folder(QStringLiteral("empty")));
    EXPECT_EQ(w->Model().Count(), 0);
    EXPECT_EQ(w->Panel(2), Shown(QStringLiteral("empty")));
}

#ifndef Q_OS_WIN
TEST_F(Listing, ACodePage932FileNameIsShownDecodedDrawnAndQuickViewed) {
    const std::string name = EncodeSjis(QStringLiteral("図形.jwk"));
    WriteAt(std::filesystem::path(Folder().toStdString()) / name, LineFigure());
    auto w = Open();
    w->FileListing(Folder());
    ASSERT_EQ(Captions(*w), QStringList({"図形.jwk"}));
    EXPECT_EQ(w->Model().At(0).fileName, name);
    SelectRow(*w, 0);
    w->ListView1DblClick();
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("図形.jwk"));
    EXPECT_EQ(Label(*w, "Label5"), QStringLiteral("%1 バイト").arg(LineFigure().size()));
}
#endif

#ifndef Q_OS_WIN
// The window and plavik-render sheet list one folder alike: the same files in the same order, the
// same title and the same failure, an undecodable name and an odd name file included.
TEST_F(Listing, TheWindowAndTheSheetListAFolderAlike) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    Write("c.jwk", LineFigure());
    Write("a.jwk", LineFigure());
    Write("b-broken.jwk", TruncatedFigure());
    Write("Zu_name.dat", std::string("AB\0CDEFGH", 9));
    WriteAt(std::filesystem::path(Folder().toStdString()) / "\xFF\xFE.jwk", LineFigure());
    auto w = Open();
    ModalAnswers answers;
    answers.ThenClick("OK");
    w->FileListing(Folder());
    ASSERT_EQ(answers.Boxes().size(), 1u);
    EXPECT_TRUE(answers.Boxes()[0].text.startsWith(QStringLiteral("b-broken.jwk: ")));
    const QStringList captions = Captions(*w);
    ASSERT_EQ(captions.size(), 3);

    const QString pdf = dir_.filePath(QStringLiteral("sheet.pdf"));
    QProcess sheet;
    sheet.start(QStringLiteral(PLAVIK_RENDER_EXE), {QStringLiteral("sheet"), Folder(), pdf});
    ASSERT_TRUE(sheet.waitForFinished(60000));
    EXPECT_EQ(sheet.exitCode(), 3);
    const QStringList errors =
        QString::fromUtf8(sheet.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 1) << errors.join('\n').toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("b-broken.jwk: ")));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(
        QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("JWK-List  ") + w->Panel(0)));
    EXPECT_EQ(w->Panel(0), QStringLiteral("AB"));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    // Every caption in the window's order, each drawn from its file (no card).
    qsizetype at = 0;
    for (const QString& caption : captions) {
        const qsizetype found = printed.indexOf(caption, at);
        EXPECT_GE(found, at) << caption.toStdString();
        at = std::max(found, at);
    }
    EXPECT_EQ(printed.count(QStringLiteral(" バイト")), captions.size());
    EXPECT_FALSE(printed.contains(QStringLiteral("Not JWK File")));
}
#endif

// --- Quick view

TEST_F(Listing, QuickViewShowsCaptionSizeDateAndPicture) {
    std::vector<std::uint8_t> big = LineFigure();
    big.resize(12345, 0); // the text pool takes the rest
    Write("big.jwk", big);
    Write("mid.jwk", LineFigure());
    ASSERT_TRUE(QFile(Folder() + "/mid.jwk").open(QIODevice::ReadWrite));
    {
        QFile f(Folder() + "/mid.jwk");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            f.setFileTime(QDateTime(QDate(2021, 3, 4), QTime(0, 0, 0)), QFileDevice::FileModificationTime));
        QFile g(Folder() + "/big.jwk");
        ASSERT_TRUE(g.open(QIODevice::ReadWrite));
        ASSERT_TRUE(g.setFileTime(QDateTime(QDate(2021, 3, 4), QTime(13, 45, 10)),
                                  QFileDevice::FileModificationTime));
    }
    auto w = Open();
    w->FileListing(Folder());
    ASSERT_EQ(Captions(*w), QStringList({"big.jwk", "mid.jwk"}));
    const QString date = QLocale().toString(QDate(2021, 3, 4), QLocale::ShortFormat);

    // A real double-click on the first item.
    const QRect item = w->ListView()->visualRect(w->Model().index(0));
    QTest::mouseClick(w->ListView()->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(w->ListView()->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("big.jwk"));
    EXPECT_EQ(Label(*w, "Label5"), QStringLiteral("12,345 バイト"));
    EXPECT_TRUE(Label(*w, "Label7").startsWith(date + QLatin1Char(' '))) << Label(*w, "Label7").toStdString();
    EXPECT_TRUE(Label(*w, "Label7").contains(QStringLiteral("13:45:10")));
    const QImage& picture = w->QuickViewImage();
    EXPECT_EQ(picture.size(), QSize(150, 150));
    // The line at box y 50 runs along row 75 of the picture.
    EXPECT_EQ(picture.pixel(20, 75) | 0xFF000000u, ToQRgb(w->JwkColors()[kPen1]) | 0xFF000000u);
    EXPECT_EQ(picture.pixel(20, 40) | 0xFF000000u, ToQRgb(w->JwkColors()[kBack]) | 0xFF000000u);
    EXPECT_TRUE(Idle(*w));

    // Midnight shows the date alone.
    SelectRow(*w, 1);
    w->ListView1DblClick();
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("mid.jwk"));
    EXPECT_EQ(Label(*w, "Label7"), date);
}

TEST_F(Listing, QuickViewOfADrawingUsesTheLowPicture) {
    Write("a.jwc", Drawing());
    auto w = Open();
    w->FileListing2(Folder());
    SelectRow(*w, 0);
    w->ListView1DblClick();
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("a.jwc"));
    EXPECT_EQ(w->QuickViewImage().size(), QSize(150, 106));
    // Sheet y 183 of 366 lands on row 106 - 53 = 53, in the drawing's black.
    EXPECT_EQ(w->QuickViewImage().pixel(30, 53) | 0xFF000000u, 0xFF000000u);
}

TEST_F(Listing, QuickViewOfAVanishedFileOrWithNothingSelectedDoesNothing) {
    Write("a.jwk", LineFigure());
    Write("b.jwk", LineFigure());
    auto w = Open();
    w->FileListing(Folder());
    w->ListView1DblClick(); // nothing selected
    EXPECT_EQ(Label(*w, "Label2"), QString());
    SelectRow(*w, 0);
    w->ListView1DblClick();
    ASSERT_EQ(Label(*w, "Label2"), QStringLiteral("a.jwk"));
    const QImage before = w->QuickViewImage().copy();
    ASSERT_TRUE(QFile::remove(Folder() + "/b.jwk"));
    SelectRow(*w, 1);
    ModalAnswers answers;
    w->ListView1DblClick();
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("a.jwk"));
    EXPECT_EQ(w->QuickViewImage(), before);
    EXPECT_TRUE(answers.Classes().empty());
}

TEST_F(Listing, QuickViewOfAnUnreadableFileShowsTheErrorAfterTheLabels) {
    Write("broken.jwk", TruncatedFigure());
    Write("empty.jwk", std::string());
    auto w = Open();
    w->Settings().UnKnownJwk = true;
    {
        ModalAnswers answers;
        answers.ThenClick("OK");
        w->FileListing(Folder());
        ASSERT_EQ(answers.Boxes().size(), 1u);
    }
    ASSERT_EQ(Captions(*w), QStringList({"broken.jwk", "empty.jwk"}));
    ModalAnswers answers;
    answers.ThenClick("OK");
    SelectRow(*w, 0);
    w->ListView1DblClick();
    ASSERT_EQ(answers.Boxes().size(), 1u);
    EXPECT_EQ(answers.Boxes()[0].text, QString::fromUtf8(ReadError::kMessage));
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("broken.jwk"));
    EXPECT_EQ(Label(*w, "Label5"), QStringLiteral("420 バイト"));
    EXPECT_TRUE(Idle(*w));
    // A file of another kind shows the card, no error, and its zero size.
    SelectRow(*w, 1);
    w->ListView1DblClick();
    EXPECT_EQ(answers.Boxes().size(), 1u);
    EXPECT_EQ(Label(*w, "Label5"), QStringLiteral("0 バイト"));
    EXPECT_EQ(w->QuickViewImage().pixel(0, 0) | 0xFF000000u, 0xFFFFFFFFu);
}

// --- The samples and printing

TEST_F(Listing, TheSampleFoldersListWithoutFailures) {
    const QString samples = QStringLiteral(PLAVIK_SOURCE_DIR "/samples/");
    auto w = Open();
    ModalAnswers answers;
    w->FileListing(samples + "figures");
    EXPECT_EQ(w->Panel(0), QStringLiteral("建具図形"));
    EXPECT_EQ(w->Model().Count(), 5);
    w->FileListing2(samples + "drawings");
    EXPECT_EQ(w->Model().Count(), 3);
    // Today's figures, named by the first line of their name file, and drawings; each previews at
    // its kind's size.
    w->FileListing(samples + "jws-figures", true);
    EXPECT_EQ(w->Panel(0), QStringLiteral("建具・家具（今の図形）"));
    EXPECT_EQ(w->Model().Count(), 3);
    SelectRow(*w, 0);
    w->ListView1DblClick();
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("swing-door.jws"));
    EXPECT_EQ(w->QuickViewImage().size(), QSize(150, 150) * w->QuickViewImage().devicePixelRatio());
    w->FileListing2(samples + "jww-drawings", true);
    EXPECT_EQ(w->Model().Count(), 2);
    SelectRow(*w, 0);
    w->ListView1DblClick();
    EXPECT_EQ(Label(*w, "Label2"), QStringLiteral("plan.jww"));
    EXPECT_EQ(w->QuickViewImage().size(), QSize(150, 106) * w->QuickViewImage().devicePixelRatio());
    EXPECT_TRUE(answers.Classes().empty());
}

TEST_F(Listing, PrintingAListedFolderWritesItsSheetsToAPdf) {
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdfinfo.isEmpty())
        GTEST_SKIP() << "pdfinfo is not installed";
    for (int i = 0; i < 40; ++i)
        Write(QStringLiteral("f%1.jwk").arg(i, 2, 10, QLatin1Char('0')), LineFigure());
#ifndef Q_OS_WIN
    // Found by its real path: its caption cannot be turned back into the name on disk.
    WriteAt(std::filesystem::path(Folder().toStdString()) / EncodeSjis(QStringLiteral("図形.jwk")),
            LineFigure());
#endif
    auto w = Open();
    w->FileListing(Folder());
    const QString pdf = dir_.filePath("list.pdf");
    w->Printer().setOutputFormat(QPrinter::PdfFormat);
    w->Printer().setOutputFileName(pdf);
    w->Printer().setResolution(300);
    w->Printer().setPageSize(QPageSize(QPageSize::A4));
    ModalAnswers answers;
    w->PrintOut1();
    EXPECT_TRUE(answers.Classes().empty()); // no error box
    const PrintResult& result = w->LastPrint();
    EXPECT_EQ(result.outcome, PrintResult::Outcome::Printed);
    EXPECT_EQ(result.filesDrawn, w->Model().Count());
    EXPECT_TRUE(result.failedFiles.empty());
    ASSERT_GE(result.sheets, 2);
    QProcess info;
    info.start(pdfinfo, {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(result.sheets))))
        << out.toStdString();
    EXPECT_TRUE(Idle(*w));
}

// Closing the window by its title bar during a printout cancels the job as the progress window's
// button does; the window closes once the printout has ended, leaving no output.
TEST_F(Listing, ClosingTheWindowDuringAPrintoutCancelsItAndCloses) {
    for (int i = 0; i < 60; ++i)
        Write(QStringLiteral("f%1.jwk").arg(i, 2, 10, QLatin1Char('0')), LineFigure());
    auto w = Open();
    w->FileListing(Folder());
    const QString pdf = dir_.filePath("closed.pdf");
    w->Printer().setOutputFormat(QPrinter::PdfFormat);
    w->Printer().setOutputFileName(pdf);
    w->Printer().setResolution(300);
    QTimer::singleShot(0, w.get(), [&] { w->close(); }); // runs at the printout's first pump
    w->PrintOut1();
    EXPECT_EQ(w->LastPrint().outcome, PrintResult::Outcome::Cancelled);
    EXPECT_LT(w->LastPrint().filesDrawn, 60);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(QApplication::overrideCursor() == nullptr);
}

} // namespace
} // namespace plavik

namespace plavik {
namespace {

// The "JW_CAD標準色" preset confirmed in the settings dialog reaches the thumbnails once the folder is
// listed again; cancelled, it changes nothing.
TEST_F(Listing, ColourPresetConfirmedInTheSettingsDialogRedrawsTheThumbnails) {
    Write("t.jwk", test::JwkWriter().Text(5, 40, 95, 40, "WWWWWWWW").Bytes());
    auto w = Open();
    w->FileListing(Folder());
    ASSERT_EQ(w->Model().Count(), 1);
    const auto countOf = [&](int colorIndex) {
        const Packed16Image& t = w->ImageList1().Packed(w->Model().At(0).imageIndex);
        int n = 0;
        for (int y = 1; y < t.height() - 1; ++y)
            for (int x = 1; x < t.width() - 1; ++x)
                n += t.pixelIndex(x, y) == colorIndex;
        return n;
    };
    constexpr int kBlack = 0, kWhite = 15;
    const auto pickPreset = [](QWidget* dialog) {
        dialog->findChild<QPushButton*>(QStringLiteral("Button13"))->click();
    };

    {
        ModalAnswers cancelled;
        cancelled.Then([&](QWidget* d) {
            pickPreset(d);
            static_cast<QDialog*>(d)->reject();
        });
        w->ShowSetup(5);
        EXPECT_EQ(w->JwkColors()[kBack], 0x00FFFFFFu);
    }

    ModalAnswers confirmed;
    confirmed
        .Then([&](QWidget* d) {
            pickPreset(d);
            d->findChild<QPushButton*>(QStringLiteral("Button1"))->click(); // OK copies the swatches
        })
        .ThenClick(QStringLiteral("はい(&Y)"));
    w->ShowSetup(5);
    EXPECT_EQ(confirmed.Unexpected(), 0);
    EXPECT_EQ(w->JwkColors()[kBack], 0u);
    ASSERT_EQ(w->Model().Count(), 1);
    // Black background, white text: the inside is mostly black with some white ink.
    EXPECT_GT(countOf(kBlack), 46 * 46 / 2);
    EXPECT_GT(countOf(kWhite), 0);
    EXPECT_EQ(w->Settings().Colors[kBorder], 0u); // the frame colour is never edited
}

} // namespace
} // namespace plavik
