#include "export/exportstyle.h"

#include "platform/sjis.h"
#include "render/contentextent.h"
#include "render/jtool.h"

#include <array>

namespace plavik {

QString LayerLabel(const JwwDocument& doc, int group, int layer) {
    QString label = QStringLiteral("%1-%2").arg(group, 0, 16).arg(layer, 0, 16).toUpper();
    const QString name =
        DecodeSjis(doc.layers.layerNames[static_cast<std::size_t>(group)][static_cast<std::size_t>(layer)])
            .simplified();
    if (!name.isEmpty())
        label += QLatin1Char(' ') + name;
    return label;
}

int AciOfPen(int pen) {
    // jw_cad's pens 1 .. 9: light blue, black, green, yellow, magenta, blue, black, red, grey.
    static constexpr std::array<int, 10> kAci = {7, 4, 7, 3, 2, 6, 5, 7, 1, 8};
    return pen >= 0 && pen < static_cast<int>(kAci.size()) ? kAci[static_cast<std::size_t>(pen)] : 7;
}

int AciOfRgb(std::uint32_t bgr) {
    static constexpr std::array<std::uint32_t, 9> kRgb = {0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF,
                                                          0xFF00FF, 0x000000, 0x808080, 0xC0C0C0};
    const int r = static_cast<int>(bgr & 0xFF), g = static_cast<int>(bgr >> 8 & 0xFF),
              b = static_cast<int>(bgr >> 16 & 0xFF);
    int best = 7;
    long bestDistance = -1;
    for (std::size_t i = 0; i < kRgb.size(); ++i) {
        const int dr = r - static_cast<int>(kRgb[i] >> 16), dg = g - static_cast<int>(kRgb[i] >> 8 & 0xFF),
                  db = b - static_cast<int>(kRgb[i] & 0xFF);
        const long distance = long{dr} * dr + long{dg} * dg + long{db} * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i) + 1;
        }
    }
    return best;
}

std::string_view LineTypeName(int style) {
    static constexpr std::string_view kNames[] = {"JW_DOT1",   "JW_DOT2",   "JW_DOT3",    "JW_CHAIN1",
                                                  "JW_CHAIN2", "JW_DCHAIN1", "JW_DCHAIN2", "JW_AUX"};
    return style >= 2 && style <= 9 ? kNames[style - 2] : std::string_view();
}

std::vector<double> LineTypePattern(int style) {
    std::vector<double> pattern;
    for (const int points : LineTypeDashes(style))
        pattern.push_back(points * 25.4 / 72.0);
    return pattern;
}

} // namespace plavik
