#include "app/listkind.h"

namespace plavik {

QString FileCountText(int count) {
    return QStringLiteral("ﾌｧｲﾙ数:") + QString::number(count);
}

} // namespace plavik
