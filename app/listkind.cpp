#include "app/listkind.h"

#include "render/numbers.h"

namespace plavik {

ListKind KindOfCaption(const QString& caption) {
    const qsizetype dot = caption.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return ListKind::None;
    const QString extension = caption.mid(dot).toUpper();
    if (extension == QLatin1String(".JWK"))
        return ListKind::Figure;
    if (extension == QLatin1String(".JWC"))
        return ListKind::Drawing;
    return ListKind::None;
}

QSize FigureThumbnailSize(int iconSize) {
    return {iconSize, iconSize};
}

QSize DrawingThumbnailSize(int iconSize2) {
    return {iconSize2, Round(iconSize2 / 1.414213562)};
}

QString FileCountText(int count) {
    return QStringLiteral("ﾌｧｲﾙ数:") + QString::number(count);
}

} // namespace plavik
