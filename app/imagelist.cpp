#include "app/imagelist.h"

namespace plavik {

void ImageList::Reset(QSize size) {
    size_ = size;
    images_.clear();
    pixmaps_.clear();
}

int ImageList::Add(const QImage& image) {
    images_.push_back(image.copy());
    pixmaps_.emplace_back();
    return Count() - 1;
}

QImage ImageList::Image(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return images_[static_cast<std::size_t>(index)];
}

QPixmap ImageList::Pixmap(int index) const {
    if (index < 0 || index >= Count())
        return {};
    QPixmap& pixmap = pixmaps_[static_cast<std::size_t>(index)];
    if (pixmap.isNull())
        pixmap = QPixmap::fromImage(images_[static_cast<std::size_t>(index)]);
    return pixmap;
}

} // namespace plavik
