#include "app/imagelist.h"

#include <algorithm>

namespace plavik {

void ImageList::Reset(QSize size, int count) {
    size_ = size;
    images_.clear();
    images_.resize(static_cast<std::size_t>(std::max(count, 0)));
    pixmaps_.clear();
}

void ImageList::Set(int index, Packed16Image image) {
    if (index < 0 || index >= Count())
        return;
    images_[static_cast<std::size_t>(index)] = std::move(image);
    pixmaps_.remove(index);
}

void ImageList::SetDevicePixelRatio(qreal ratio) {
    ratio_ = ratio > 0 ? ratio : 1;
    pixmaps_.clear();
}

int ImageList::Add(const QImage& image) {
    images_.push_back(Packed16Image::FromImage(image));
    return Count() - 1;
}

const Packed16Image& ImageList::Packed(int index) const {
    static const Packed16Image none;
    if (index < 0 || index >= Count())
        return none;
    return images_[static_cast<std::size_t>(index)];
}

QImage ImageList::Image(int index) const {
    return Packed(index).ToImage();
}

QPixmap ImageList::Pixmap(int index) const {
    if (index < 0 || index >= Count())
        return {};
    if (const QPixmap* kept = pixmaps_.object(index))
        return *kept;
    QPixmap pixmap = QPixmap::fromImage(Image(index));
    pixmap.setDevicePixelRatio(ratio_);
    if (!pixmap.isNull())
        pixmaps_.insert(index, new QPixmap(pixmap));
    return pixmap;
}

std::size_t ImageList::ByteCount() const {
    std::size_t bytes = 0;
    for (const Packed16Image& image : images_)
        bytes += image.byteCount();
    return bytes;
}

} // namespace plavik
