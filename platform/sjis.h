// Text of the files and of the old settings: code page 932 (Shift-JIS with the NEC and IBM extensions).
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace plavik {

// Decodes code page 932 bytes. Bytes that do not decode become U+FFFD; never fails.
QString DecodeSjis(std::string_view bytes);
// Encodes text as code page 932; characters it cannot hold become '?'.
std::string EncodeSjis(const QString& text);

} // namespace plavik
