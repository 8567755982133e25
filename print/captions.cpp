#include "print/captions.h"

#include "platform/sjis.h"
#include "render/codepage.h"

#include <algorithm>

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

QString SizeLine(const QString& label, const std::optional<FileFacts>& facts, const QLocale& locale) {
    if (!facts)
        return label;
    return label + FileSizeText(facts->size, locale) + QStringLiteral(" byte");
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
    // The longest run of whole characters from `from` that fits `limit` bytes.
    const auto wholeRun = [&](std::size_t from, std::size_t limit) {
        const std::string_view rest = comment.substr(from);
        return rest.substr(0, WholeCharacterBytes(rest, limit));
    };
    const std::string_view first = wholeRun(0, kCommentHalf);
    return {first, wholeRun(first.size(), kCommentHalf)};
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
        lines << kCommentMoreLabel + DecodeSjis(second);
    }
    if (settings.prcFileSize)
        lines << SizeLine(kDrawingSizeLabel, facts, locale);
    if (settings.prcFileDate)
        lines << DateLine(kDrawingDateLabel, facts, locale);
    return lines;
}

} // namespace plavik
