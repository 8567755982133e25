#include "app/thumbnailmodel.h"

#include "platform/folderscan.h"

#include <QMimeData>

#include <algorithm>
#include <numeric>

namespace plavik {

ThumbnailModel::ThumbnailModel(const ImageList& images, QObject* parent)
    : QAbstractListModel(parent), images_(images) {}

int ThumbnailModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    const ListItem& item = At(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return item.caption;
    case Qt::ToolTipRole: // the whole name, which the cell may have to cut
        return item.note.isEmpty() ? item.caption : item.caption + QLatin1Char('\n') + item.note;
    case Qt::DecorationRole: {
        QPixmap pixmap = images_.Pixmap(item.imageIndex);
        return pixmap.isNull() ? QVariant() : QVariant(pixmap);
    }
    case Qt::SizeHintRole:
        return cellSize_.isValid() ? QVariant(cellSize_) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags ThumbnailModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled; // captions are read-only
}

QList<QUrl> ThumbnailModel::FileUrls(const QModelIndexList& indexes) const {
    QList<QUrl> urls;
    for (const QModelIndex& index : indexes) {
        if (!index.isValid() || index.row() >= Count())
            continue;
        const ListItem& item = At(index.row());
        if (!item.fileName.empty() && !folder_.empty())
            urls << QUrl::fromLocalFile(PathText(folder_ / item.fileName));
    }
    return urls;
}

std::vector<std::filesystem::path> ThumbnailModel::FilePaths(const QModelIndexList& indexes) const {
    std::vector<std::filesystem::path> paths;
    for (const QModelIndex& index : indexes)
        if (index.isValid() && index.row() < Count() && !At(index.row()).fileName.empty() && !folder_.empty())
            paths.push_back(folder_ / At(index.row()).fileName);
    return paths;
}

QStringList ThumbnailModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* ThumbnailModel::mimeData(const QModelIndexList& indexes) const {
    const QList<QUrl> urls = FileUrls(indexes);
    if (urls.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

int ThumbnailModel::AddItem(const QString& caption, int imageIndex, const NativeName& fileName) {
    // A binary search for the place keeps a listing of n files at n log n comparisons.
    auto place =
        std::upper_bound(rows_.begin(), rows_.end(), caption, [this](const QString& text, std::size_t i) {
            return CaptionLess(text, items_[i].caption);
        });
    const int row = static_cast<int>(place - rows_.begin());
    beginInsertRows(QModelIndex(), row, row);
    items_.push_back(ListItem{caption, imageIndex, fileName});
    rows_.insert(place, items_.size() - 1);
    endInsertRows();
    return row;
}

void ThumbnailModel::AddItems(std::vector<ListItem> items) {
    for (ListItem& item : items)
        AddItem(item.caption, item.imageIndex, item.fileName);
}

void ThumbnailModel::SetItems(std::vector<ListItem> items) {
    beginResetModel();
    items_ = std::move(items);
    rows_.resize(items_.size());
    std::iota(rows_.begin(), rows_.end(), std::size_t{0});
    endResetModel();
}

void ThumbnailModel::ThumbnailsChanged() {
    if (!rows_.empty())
        emit dataChanged(index(0), index(Count() - 1), {Qt::DecorationRole});
}

void ThumbnailModel::Clear() {
    if (rows_.empty() && items_.empty())
        return;
    beginResetModel();
    items_.clear();
    rows_.clear();
    endResetModel();
}

void ThumbnailModel::RemoveRows(QList<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // Each run of neighbouring rows goes in one step, so deleting a large selection stays linear.
    qsizetype i = 0;
    while (i < rows.size()) {
        int last = rows[i];
        int first = last;
        while (i + 1 < rows.size() && rows[i + 1] == first - 1) {
            ++i;
            --first;
        }
        ++i;
        first = std::max(first, 0);
        last = std::min(last, Count() - 1);
        if (first > last)
            continue;
        beginRemoveRows(QModelIndex(), first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1); // the items stay until Clear
        endRemoveRows();
    }
}

} // namespace plavik
