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

// One iconv conversion descriptor, closed on every path out.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Back to the initial state, whatever a conversion cut short left behind.
    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

    // Converts `in` and appends the result to `out`. Returns false, with the state reset and
    // `out` as it was, when any part of `in` does not convert.
    bool ConvertAll(std::string_view in, std::string& out) {
        const std::size_t start = out.size();
        std::string_view rest = in;
        while (!rest.empty()) {
            std::size_t used = 0;
            if (!Step(rest, out, used)) {
                out.resize(start);
                return false;
            }
            rest.remove_prefix(used);
        }
        return Flush(out);
    }

    // Converts a prefix of `in` as long as it is valid and appends it to `out`; `used` is the number
    // of bytes consumed. Returns false when it stopped at bytes that do not convert.
    bool Step(std::string_view in, std::string& out, std::size_t& used) {
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        bool clean = true;
        while (srcLeft > 0) {
            char* dst = buf_;
            std::size_t dstLeft = sizeof buf_;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf_, static_cast<std::size_t>(dst - buf_));
            if (r == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG)
                    continue;
                clean = false;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
                break;
            }
        }
        used = in.size() - srcLeft;
        return clean;
    }

    bool Flush(std::string& out) {
        char* dst = buf_;
        std::size_t dstLeft = sizeof buf_;
        std::size_t r = iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buf_, static_cast<std::size_t>(dst - buf_));
        return r != static_cast<std::size_t>(-1);
    }

private:
    iconv_t cd_;
    char buf_[1024];
};

constexpr const char* kReplacementUtf8 = "\xEF\xBF\xBD";

// Length of the UTF-8 sequence that starts with byte c (1 for stray continuation bytes).
std::size_t Utf8Length(unsigned char c) {
    if (c >= 0xF0)
        return 4;
    if (c >= 0xE0)
        return 3;
    if (c >= 0xC0)
        return 2;
    return 1;
}

} // namespace

QString DecodeSjis(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size() * 3);
    // Opening a descriptor costs more than decoding a short text: one per thread, kept open.
    thread_local Converter cv("UTF-8", "CP932");
    if (!cv.ok()) {
        // No code page 932 table on this system: keep the ASCII text readable at least.
        for (char c : bytes)
            utf8 += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string(kReplacementUtf8);
        return QString::fromUtf8(utf8);
    }
    cv.Reset();
    std::string_view rest = bytes;
    while (!rest.empty()) {
        std::size_t used = 0;
        if (cv.Step(rest, utf8, used)) {
            rest.remove_prefix(used);
            continue;
        }
        // An invalid or incomplete sequence: one replacement character for its first byte, then
        // go on with the next byte, which may start a valid character of its own.
        utf8 += kReplacementUtf8;
        rest.remove_prefix(used < rest.size() ? used + 1 : rest.size());
    }
    cv.Flush(utf8);
    return QString::fromUtf8(utf8);
}

std::string EncodeSjis(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const std::string_view in(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    std::string out;
    Converter cv("CP932", "UTF-8");
    if (!cv.ok()) {
        for (std::size_t i = 0; i < in.size(); i += Utf8Length(static_cast<unsigned char>(in[i])))
            out += static_cast<unsigned char>(in[i]) < 0x80 ? in[i] : '?';
        return out;
    }
    // Character by character, so that one without a code page 932 form becomes a single '?'.
    std::size_t i = 0;
    while (i < in.size()) {
        std::size_t len = Utf8Length(static_cast<unsigned char>(in[i]));
        if (len > in.size() - i)
            len = in.size() - i;
        if (!cv.ConvertAll(in.substr(i, len), out))
            out += '?';
        i += len;
    }
    return out;
}

#endif

} // namespace plavik
