// The list's thumbnails: one image per index, all of the list's current size, held at four bits a
// pixel over the 16 system colours.
#pragma once

#include "platform/systemcolors.h"

#include <QCache>
#include <QImage>
#include <QPixmap>
#include <QSize>

#include <cstddef>
#include <vector>

namespace plavik {

class ImageList {
public:
    // Empties the list and sets the size of the images that come next; count empty images stand
    // ready for Set.
    void Reset(QSize size, int count = 0);
    // Appends the image, mapped to the system colours, and returns its index.
    int Add(const QImage& image);
    // Replaces the image at index (an index out of range is ignored).
    void Set(int index, Packed16Image image);
    // Device pixels per point of the screen the pixmaps are painted on: the images are that many
    // times the size the list lays out.
    void SetDevicePixelRatio(qreal ratio);

    int Count() const { return static_cast<int>(images_.size()); }
    QSize Size() const { return size_; }
    // The stored image at index; a null image when index is out of range.
    const Packed16Image& Packed(int index) const;
    // The image at index as an indexed image, or a null image when index is out of range.
    QImage Image(int index) const;
    // The image as a pixmap for painting; null when index is out of range. Only the pixmaps of the
    // items painted last are kept, so that the list stays close to four bits a pixel.
    QPixmap Pixmap(int index) const;
    // Bytes held by the stored images (the pixmaps kept for painting not counted).
    std::size_t ByteCount() const;

    // How many painted pixmaps are kept at most.
    static constexpr int kKeptPixmaps = 400;

private:
    QSize size_;
    qreal ratio_ = 1;
    std::vector<Packed16Image> images_;
    mutable QCache<int, QPixmap> pixmaps_{kKeptPixmaps};
};

} // namespace plavik
