// The errors a reader raises for a file it recognised but cannot read.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace plavik {

// The file ends before the bytes its layout announces.
class ReadError : public std::runtime_error {
public:
    ReadError() : std::runtime_error(kMessage) {}
    static constexpr const char* kMessage = "ファイルの終わりを越えて読み込もうとしました";

protected:
    explicit ReadError(const char* message) : std::runtime_error(message) {}
};

// The file is larger than a reader takes in whole. A read error, so that every caller that handles
// one handles this too.
class FileTooLargeError : public ReadError {
public:
    FileTooLargeError() : ReadError(kMessage) {}
    static constexpr const char* kMessage = "ファイルが大きすぎます";
};

// No reader takes a file larger than this: counts are checked against the bytes there, but a file
// of valid records this large already takes a good part of a second to read.
inline constexpr std::uint64_t kMaxFileBytes = std::uint64_t{64} << 20;

// Throws FileTooLargeError for a file of more than kMaxFileBytes bytes.
void RefuseTooLarge(std::uint64_t fileBytes);

// A text field that does not convert: "'%s' は数値ではありません" or "'%s' は浮動小数点数ではありません".
class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Messages name the offending text; bytes that are not printable ASCII are shown as '?', and the
// text ends at its first NUL, so that a message is always valid UTF-8.
std::string PrintableField(std::string_view field);
ConvertError NotAnInteger(std::string_view field);
ConvertError NotAReal(std::string_view field);

} // namespace plavik
