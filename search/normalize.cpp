#include "search/normalize.h"

#include <algorithm>

namespace plavik {

namespace {

// Hiragana with a katakana twin: ぁ (U+3041) .. ゖ (U+3096) and the marks ゝ ゞ (U+309D, U+309E), each
// 0x60 below it.
bool FoldsToKatakana(char16_t c) {
    return (c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E;
}

} // namespace

QString NormalizeForSearch(const QString& text) {
    // ASCII is its own compatibility form, and folds by lowering its letters.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLower();
    QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    if (std::any_of(folded.cbegin(), folded.cend(), [](QChar c) { return FoldsToKatakana(c.unicode()); })) {
        for (QChar& c : folded)
            if (FoldsToKatakana(c.unicode()))
                c = QChar(static_cast<char16_t>(c.unicode() + 0x60));
    }
    return folded;
}

QStringList SearchWords(const QString& query) {
    const QString normalized = NormalizeForSearch(query);
    QStringList words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= normalized.size(); ++i) {
        const bool space = i == normalized.size() || normalized.at(i).isSpace();
        if (space && start >= 0) {
            words << normalized.mid(start, i - start);
            start = -1;
        } else if (!space && start < 0) {
            start = i;
        }
    }
    return words;
}

} // namespace plavik
