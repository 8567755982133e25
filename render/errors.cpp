#include "render/errors.h"

namespace plavik {

std::string PrintableField(std::string_view field) {
    std::string out;
    for (char c : field) {
        if (c == '\0')
            break;
        out += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return out;
}

ConvertError NotAnInteger(std::string_view field) {
    return ConvertError("'" + PrintableField(field) + "' は数値ではありません");
}

ConvertError NotAReal(std::string_view field) {
    return ConvertError("'" + PrintableField(field) + "' は浮動小数点数ではありません");
}

} // namespace plavik
