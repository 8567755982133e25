#include "platform/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace plavik {

namespace {

struct Substitution {
    const char* windowsName;
    const char* installedName;
};

// Both the Japanese and the English names of the Windows fonts, since files and settings may hold either.
constexpr Substitution kSubstitutions[] = {
    {"ＭＳ ゴシック", "IPAGothic"}, {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS Gothic", "IPAGothic"},
    {"MS PGothic", "IPAPGothic"},   {"ＭＳ 明朝", "IPAMincho"},        {"ＭＳ Ｐ明朝", "IPAPMincho"},
    {"MS Mincho", "IPAMincho"},     {"MS PMincho", "IPAPMincho"},
};

std::once_flag substitutionsOnce;

// Cell height (ascent + descent) of `font` at `pixels`, as the integer text extent reports it.
int CellHeight(QFont font, int pixels, const QPaintDevice* device) {
    font.setPixelSize(pixels);
    return device ? QFontMetrics(font, device).height() : QFontMetrics(font).height();
}

// The pixel size whose cell height is the largest one not above `cell`.
int PixelsForCell(const QFont& font, int cell, const QPaintDevice* device) {
    // Cell heights grow in proportion to the size: start from the ratio at a large size, then
    // correct by single steps for the rounding of the metrics.
    QFont probe = font;
    probe.setPixelSize(256);
    const QFontMetricsF m = device ? QFontMetricsF(probe, device) : QFontMetricsF(probe);
    const double ratio = m.height() > 0 ? m.height() / 256.0 : 1.0;
    int pixels = std::clamp(static_cast<int>(std::lround(cell / ratio)), 1, kMaxFontPixels);
    // A bounded number of steps, so that a font with odd metrics cannot make this loop for long.
    for (int step = 0; step < 16 && pixels > 1 && CellHeight(font, pixels, device) > cell; ++step)
        --pixels;
    for (int step = 0; step < 16 && pixels < kMaxFontPixels && CellHeight(font, pixels + 1, device) <= cell;
         ++step)
        ++pixels;
    return pixels;
}

} // namespace

void InstallFontSubstitutions() {
    std::call_once(substitutionsOnce, [] {
        const QStringList families = QFontDatabase::families();
        for (const Substitution& s : kSubstitutions) {
            const QString name = QString::fromUtf8(s.windowsName);
            if (!families.contains(name, Qt::CaseInsensitive))
                QFont::insertSubstitution(name, QString::fromUtf8(s.installedName));
        }
    });
}

QFont InterfaceFont() {
    InstallFontSubstitutions();
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

QFont FontFor(const Font& font, int dpi, const QPaintDevice* device) {
    InstallFontSubstitutions();
    QFont qf(QString::fromUtf8(font.name.data(), static_cast<qsizetype>(font.name.size())));
    // Drawn as a Windows bitmap canvas draws: no smoothing, so that small thumbnails stay crisp and
    // two renderings of one file give the same pixels.
    qf.setStyleStrategy(QFont::NoAntialias);
    qf.setWeight(QFont::Normal);
    if (font.height < 0) {
        // Written so that the most negative int cannot overflow.
        qf.setPixelSize(font.height < -kMaxFontPixels ? kMaxFontPixels : -font.height);
    } else if (font.height > 0) {
        qf.setPixelSize(PixelsForCell(qf, std::min(font.height, kMaxFontPixels), device));
    } else {
        const int pixels = static_cast<int>(std::lround(9.0 * (dpi > 0 ? dpi : 96) / 72.0));
        qf.setPixelSize(std::clamp(pixels, 1, kMaxFontPixels));
    }
    return qf;
}

} // namespace plavik
