#include "platform/textwrap.h"

#include <QFontMetrics>
#include <QTextLayout>

#include <algorithm>

namespace plavik {

QStringList WrapText(const QString& text, const QFont& font, int width, int maxLines) {
    QStringList lines;
    if (text.isEmpty() || maxLines <= 0)
        return lines;
    width = std::max(width, 1);
    const QFontMetrics metrics(font);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qsizetype start = 0;
    while (start < text.size()) {
        if (lines.size() == maxLines - 1) {
            lines << metrics.elidedText(text.mid(start), Qt::ElideRight, width);
            break;
        }
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const qsizetype length = std::max<qsizetype>(line.textLength(), 1);
        lines << text.mid(start, length).trimmed();
        start += length;
    }
    layout.endLayout();
    return lines;
}

} // namespace plavik
