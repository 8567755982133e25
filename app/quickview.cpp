#include "app/quickview.h"

#include "listing/folderlisting.h"
#include "platform/sjis.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace plavik {

namespace {

constexpr double kSqrt2 = 1.414213562;

// A number as people write it in a scale: no trailing zeros, at most three decimals.
QString Number(double value) {
    return QString::number(std::round(value * 1000) / 1000, 'g', 12);
}

} // namespace

QSize QuickViewPictureSize(ListKind kind, QSize room) {
    int width = room.width();
    const int tallest = room.height();
    if (kind == ListKind::Drawings)
        width = std::min(width, static_cast<int>(std::floor(tallest * kSqrt2)));
    else
        width = std::min(width, tallest);
    return ThumbnailSize(kind, std::max(width, kLeastQuickViewWidth));
}

QString ScalesText(std::span<const double> denominators) {
    QStringList texts;
    for (const double d : denominators) {
        if (!(d > 0) || !std::isfinite(d))
            continue;
        const QString text = d >= 1 ? QStringLiteral("1/") + Number(d) : Number(1 / d) + QStringLiteral("/1");
        if (!texts.contains(text))
            texts << text;
    }
    return texts.join(QStringLiteral(", "));
}

QuickViewFacts FactsOf(FileFormat format, const DrawnFile& drawn) {
    QuickViewFacts facts;
    const std::string_view noteTitle = RowOf(format).noteTitle;
    if (noteTitle.empty())
        return facts;
    QString note = DecodeSjis(drawn.comment);
    note.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    facts.note = note.trimmed();
    if (!facts.note.isEmpty())
        facts.noteTitle = QString::fromUtf8(noteTitle.data(), static_cast<qsizetype>(noteTitle.size()));
    facts.paper = QString::fromStdString(drawn.paper);
    facts.scales = ScalesText(drawn.scales);
    return facts;
}

} // namespace plavik
