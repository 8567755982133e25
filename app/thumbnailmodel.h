// The items of the file list: a caption and the index of its thumbnail, kept sorted by caption in the
// user's locale.
#pragma once

#include "app/imagelist.h"

#include <QAbstractListModel>
#include <QList>
#include <QSize>
#include <QString>

#include <vector>

namespace plavik {

struct ListItem {
    QString caption; // the file's name with its extension
    int imageIndex;  // its thumbnail in the image list
};

class ThumbnailModel : public QAbstractListModel {
    Q_OBJECT
public:
    // Thumbnails come from images, which must outlive the model.
    explicit ThumbnailModel(const ImageList& images, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int Count() const { return static_cast<int>(items_.size()); }
    const ListItem& At(int row) const { return items_[static_cast<std::size_t>(row)]; }

    // Inserts the item where its caption sorts (after any equal captions) and returns its row.
    int AddItem(const QString& caption, int imageIndex);
    // The size of every item's cell: the view lays all items out alike, without measuring each one.
    void SetCellSize(QSize size) { cellSize_ = size; }

    // Removes every item.
    void Clear();
    // Removes the given rows (any order, duplicates allowed), from the last to the first.
    void RemoveRows(QList<int> rows);

private:
    const ImageList& images_;
    std::vector<ListItem> items_;
    QSize cellSize_;
};

} // namespace plavik
