// A JSON object written field by field, in the order the fields are added.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plavik::tool {

// The text as a JSON string literal, quotes included: '"' and '\' escaped, control characters and the
// line and paragraph separators U+2028 / U+2029 as \uXXXX, everything else as UTF-8.
std::string JsonString(const QString& text);
// The shortest decimal that reads back as the same float; null for NaN and the infinities, which
// JSON cannot hold.
std::string JsonNumber(float value);
std::string JsonNumber(double value);

class JsonObject {
public:
    JsonObject& Add(std::string_view key, const QString& text);
    JsonObject& Add(std::string_view key, std::int64_t value);
    JsonObject& Add(std::string_view key, float value);
    JsonObject& Add(std::string_view key, const QStringList& texts);
    JsonObject& AddBool(std::string_view key, bool value);
    // Numbers as the shortest decimal that reads back as the same double; null where not finite.
    JsonObject& Add(std::string_view key, const std::vector<double>& values);
    // The object on one line.
    std::string Text() const;

private:
    void Key(std::string_view key);
    std::string body_;
};

} // namespace plavik::tool
