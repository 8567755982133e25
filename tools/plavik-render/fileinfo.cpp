#include "fileinfo.h"

#include "json.h"
#include "platform/sjis.h"
#include "render/formatinfo.h"
#include "render/formats.h"

#include <type_traits>

namespace plavik::tool {

namespace {

QStringList Decoded(const std::vector<std::string>& strings) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(strings.size()));
    for (const std::string& s : strings)
        out << DecodeSjis(s);
    return out;
}

std::string Json(const FileDescription& description) {
    JsonObject json;
    for (const InfoField& field : description.fields) {
        std::visit(
            [&](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, bool>)
                    json.AddBool(field.key, value);
                else if constexpr (std::is_same_v<T, std::string>)
                    json.Add(field.key, DecodeSjis(value));
                else if constexpr (std::is_same_v<T, std::vector<std::string>>)
                    json.Add(field.key, Decoded(value));
                else
                    json.Add(field.key, value);
            },
            field.value);
    }
    return json.Text();
}

} // namespace

FileInfo DescribeFile(const std::filesystem::path& file) {
    if (const std::optional<FileFormat> format = FormatOfContent(file))
        return {true, Json(RowOf(*format).describe(file))};
    return {false, JsonObject().Add("kind", QStringLiteral("unknown")).Text()};
}

} // namespace plavik::tool
