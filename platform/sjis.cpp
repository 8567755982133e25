#include "platform/sjis.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <vector>

namespace plavik {

#ifdef _WIN32

QString DecodeSjis(std::string_view bytes) {
    if (bytes.empty())
        return {};
    int n = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    return QString::fromStdWString(w);
}

std::string EncodeSjis(const QString& text) {
    std::wstring w = text.toStdWString();
    if (w.empty())
        return {};
    int n = WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), out.data(), n, "?", nullptr);
    return out;
}

#else

namespace {

// Converts with iconv, replacing each byte sequence it cannot convert by `replacement` and going on.
std::string Convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    std::size_t unitSize) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out;
    std::vector<char> buf(4 * in.size() + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buf.data();
        std::size_t dstLeft = buf.size();
        std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf.data(), static_cast<std::size_t>(dst - buf.data()));
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // An invalid or incomplete sequence: replace one unit of input and go on.
            out.append(replacement);
            std::size_t step = srcLeft < unitSize ? srcLeft : unitSize;
            src += step;
            srcLeft -= step;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

QString DecodeSjis(std::string_view bytes) {
    return QString::fromUtf8(Convert("UTF-8", "CP932", bytes, "\xEF\xBF\xBD", 1));
}

std::string EncodeSjis(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    std::string_view in(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    // Step over one whole UTF-8 character when it has no code page 932 form.
    std::string out;
    std::size_t i = 0;
    while (i < in.size()) {
        std::size_t len = 1;
        unsigned char c = static_cast<unsigned char>(in[i]);
        if (c >= 0xF0)
            len = 4;
        else if (c >= 0xE0)
            len = 3;
        else if (c >= 0xC0)
            len = 2;
        std::string part = Convert("CP932", "UTF-8", in.substr(i, len), "?", len);
        out += part.empty() ? std::string("?") : part;
        i += len;
    }
    return out;
}

#endif

} // namespace plavik
