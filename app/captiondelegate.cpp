#include "app/captiondelegate.h"

#include "platform/textwrap.h"

#include <QApplication>
#include <QStyle>

namespace plavik {

namespace {

constexpr int kCaptionLines = 2; // the cells are made as high as two lines of text
}

void CaptionDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!(option->features & QStyleOptionViewItem::HasDisplay) || option->rect.isEmpty())
        return;
    const QStyle* style = option->widget ? option->widget->style() : QApplication::style();
    // The style keeps a focus margin on each side of the text, and a pixel more.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option->widget) + 2;
    const QStringList lines =
        WrapText(option->text, option->font, option->rect.width() - 2 * margin, kCaptionLines);
    option->text = lines.join(QChar(QChar::LineSeparator));
}

} // namespace plavik
