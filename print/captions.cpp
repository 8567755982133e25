#include "print/captions.h"

#include "platform/sjis.h"
#include "render/codepage.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace plavik {

namespace {

const QString kNameLabel = QStringLiteral("ファイル名：");
const QString kFigureSizeLabel = QStringLiteral("サ　イ　ズ：");
const QString kFigureDateLabel = QStringLiteral("日　　　付：");
const QString kCommentLabel = QStringLiteral("コメント　：");
const QString kCommentMoreLabel = QStringLiteral("　　　　　　");
const QString kDrawingSizeLabel = QStringLiteral("サイズ　　：");
const QString kDrawingDateLabel = QStringLiteral("日付　　　：");

constexpr std::size_t kCommentHalf = 32;

// The byte width of the code page 932 character that starts with lead.
std::size_t CharWidth(unsigned char lead) {
    return IsSjisLeadByte(lead) ? 2 : 1;
}

// The characters of a memo, by the offsets where they start.
std::vector<std::size_t> CharStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size(); at += CharWidth(static_cast<unsigned char>(text[at])))
        starts.push_back(at);
    return starts;
}

bool IsDigitAt(std::string_view text, std::size_t at) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c >= '0' && c <= '9')
        return true;
    // Full-width digits: 0x824F to 0x8258.
    return c == 0x82 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) >= 0x4F &&
           static_cast<unsigned char>(text[at + 1]) <= 0x58;
}

// Whether character k belongs to a run that a line must not break: a word of Latin letters and
// digits (half or full width), and the point or comma inside a number ("1,200", "2.5").
bool InRun(std::string_view text, const std::vector<std::size_t>& starts, std::size_t k) {
    const std::size_t at = starts[k];
    const auto c = static_cast<unsigned char>(text[at]);
    if (IsDigitAt(text, at) || (c < 0x80 && std::isalpha(c)))
        return true;
    if (c == 0x82) { // full-width Latin letters: 0x8260 to 0x8279 and 0x8281 to 0x829A
        const auto trail = at + 1 < text.size() ? static_cast<unsigned char>(text[at + 1]) : 0;
        return (trail >= 0x60 && trail <= 0x79) || (trail >= 0x81 && trail <= 0x9A);
    }
    return (c == '.' || c == ',') && k > 0 && k + 1 < starts.size() && IsDigitAt(text, starts[k - 1]) &&
           IsDigitAt(text, starts[k + 1]);
}

QString SizeLine(const QString& label, const std::optional<FileFacts>& facts, const QLocale& locale) {
    if (!facts)
        return label;
    return label + SizeInBytesText(facts->size, locale);
}

QString DateLine(const QString& label, const std::optional<FileFacts>& facts, const QLocale& locale) {
    if (!facts)
        return label;
    return label + FileDateText(facts->lastWrite, locale);
}

} // namespace

QString FigureSampleText() {
    return kFigureDateLabel + QStringLiteral("00/00/00 00:00:00");
}

QString DrawingSampleText() {
    return kFigureDateLabel + QStringLiteral("00/00/00 00:00:00000000000000000");
}

int CaptionColumnWidth(bool figures, const std::function<int(const QString&)>& width, const QLocale& locale) {
    const QString& dateLabel = figures ? kFigureDateLabel : kDrawingDateLabel;
    const int sample = width(figures ? FigureSampleText() : DrawingSampleText());
    return std::max(sample, width(dateLabel + WidestDateText(locale, width)));
}

std::pair<std::string_view, std::string_view> CommentHalves(std::string_view comment, bool wholeCharacters) {
    if (!wholeCharacters) {
        const std::string_view first = comment.substr(0, std::min(comment.size(), kCommentHalf));
        std::string_view second;
        if (comment.size() > kCommentHalf)
            second = comment.substr(kCommentHalf, kCommentHalf);
        return {first, second};
    }
    // The characters from the first that fit kCommentHalf bytes; a character cut off at the end of the
    // memo is left out.
    const std::vector<std::size_t> starts = CharStarts(comment);
    const auto fitting = [&](std::size_t first) {
        std::size_t end = first;
        while (end < starts.size()) {
            const std::size_t next = end + 1 < starts.size() ? starts[end + 1] : comment.size();
            if (next - starts[first] > kCommentHalf ||
                starts[end] + CharWidth(static_cast<unsigned char>(comment[starts[end]])) > comment.size())
                break;
            ++end;
        }
        return end;
    };
    const auto bytesAt = [&](std::size_t k) { return k < starts.size() ? starts[k] : comment.size(); };
    // The line breaks between words, or between characters, never inside a word or a number: a break
    // inside one goes back to where it begins, unless it fills the whole line.
    std::size_t split = fitting(0);
    if (split < starts.size() && split > 0 && InRun(comment, starts, split - 1) &&
        InRun(comment, starts, split)) {
        std::size_t runStart = split - 1;
        while (runStart > 0 && InRun(comment, starts, runStart - 1))
            --runStart;
        if (runStart > 0)
            split = runStart;
    }
    const std::size_t end = fitting(split);
    return {comment.substr(0, bytesAt(split)), comment.substr(bytesAt(split), bytesAt(end) - bytesAt(split))};
}

QStringList FigureCaptionLines(const TListSettings& settings, const QString& fileName,
                               const std::optional<FileFacts>& facts, const QLocale& locale) {
    QStringList lines;
    if (settings.prFileName)
        lines << kNameLabel + fileName;
    if (settings.prFileSize)
        lines << SizeLine(kFigureSizeLabel, facts, locale);
    if (settings.prFileDate)
        lines << DateLine(kFigureDateLabel, facts, locale);
    return lines;
}

QStringList DrawingCaptionLines(const TListSettings& settings, const QString& fileName,
                                std::string_view comment, const std::optional<FileFacts>& facts,
                                const QLocale& locale, bool memo) {
    QStringList lines;
    if (settings.prcFileName)
        lines << kNameLabel + fileName;
    std::string lineBreaksAsSpaces;
    if (memo) {
        lineBreaksAsSpaces.assign(comment);
        std::replace_if(
            lineBreaksAsSpaces.begin(), lineBreaksAsSpaces.end(),
            [](char c) { return c == '\r' || c == '\n'; }, ' ');
        comment = lineBreaksAsSpaces;
    }
    if (settings.prcComment) {
        const auto [first, second] = CommentHalves(comment, memo);
        lines << kCommentLabel + DecodeSjis(first);
        // A memo longer than the two lines ends in "…", so that a cut number cannot pass for whole.
        const bool more =
            memo && first.size() + second.size() < comment.size() &&
            comment.find_first_not_of(' ', first.size() + second.size()) != std::string_view::npos;
        lines << kCommentMoreLabel + DecodeSjis(second) + (more ? QStringLiteral("…") : QString());
    }
    if (settings.prcFileSize)
        lines << SizeLine(kDrawingSizeLabel, facts, locale);
    if (settings.prcFileDate)
        lines << DateLine(kDrawingDateLabel, facts, locale);
    return lines;
}

} // namespace plavik
