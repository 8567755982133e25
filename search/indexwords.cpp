#include "search/indexwords.h"

#include "platform/sjis.h"
#include "search/normalize.h"

#include <algorithm>
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

// Appends the token form of the character text[at, at + n).
void AppendChar(std::string& out, std::string_view text, std::size_t at, std::size_t n) {
    const auto b = static_cast<unsigned char>(text[at]);
    const bool alphanumeric = (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
    if (n == 1 && !alphanumeric) {
        // U+E000 + b in UTF-8
        out += static_cast<char>(0xEE);
        out += static_cast<char>(0x80 | (b >> 6));
        out += static_cast<char>(0x80 | (b & 0x3F));
        return;
    }
    out.append(text.substr(at, n));
}

// The characters of text as (start, length).
std::vector<std::pair<std::size_t, std::size_t>> CharsOf(std::string_view text) {
    std::vector<std::pair<std::size_t, std::size_t>> chars;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min(CharLength(static_cast<unsigned char>(text[at])), text.size() - at);
        chars.emplace_back(at, n);
        at += n;
    }
    return chars;
}

} // namespace

IndexedWords WordsOf(const QString& name, const FileWords& words) {
    IndexedWords indexed;
    indexed.norm =
        NormalizeForSearch(QString(name).replace(QChar(kFieldSeparator), u' ')).toUtf8().toStdString();
    const auto add = [&](const std::string& bytes, bool first) {
        const QString shown = DecodeSjis(bytes).replace(QChar(kFieldSeparator), u' ').trimmed();
        if (!first)
            indexed.shown += kFieldSeparator;
        indexed.shown += shown.toUtf8().toStdString();
        indexed.norm += kFieldSeparator;
        indexed.norm += NormalizeForSearch(shown).toUtf8().toStdString();
    };
    add(words.memo, true);
    for (const std::string& text : words.texts)
        add(text, false);
    return indexed;
}

std::string TokensOf(std::string_view norm) {
    std::string tokens;
    tokens.reserve(norm.size() * 3);
    std::size_t at = 0;
    while (at <= norm.size()) {
        std::size_t end = norm.find(kFieldSeparator, at);
        if (end == std::string_view::npos)
            end = norm.size();
        const std::string_view field = norm.substr(at, end - at);
        std::size_t previous = std::string_view::npos, previousLength = 0;
        for (std::size_t i = 0; i < field.size();) {
            const std::size_t n =
                std::min(CharLength(static_cast<unsigned char>(field[i])), field.size() - i);
            AppendChar(tokens, field, i, n);
            tokens += ' ';
            if (previous != std::string_view::npos) {
                AppendChar(tokens, field, previous, previousLength);
                AppendChar(tokens, field, i, n);
                tokens += ' ';
            }
            previous = i;
            previousLength = n;
            i += n;
        }
        at = end + 1;
    }
    return tokens;
}

std::string QueryOf(std::string_view word) {
    const auto chars = CharsOf(word);
    std::vector<std::string> tokens;
    if (chars.size() == 1) {
        tokens.emplace_back();
        AppendChar(tokens.back(), word, chars[0].first, chars[0].second);
    }
    for (std::size_t k = 1; k < chars.size(); ++k) {
        std::string pair;
        AppendChar(pair, word, chars[k - 1].first, chars[k - 1].second);
        AppendChar(pair, word, chars[k].first, chars[k].second);
        tokens.push_back(std::move(pair));
    }
    std::sort(tokens.begin(), tokens.end());
    tokens.erase(std::unique(tokens.begin(), tokens.end()), tokens.end());
    std::string query;
    for (const std::string& token : tokens) {
        if (!query.empty())
            query += ' ';
        query += '"' + token + '"'; // a token holds no quote: ASCII punctuation is turned into others
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
