// How the list draws an item: its caption on up to two lines under the thumbnail.
#pragma once

#include <QStyledItemDelegate>

namespace plavik {

class CaptionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    // Breaks the caption into the cell's two lines, inside words where need be; a caption longer than
    // that ends in an ellipsis (the tooltip shows it whole).
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace plavik
