#include "render/errors.h"

namespace plavik {

void RefuseTooLarge(std::uint64_t fileBytes) {
    if (fileBytes > kMaxFileBytes)
        throw FileTooLargeError();
}

std::string PrintableField(std::string_view field) {
    std::string out;
    for (char c : field) {
        if (c == '\0')
            break;
        out += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return out;
}

namespace {
// "'field' " followed by the rest of the message. Built by appending: GCC 12 warns falsely about
// operator+ on string literals here at -O3.
std::string Quoted(std::string_view field, std::string_view rest) {
    std::string message = "'";
    message.append(PrintableField(field));
    message.append("' ");
    message.append(rest);
    return message;
}
} // namespace

ConvertError NotAnInteger(std::string_view field) {
    return ConvertError(Quoted(field, "は数値ではありません"));
}

ConvertError NotAReal(std::string_view field) {
    return ConvertError(Quoted(field, "は浮動小数点数ではありません"));
}

} // namespace plavik
