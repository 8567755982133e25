// The list's thumbnails: one image per index, all of the list's current size.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>

#include <vector>

namespace plavik {

class ImageList {
public:
    // Empties the list and sets the size of the images that come next.
    void Reset(QSize size);
    // Appends a copy of image and returns its index.
    int Add(const QImage& image);

    int Count() const { return static_cast<int>(images_.size()); }
    QSize Size() const { return size_; }
    // The image at index, or a null image when index is out of range.
    QImage Image(int index) const;
    // The image as a pixmap for painting, converted once and kept; null when index is out of range.
    QPixmap Pixmap(int index) const;

private:
    QSize size_;
    std::vector<QImage> images_;
    mutable std::vector<QPixmap> pixmaps_; // converted on first use
};

} // namespace plavik
