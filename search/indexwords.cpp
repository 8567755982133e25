#include "search/indexwords.h"

#include "platform/sjis.h"
#include "search/normalize.h"

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <vector>

namespace plavik {

namespace {

// The length of the UTF-8 character that starts with byte b (1 for a stray continuation byte).
std::size_t CharLength(unsigned char b) {
    if ((b & 0xE0) == 0xC0)
        return 2;
    if ((b & 0xF0) == 0xE0)
        return 3;
    if ((b & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// Writes the token form of the character of n bytes at text[at] into out (4 bytes at most); returns
// its length. ASCII other than letters and digits becomes U+E000 + its code.
std::size_t TokenChar(std::string_view text, std::size_t at, std::size_t n, char* out) {
    const auto b = static_cast<unsigned char>(text[at]);
    const bool alphanumeric = (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
    if (n == 1 && !alphanumeric) {
        out[0] = static_cast<char>(0xEE);
        out[1] = static_cast<char>(0x80 | (b >> 6));
        out[2] = static_cast<char>(0x80 | (b & 0x3F));
        return 3;
    }
    for (std::size_t k = 0; k < n; ++k)
        out[k] = text[at + k];
    return n;
}

// The characters of text in token form.
std::vector<std::string> TokenCharsOf(std::string_view text) {
    std::vector<std::string> chars;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min(CharLength(static_cast<unsigned char>(text[at])), text.size() - at);
        char token[4];
        chars.emplace_back(token, TokenChar(text, at, n, token));
        at += n;
    }
    return chars;
}

// Appends a field of code page 932 bytes to the shown and the normalised words, each after a
// separator when asked. ASCII text (a number, a size, a part's name) needs neither the decoder nor
// the Unicode tables: code page 932 keeps it as it is, and normalising it only lowers its letters.
void AppendField(IndexedWords& indexed, std::string_view bytes, bool separate) {
    if (separate)
        indexed.shown += kFieldSeparator;
    indexed.norm += kFieldSeparator;
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        // As QString::trimmed: the ASCII white space is tab to carriage return and the space.
        const auto space = [](char c) {
            return c == ' ' || c == kFieldSeparator || (c >= '\t' && c <= '\r');
        };
        while (!bytes.empty() && space(bytes.front()))
            bytes.remove_prefix(1);
        while (!bytes.empty() && space(bytes.back()))
            bytes.remove_suffix(1);
        for (const char c : bytes) {
            const char shown = c == kFieldSeparator ? ' ' : c;
            indexed.shown += shown;
            indexed.norm += shown >= 'A' && shown <= 'Z' ? static_cast<char>(shown - 'A' + 'a') : shown;
        }
        return;
    }
    // Other texts repeat across a library (labels, part names, room names): each thread keeps the last
    // few thousand it decoded and normalised.
    struct Field {
        std::string shown, norm;
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    constexpr std::size_t kKept = 4096;
    thread_local std::unordered_map<std::string, Field, Hash, std::equal_to<>> kept;
    auto it = kept.find(bytes);
    if (it == kept.end()) {
        if (kept.size() >= kKept)
            kept.clear();
        const QString shown = DecodeSjis(bytes).replace(QChar(kFieldSeparator), u' ').trimmed();
        it = kept.emplace(std::string(bytes), Field{shown.toUtf8().toStdString(),
                                                    NormalizeForSearch(shown).toUtf8().toStdString()})
                 .first;
    }
    indexed.shown += it->second.shown;
    indexed.norm += it->second.norm;
}

} // namespace

IndexedWords WordsOf(const QString& name, const FileWords& words) {
    IndexedWords indexed;
    const QByteArray normName =
        NormalizeForSearch(QString(name).replace(QChar(kFieldSeparator), u' ')).toUtf8();
    indexed.norm.assign(normName.constData(), static_cast<std::size_t>(normName.size()));
    AppendField(indexed, words.memo, false);
    for (const std::string& text : words.texts)
        AppendField(indexed, text, true);
    return indexed;
}

std::string TokensOf(std::string_view norm) {
    std::string tokens;
    tokens.reserve(norm.size() * 2 + 8);
    char previous[4];
    std::size_t previousLength = 0; // 0 at the start of a field
    for (std::size_t at = 0; at <= norm.size();) {
        if (at == norm.size() || norm[at] == kFieldSeparator) {
            if (previousLength > 0) {
                tokens.append(previous, previousLength);
                tokens += ' ';
            }
            previousLength = 0;
            ++at;
            continue;
        }
        const std::size_t n = std::min(CharLength(static_cast<unsigned char>(norm[at])), norm.size() - at);
        char current[4];
        const std::size_t length = TokenChar(norm, at, n, current);
        if (previousLength > 0) {
            tokens.append(previous, previousLength);
            tokens.append(current, length);
            tokens += ' ';
        }
        std::copy(current, current + length, previous);
        previousLength = length;
        at += n;
    }
    return tokens;
}

std::string QueryOf(std::string_view word) {
    const std::vector<std::string> chars = TokenCharsOf(word);
    if (chars.size() == 1)
        return '"' + chars[0] + "\"*"; // every pair it starts, or itself at a field's end
    std::vector<std::string> pairs;
    for (std::size_t k = 1; k < chars.size(); ++k)
        pairs.push_back(chars[k - 1] + chars[k]);
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    std::string query;
    for (const std::string& pair : pairs) {
        if (!query.empty())
            query += ' ';
        query += '"' + pair + '"'; // a token holds no quote: ASCII punctuation is turned into others
    }
    return query;
}

int FieldHolding(std::string_view fields, std::string_view word) {
    const std::size_t at = fields.find(word);
    if (word.empty() || at == std::string_view::npos)
        return -1;
    return static_cast<int>(
        std::count(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(at), kFieldSeparator));
}

std::string_view FieldOf(std::string_view fields, int number) {
    std::size_t start = 0;
    for (; number > 0; --number) {
        start = fields.find(kFieldSeparator, start);
        if (start == std::string_view::npos)
            return {};
        ++start;
    }
    const std::size_t end = fields.find(kFieldSeparator, start);
    return fields.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

} // namespace plavik
