// The items of the file list: a caption and the index of its thumbnail, kept sorted by caption in the
// user's locale.
#pragma once

#include "app/imagelist.h"
#include "platform/folderscan.h"

#include <QAbstractListModel>
#include <QList>
#include <QSize>
#include <QString>
#include <QUrl>

#include <filesystem>

#include <vector>

namespace plavik {

struct ListItem {
    QString caption;     // the file's name with its extension, as shown
    int imageIndex;      // its thumbnail in the image list
    NativeName fileName; // the file's name in the listed folder (or its path below it); empty when not
                         // listed from a folder
    QString note = {};   // shown with the caption in its tooltip: the title of a found file's folder
};

class ThumbnailModel : public QAbstractListModel {
    Q_OBJECT
public:
    // Thumbnails come from images, which must outlive the model.
    explicit ThumbnailModel(const ImageList& images, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int Count() const { return static_cast<int>(rows_.size()); }
    const ListItem& At(int row) const { return items_[rows_[static_cast<std::size_t>(row)]]; }

    // Inserts the item where its caption sorts (after any equal captions) and returns its row.
    int AddItem(const QString& caption, int imageIndex, const NativeName& fileName = {});
    // Inserts each item where its caption sorts, in the order given, one row at a time.
    void AddItems(std::vector<ListItem> items);
    // Replaces every item with items, which are already in the list's order, in one step.
    void SetItems(std::vector<ListItem> items);
    // The thumbnails of every row may have changed.
    void ThumbnailsChanged();
    // The folder the items' file names are in, for dragging them out as files.
    void SetFolder(const std::filesystem::path& folder) { folder_ = folder; }
    // The files of the given rows, in the order given; items not listed from a folder are left out.
    QList<QUrl> FileUrls(const QModelIndexList& indexes) const;
    // The same as paths, their names byte for byte.
    std::vector<std::filesystem::path> FilePaths(const QModelIndexList& indexes) const;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // The size of every item's cell: the view lays all items out alike, without measuring each one.
    void SetCellSize(QSize size) { cellSize_ = size; }

    // Removes every item.
    void Clear();
    // Removes the given rows (any order, duplicates allowed), from the last to the first.
    void RemoveRows(QList<int> rows);

private:
    const ImageList& images_;
    // Items stay where they were appended; rows_ orders them, so that a sorted insert moves one
    // index per row below it rather than whole items.
    std::vector<ListItem> items_;
    std::vector<std::size_t> rows_;
    QSize cellSize_;
    std::filesystem::path folder_;
};

} // namespace plavik
