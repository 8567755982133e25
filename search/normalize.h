// The one way text is made comparable for search, for the index and the queries alike.
#pragma once

#include <QString>
#include <QStringList>

namespace plavik {

// NFKC, then case folding, then hiragana folded to katakana: "ﾄｲﾚ" and "といれ" become "トイレ",
// "ＤＫ" and "Dk" become "dk".
QString NormalizeForSearch(const QString& text);

// The normalised words of a query, split on any white space (the full-width space too); empty words
// are dropped.
QStringList SearchWords(const QString& query);

} // namespace plavik
