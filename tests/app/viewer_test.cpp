// The viewer: zooming about a point, opening it from the list and from a file given at start,
// stepping through the list, the layer panel, and files that change, go or are damaged.
#include "app/drawingview.h"
#include "app/tform1.h"
#include "app/viewerwindow.h"
#include "app/viewframe.h"
#include "platform/folderscan.h"
#include "support/jwwwriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <fstream>

namespace plavik {
namespace {

using test::JwwAttr;
using test::JwwWriter;

TEST(ViewFrame, ZoomingAboutAPointKeepsThatPointOfTheDrawingUnderIt) {
    struct Case {
        QRectF frame;
        QPointF at;
        double factor;
    };
    const Case cases[] = {
        {{10, 20, 400, 283}, {100, 100}, 1.25},
        {{10, 20, 400, 283}, {700, -50}, 0.5},           // outside the frame
        {{-5000, -3000, 20000, 14142}, {300, 200}, 1e9}, // held at the widest frame
        {{10, 20, 40, 28}, {30, 30}, 1e-9},              // held at the narrowest
    };
    for (const Case& c : cases) {
        const QRectF zoomed = ZoomFrame(c.frame, c.at, c.factor);
        // The point's place within the frame, as a fraction of its size, is the same.
        const auto u = [&](const QRectF& f) {
            return QPointF((c.at.x() - f.left()) / f.width(), (c.at.y() - f.top()) / f.height());
        };
        EXPECT_NEAR(u(zoomed).x(), u(c.frame).x(), 1e-9) << c.factor;
        EXPECT_NEAR(u(zoomed).y(), u(c.frame).y(), 1e-9) << c.factor;
        EXPECT_GE(zoomed.width(), kNarrowestFrame);
        EXPECT_LE(zoomed.width(), kWidestFrame);
        EXPECT_NEAR(zoomed.width() / zoomed.height(), c.frame.width() / c.frame.height(), 1e-9);
    }
    EXPECT_EQ(FitFrame(std::sqrt(2.0), QSizeF(1000, 1000), 10).width(), 980);
    // Panning far away keeps a corner of the frame in the view.
    const QRectF far = PanFrame({10, 20, 400, 283}, {-1e9, 1e9}, QSizeF(800, 600));
    EXPECT_EQ(far.topRight(), QPointF(kNarrowestFrame, 600 - kNarrowestFrame));
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        QCoreApplication::setApplicationName(QStringLiteral("Plavik"));
        ASSERT_TRUE(dir_.isValid());
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    void Write(const QString& name, const std::vector<std::uint8_t>& bytes) const {
        QDir().mkpath(QFileInfo(Path(name)).absolutePath());
        std::ofstream out(PathFromText(Path(name)), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // An A4 drawing with a line across it at y mm on layer 0-0, and one at -y on layer 0-1.
    static std::vector<std::uint8_t> TwoLayers(double y) {
        JwwAttr lower;
        lower.layer = 1;
        return JwwWriter::Drawing().Paper(4).Line(-140, y, 140, y).Line(-140, -y, 140, -y, lower).Bytes();
    }
    static void WaitDrawn(ViewerWindow& viewer) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer.Busy(); }, 10000));
    }
    // Shows plan.jww, TwoLayers(50), in the viewer at 800 x 600, drawn.
    void ShowPlan(ViewerWindow& viewer) const {
        Write("plan.jww", TwoLayers(50));
        viewer.resize(800, 600);
        viewer.show();
        viewer.Open({{PathFromText(Path("plan.jww")), ListKind::Drawings}}, 0);
        WaitDrawn(viewer);
    }
    // Whether the row of the picture where the sheet's y (mm, A4) lies holds a long dark run.
    static bool LineAt(ViewerWindow& viewer, double y) {
        const ViewPicture& picture = viewer.View().Picture();
        const QRectF frame = picture.frame;
        const double ratio = picture.image.devicePixelRatio();
        const int row = qRound((frame.top() + (105 - y) / 210 * frame.height()) * ratio);
        for (int r = row - 2; r <= row + 2; ++r) {
            if (r < 0 || r >= picture.image.height())
                continue;
            int dark = 0;
            for (int x = 0; x < picture.image.width(); ++x)
                dark += qGray(picture.image.pixel(x, r)) < 100;
            if (dark > frame.width() * ratio / 2)
                return true;
        }
        return false;
    }

    QTemporaryDir dir_;
};

TEST_F(Viewer, AFileGivenAtStartOpensInTheViewerAndPagesStepThroughTheList) {
    Write("f/a.jww", TwoLayers(50));
    Write("f/b.jww", TwoLayers(30));
    TForm1 w(OpenIniStore(Path("plavik.ini")));
    w.show();
    w.OpenPath(Path("f/b.jww"));
    ViewerWindow* viewer = w.Viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    WaitDrawn(*viewer);
    EXPECT_EQ(viewer->ShownPath().filename(), "b.jww");
    EXPECT_TRUE(LineAt(*viewer, 30));
    EXPECT_TRUE(viewer->Note().isEmpty());

    QTest::keyClick(&viewer->View(), Qt::Key_PageUp);
    WaitDrawn(*viewer);
    EXPECT_EQ(viewer->ShownPath().filename(), "a.jww");
    EXPECT_EQ(w.findChild<QLabel*>("Label2")->text(), QStringLiteral("a.jww")); // the list follows
    QTest::keyClick(&viewer->View(), Qt::Key_PageUp);                           // the first stays
    WaitDrawn(*viewer);
    EXPECT_EQ(viewer->ShownPath().filename(), "a.jww");
    EXPECT_TRUE(LineAt(*viewer, 50));
}

TEST_F(Viewer, LayerChecksRedrawOnlyTheShownLayersAtOnce) {
    ViewerWindow viewer;
    ShowPlan(viewer);
    ASSERT_TRUE(LineAt(viewer, 50) && LineAt(viewer, -50));

    QTreeWidget& tree = viewer.LayerTree();
    ASSERT_EQ(tree.topLevelItemCount(), 16);
    QTreeWidgetItem* group0 = tree.topLevelItem(0);
    EXPECT_EQ(group0->checkState(0), Qt::Checked);
    group0->child(0)->setCheckState(0, Qt::Unchecked);
    WaitDrawn(viewer);
    EXPECT_FALSE(LineAt(viewer, 50));
    EXPECT_TRUE(LineAt(viewer, -50));
    group0->setCheckState(0, Qt::Unchecked); // the group hides its layers
    WaitDrawn(viewer);
    EXPECT_FALSE(LineAt(viewer, -50));
}

TEST_F(Viewer, AFileThatGoesOrIsDamagedStaysAsLastReadWithANote) {
    ViewerWindow viewer;
    ShowPlan(viewer);
    ASSERT_TRUE(QFile::remove(Path("plan.jww")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer.Note().isEmpty(); }, 5000));
    EXPECT_TRUE(viewer.Note().contains(QStringLiteral("削除されました")));
    QTest::keyClick(&viewer.View(), Qt::Key_Plus); // drawn again from the bytes read
    WaitDrawn(viewer);
    EXPECT_TRUE(LineAt(viewer, 50));
    viewer.Reload(); // nothing to read: what was shown stays
    WaitDrawn(viewer);
    EXPECT_TRUE(viewer.Note().contains(QStringLiteral("読めません")));
    EXPECT_EQ(viewer.ShownPath().filename(), "plan.jww");

    std::vector<std::uint8_t> cut = TwoLayers(50);
    cut.resize(cut.size() - 20);
    Write("cut.jww", cut);
    viewer.Open({{PathFromText(Path("cut.jww")), ListKind::Drawings}}, 0);
    WaitDrawn(viewer);
    EXPECT_EQ(viewer.Note(), QString::fromUtf8(kBrokenOffMessage));
}

// The view as a picture of its pixels, and as a PDF whose strokes stay vectors: no image in it.
TEST_F(Viewer, SavesTheViewAsPngAndAsPdfOfStrokes) {
    ViewerWindow viewer;
    ShowPlan(viewer);
    EXPECT_EQ(viewer.SaveView(Path("view.png")), std::nullopt);
    const QImage png(Path("view.png"));
    EXPECT_EQ(png.size(), viewer.View().size() * viewer.devicePixelRatioF());
    EXPECT_EQ(viewer.SaveView(Path("view.pdf")), std::nullopt);
    QFile pdf(Path("view.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_FALSE(bytes.contains("/Subtype /Image"));
    EXPECT_NE(viewer.SaveView(Path("no/such/folder/view.png")), std::nullopt);
}

} // namespace
} // namespace plavik
