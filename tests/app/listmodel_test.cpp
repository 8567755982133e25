// The list's model, image list and the small rules of the list, without a window.
#include "app/imagelist.h"
#include "app/listkind.h"
#include "app/thumbnailmodel.h"
#include "listing/folderlisting.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace plavik {
namespace {

QStringList Captions(const ThumbnailModel& model) {
    QStringList out;
    for (int i = 0; i < model.Count(); ++i)
        out << model.At(i).caption;
    return out;
}

TEST(ThumbnailModel, InsertsEachItemAtItsSortedPlace) {
    struct Case {
        QStringList inserted;
        QStringList expected;
    };
    const Case cases[] = {
        {{"c.jwk", "a.jwk", "b.jwk"}, {"a.jwk", "b.jwk", "c.jwk"}},
        {{"a.jwk", "b.jwk", "c.jwk"}, {"a.jwk", "b.jwk", "c.jwk"}},
        {{"c.jwk", "b.jwk", "a.jwk"}, {"a.jwk", "b.jwk", "c.jwk"}},
        {{"b2", "b10", "b1"}, {"b1", "b10", "b2"}}, // by characters, not by number
        {{"x.jwk"}, {"x.jwk"}},
    };
    for (const Case& c : cases) {
        ImageList images;
        ThumbnailModel model(images);
        for (int i = 0; i < c.inserted.size(); ++i)
            model.AddItem(c.inserted[i], i);
        EXPECT_EQ(Captions(model), c.expected) << c.inserted.join(',').toStdString();
        // Each item keeps the thumbnail it was added with.
        for (int row = 0; row < model.Count(); ++row)
            EXPECT_EQ(c.inserted.indexOf(model.At(row).caption), model.At(row).imageIndex);
    }
}

TEST(ThumbnailModel, EqualCaptionsKeepTheirArrivalOrderAndInsertOneRowEach) {
    ImageList images;
    ThumbnailModel model(images);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    EXPECT_EQ(model.AddItem("b.jwk", 0), 0);
    EXPECT_EQ(model.AddItem("a.jwk", 1), 0);
    EXPECT_EQ(model.AddItem("b.jwk", 2), 2);
    EXPECT_EQ(model.At(1).imageIndex, 0);
    EXPECT_EQ(model.At(2).imageIndex, 2);
    EXPECT_EQ(inserted.count(), 3); // one row per item, never a re-sort of the whole list
    EXPECT_EQ(reset.count(), 0);
}

TEST(ThumbnailModel, RemovesRowsGivenInAnyOrderOnce) {
    struct Case {
        QList<int> rows;
        QStringList left;
    };
    const Case cases[] = {
        {{}, {"a", "b", "c", "d", "e"}},
        {{1, 3}, {"a", "c", "e"}},
        {{3, 1, 3, 1}, {"a", "c", "e"}},
        {{0, 1, 2, 3, 4}, {}},
        {{4, 2, 3}, {"a", "b"}},
        {{-1, 7, 0}, {"b", "c", "d", "e"}}, // rows that do not exist are skipped
    };
    for (const Case& c : cases) {
        ImageList images;
        ThumbnailModel model(images);
        for (const char* caption : {"a", "b", "c", "d", "e"})
            model.AddItem(caption, 0);
        model.RemoveRows(c.rows);
        EXPECT_EQ(Captions(model), c.left);
    }
}

TEST(ThumbnailModel, CaptionsAreReadOnlyAndThumbnailsComeFromTheImageList) {
    ImageList images;
    images.Reset(QSize(4, 4));
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    images.Add(red);
    ThumbnailModel model(images);
    model.AddItem("a.jwk", 0);
    model.AddItem("b.jwk", 5); // an index with no thumbnail
    const QModelIndex a = model.index(0), b = model.index(1);
    EXPECT_FALSE(model.flags(a) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(a) & Qt::ItemIsSelectable);
    EXPECT_EQ(model.data(a, Qt::DecorationRole).value<QPixmap>().toImage().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_FALSE(model.data(b, Qt::DecorationRole).isValid());
    EXPECT_EQ(model.data(b, Qt::DisplayRole).toString(), "b.jwk");
}

TEST(ThumbnailModel, ItemsKeepTheirPathsThroughRemovalsAndLaterInserts) {
    ImageList images;
    ThumbnailModel model(images);
    model.AddItems({{"c", 0, "/f/c"}, {"a", 1, "/f/a"}, {"e", 2, "/f/e"}});
    model.RemoveRows({1});
    model.AddItem("d", 3, "/f/d");
    model.AddItem("b", 4);
    EXPECT_EQ(Captions(model), QStringList({"a", "b", "d", "e"}));
    const std::pair<int, NativeName> expected[] = {{1, "/f/a"}, {4, {}}, {3, "/f/d"}, {2, "/f/e"}};
    for (int row = 0; row < model.Count(); ++row) {
        EXPECT_EQ(model.At(row).imageIndex, expected[row].first) << row;
        EXPECT_EQ(model.At(row).fileName, expected[row].second) << row;
    }
    model.Clear();
    EXPECT_EQ(model.Count(), 0);
    model.AddItem("z", 0);
    EXPECT_EQ(model.At(0).caption, "z");
}

TEST(ImageList, HoldsFourBitsAPixelAndPaintsTheSystemColours) {
    ImageList images;
    images.Reset(QSize(5, 3));
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(QColor(250, 5, 5));         // nearest system colour: red
    image.setPixel(4, 2, qRgb(0, 0, 120)); // navy
    images.Add(image);
    EXPECT_EQ(images.ByteCount(), 9u); // three bytes a row of five pixels
    EXPECT_EQ(images.Packed(0).pixelIndex(0, 0), 9);
    EXPECT_EQ(images.Packed(0).pixelIndex(4, 2), 4);
    const QImage painted = images.Pixmap(0).toImage();
    EXPECT_EQ(painted.pixel(0, 0) | 0xFF000000u, qRgb(255, 0, 0));
    EXPECT_EQ(painted.pixel(4, 2) | 0xFF000000u, qRgb(0, 0, 128));
    EXPECT_TRUE(images.Packed(1).isNull());
}

TEST(ImageList, KeepsCopiesAndEmptiesOnReset) {
    ImageList images;
    images.Reset(QSize(48, 48));
    QImage image(48, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    EXPECT_EQ(images.Add(image), 0);
    image.fill(Qt::black); // the listing reuses its bitmap for the next file
    EXPECT_EQ(images.Add(image), 1);
    EXPECT_EQ(images.Image(0).pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(images.Image(1).pixelColor(0, 0), QColor(Qt::black));
    EXPECT_TRUE(images.Image(2).isNull());
    EXPECT_TRUE(images.Pixmap(-1).isNull());
    images.Reset(QSize(100, 71));
    EXPECT_EQ(images.Count(), 0);
    EXPECT_EQ(images.Size(), QSize(100, 71));
}

TEST(ListKind, ThumbnailSizesAndCountText) {
    EXPECT_EQ(ThumbnailSize(ListKind::Figures, 48), QSize(48, 48));
    EXPECT_EQ(ThumbnailSize(ListKind::Drawings, 100), QSize(100, 71));
    EXPECT_EQ(ThumbnailSize(ListKind::Drawings, 48), QSize(48, 34));
    EXPECT_EQ(ThumbnailSize(ListKind::Drawings, 0), QSize(0, 0));
    EXPECT_EQ(FileCountText(0), QStringLiteral("ﾌｧｲﾙ数:0"));
    EXPECT_EQ(FileCountText(1234), QStringLiteral("ﾌｧｲﾙ数:1234"));
}

} // namespace
} // namespace plavik
