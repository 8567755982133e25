#include "json.h"

#include <charconv>
#include <cmath>

namespace plavik::tool {

std::string JsonString(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == u'"')
            out += QLatin1String("\\\"");
        else if (u == u'\\')
            out += QLatin1String("\\\\");
        else if (u == u'\n')
            out += QLatin1String("\\n");
        else if (u == u'\r')
            out += QLatin1String("\\r");
        else if (u == u'\t')
            out += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7F || u == 0x2028 || u == 0x2029)
            out += QString::asprintf("\\u%04X", static_cast<unsigned>(u));
        else
            out += ch;
    }
    out += QLatin1Char('"');
    return out.toStdString();
}

namespace {

// The shortest decimal that reads back as the same number; null where JSON cannot hold it.
template <typename Real> std::string ShortestNumber(Real value) {
    if (!std::isfinite(value))
        return "null";
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("null");
}

} // namespace

std::string JsonNumber(float value) {
    return ShortestNumber(value);
}

std::string JsonNumber(double value) {
    return ShortestNumber(value);
}

void JsonObject::Key(std::string_view key) {
    if (!body_.empty())
        body_ += ',';
    body_ += JsonString(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
    body_ += ':';
}

JsonObject& JsonObject::Add(std::string_view key, const QString& text) {
    Key(key);
    body_ += JsonString(text);
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, std::int64_t value) {
    Key(key);
    body_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, float value) {
    Key(key);
    body_ += JsonNumber(value);
    return *this;
}

JsonObject& JsonObject::AddBool(std::string_view key, bool value) {
    Key(key);
    body_ += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, const std::vector<double>& values) {
    Key(key);
    body_ += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            body_ += ',';
        body_ += JsonNumber(values[i]);
    }
    body_ += ']';
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, const QStringList& texts) {
    Key(key);
    body_ += '[';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            body_ += ',';
        body_ += JsonString(texts[i]);
    }
    body_ += ']';
    return *this;
}

std::string JsonObject::Text() const {
    return "{" + body_ + "}";
}

} // namespace plavik::tool
