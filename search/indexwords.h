// What the search index keeps of a file's words, and how a word is looked up in them: the texts as
// shown, the same normalised, and the tokens of the full-text table, all as UTF-8.
#pragma once

#include "render/filewords.h"

#include <QString>

#include <string>
#include <string_view>

namespace plavik {

// Separates the fields (name, memo, texts) of a file's words; no word holds it.
inline constexpr char kFieldSeparator = '\x1F';

struct IndexedWords {
    std::string shown; // the memo and the texts as shown, decoded
    std::string norm;  // the name, the memo and the texts normalised for search
};

// The words of a file of that name (as shown).
IndexedWords WordsOf(const QString& name, const FileWords& words);

// The full-text tokens of norm, separated by spaces: each pair of neighbouring characters of a field,
// and each field's last character alone, so that every character starts a token. ASCII characters
// other than letters and digits (which the tokenizer would take for separators) stand for themselves
// as characters of a private-use block.
std::string TokensOf(std::string_view norm);

// The full-text query for a normalised word: the tokens that start with its one character, or the
// tokens of all its pairs. Every file holding the word matches it; a file matching it holds the word
// only when its norm does (the tokens know no order, and the private-use characters stand for two
// things).
std::string QueryOf(std::string_view word);

// The number of the field of fields (joined by kFieldSeparator) in which word is found first; -1 when
// none holds it.
int FieldHolding(std::string_view fields, std::string_view word);
// The field of that number; empty beyond the last.
std::string_view FieldOf(std::string_view fields, int number);

} // namespace plavik
