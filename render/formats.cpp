#include "render/formats.h"

#include "render/card.h"
#include "render/drawinglayers.h"
#include "render/streamreaders.h"
#include "render/filewords.h"
#include "render/formatinfo.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/jww.h"

#include <algorithm>
#include <array>

namespace plavik {

namespace {

static_assert(kRecognitionPrefix >= kRecognitionBytes && kRecognitionPrefix >= kJwsRecognitionBytes &&
              kRecognitionPrefix >= kJwwRecognitionBytes);

// The renderers' own entries, brought to the rows' one shape: Draw is a format's renderer on a path or
// on a file's bytes (Source).
template <auto Draw, typename Source>
int DrawJwkRow(Canvas& canvas, Source source, const TRect& rect, const RenderOptions& o, DrawnFile* drawn) {
    if (drawn)
        *drawn = {};
    return Draw(canvas, source, rect, o.flags, o.palette);
}

template <auto Draw, typename Source>
int DrawJwcRow(Canvas& canvas, Source source, const TRect& rect, const RenderOptions& o, DrawnFile* drawn) {
    TJwcInfo info;
    const int result = Draw(canvas, source, rect, o.flags, info, o.layers ? &*o.layers : nullptr);
    if (drawn) {
        *drawn = {};
        if (result == 0)
            drawn->comment = info.Comment;
    }
    return result;
}

// Today's formats tell whether the file was read whole; the strings of their texts are not kept.
JwwInfo TodaysInfo() {
    JwwInfo info;
    info.withTexts = false;
    return info;
}

void TellTodays(DrawnFile* drawn, int result, const JwwInfo& info) {
    if (!drawn)
        return;
    *drawn = {};
    drawn->complete = result != 0 || info.complete;
    if (result != 0)
        return;
    drawn->comment = info.memo;
    if (info.kind == JwwKind::Drawing) {
        drawn->paper = std::string(JwwPaperName(info.paper));
        drawn->scales = info.scales;
    }
}

template <auto Draw, typename Source>
int DrawJwsRow(Canvas& canvas, Source source, const TRect& rect, const RenderOptions& o, DrawnFile* drawn) {
    JwwInfo info = TodaysInfo();
    const int result = Draw(canvas, source, rect, o.flags, o.palette, &info);
    TellTodays(drawn, result, info);
    return result;
}

template <auto Draw, typename Source>
int DrawJwwRow(Canvas& canvas, Source source, const TRect& rect, const RenderOptions& o, DrawnFile* drawn) {
    JwwInfo info = TodaysInfo();
    const int result = Draw(canvas, source, rect, o.flags, &info, o.layers ? &*o.layers : nullptr);
    TellTodays(drawn, result, info);
    return result;
}

using Data = std::span<const std::uint8_t>;
using Path = const std::filesystem::path&;

const std::array<FormatRow, 4> kFormats{{
    {FileFormat::Jwk, "jwk", ListKind::Figures, false, IsJwkData, [](FileBytes& f) { return CheckJwk(f); },
     DrawJwkRow<DrawJwk, Path>, DrawJwkRow<DrawJwkData, Data>, "Not JWK File", ReadJwkWords, DescribeJwk, 0,
     ReadJwkStream, nullptr, nullptr, ""},
    {FileFormat::Jwc, "jwc", ListKind::Drawings, false, IsJwcData, [](FileBytes& f) { return CheckJwc(f); },
     DrawJwcRow<DrawJwc, Path>, DrawJwcRow<DrawJwcData, Data>, "Not JWC File", ReadJwcWords, DescribeJwc, 0,
     ReadJwcStream, ReadJwcLayers, nullptr, "【コメント】"},
    {FileFormat::Jws, "jws", ListKind::Figures, true, IsJwsData, [](FileBytes& f) { return CheckJws(f); },
     DrawJwsRow<DrawJws, Path>, DrawJwsRow<DrawJwsData, Data>, "Not JWS File", ReadJwsWords, DescribeJws,
     kJwkAuxLines, ReadJwsStream, nullptr, nullptr, ""},
    {FileFormat::Jww, "jww", ListKind::Drawings, true, IsJwwData, [](FileBytes& f) { return CheckJww(f); },
     DrawJwwRow<DrawJww, Path>, DrawJwwRow<DrawJwwData, Data>, "Not JWW File", ReadJwwWords, DescribeJww,
     kJwcAuxLines, ReadJwwStream, ReadJwwLayers, ReadJwwSheetSize, "【メモ】"},
}};

} // namespace

std::span<const FormatRow> Formats() {
    return kFormats;
}

const FormatRow& RowOf(FileFormat format) {
    return *std::find_if(kFormats.begin(), kFormats.end(),
                         [&](const FormatRow& r) { return r.format == format; });
}

std::string LowerExtension(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return extension;
}

const FormatRow* RowOfName(const std::filesystem::path& name) {
    const std::string extension = LowerExtension(name);
    const auto row = std::find_if(kFormats.begin(), kFormats.end(),
                                  [&](const FormatRow& r) { return r.extension == extension; });
    return row == kFormats.end() ? nullptr : &*row;
}

const FormatRow* RowOfContent(std::span<const std::uint8_t> start) {
    const auto row = std::find_if(kFormats.begin(), kFormats.end(),
                                  [&](const FormatRow& r) { return r.recognises(start); });
    return row == kFormats.end() ? nullptr : &*row;
}

std::optional<FileFormat> FormatOfContent(const std::filesystem::path& file) {
    const std::optional<Bytes> start = ReadFilePrefix(file, kRecognitionPrefix);
    const FormatRow* row = start ? RowOfContent(*start) : nullptr;
    return row ? std::optional(row->format) : std::nullopt;
}

const FormatRow* RecogniseFile(FileBytes& file, const std::filesystem::path& name) {
    const FormatRow* row = file.IsOpen() ? RowOfContent(file.Prefix(kRecognitionPrefix)) : nullptr;
    return row ? row : RowOfName(name);
}

const FormatRow* RecogniseFile(const std::filesystem::path& file) {
    FileBytes bytes(file);
    return RecogniseFile(bytes, file);
}

FileFormat FormatOfFile(FileBytes& file, const std::filesystem::path& name, ListKind kind) {
    if (const FormatRow* row = RecogniseFile(file, name))
        return row->format;
    return kind == ListKind::Figures ? FileFormat::Jwk : FileFormat::Jwc;
}

FileFormat FormatOfFile(const std::filesystem::path& file, ListKind kind) {
    FileBytes bytes(file);
    return FormatOfFile(bytes, file, kind);
}

ListKind KindOf(FileFormat format) {
    return RowOf(format).kind;
}

std::vector<std::string_view> ListExtensions(ListKind kind, bool todaysFormats) {
    std::vector<std::string_view> extensions;
    for (const FormatRow& row : kFormats)
        if (row.kind == kind && (todaysFormats || !row.todays))
            extensions.push_back(row.extension);
    return extensions;
}

std::vector<std::string_view> AllExtensions() {
    std::vector<std::string_view> extensions;
    for (const FormatRow& row : kFormats)
        extensions.push_back(row.extension);
    return extensions;
}

std::string_view KindFileName(ListKind kind) {
    return kind == ListKind::Figures ? "図形ﾌｧｲﾙ" : "図面ﾌｧｲﾙ";
}

std::vector<OpenFileType> OpenFileTypes() {
    std::vector<OpenFileType> types;
    for (const bool todays : {false, true}) {
        for (const ListKind kind : {ListKind::Drawings, ListKind::Figures}) {
            std::string patterns;
            // Today's extensions first, as jw_cad's own dialogs name them.
            const std::vector<std::string_view> extensions = ListExtensions(kind, todays);
            for (auto e = extensions.rbegin(); e != extensions.rend(); ++e)
                patterns.append(patterns.empty() ? "*." : " *.").append(*e);
            types.push_back(
                {kind, todays, "jw_cad" + std::string(KindFileName(kind)) + "(" + patterns + ")"});
        }
    }
    return types;
}

int DrawListedFile(Canvas& canvas, FileFormat format, const std::filesystem::path& file, const TRect& rect,
                   const RenderOptions& options, DrawnFile* drawn) {
    return RowOf(format).drawFile(canvas, file, rect, options, drawn);
}

int DrawListedData(Canvas& canvas, FileFormat format, std::span<const std::uint8_t> data, const TRect& rect,
                   const RenderOptions& options, DrawnFile* drawn) {
    return RowOf(format).drawData(canvas, data, rect, options, drawn);
}

RenderOptions PrintedOptions(FileFormat format, RenderOptions options) {
    options.flags &= ~RowOf(format).unprintedFlags;
    return options;
}

int CheckListedFile(FileFormat format, const std::filesystem::path& file) {
    FileBytes bytes(file);
    return CheckListedFile(format, bytes);
}

int CheckListedFile(FileFormat format, FileBytes& file) {
    return RowOf(format).check(file);
}

void DrawBrokenOffMark(Canvas& canvas, const TRect& rect) {
    canvas.SetPen({0x000000FF, PenStyle::Solid, std::max(1, rect.Width() / 64)});
    const int right = rect.right - 1, bottom = rect.bottom - 1;
    canvas.MoveTo(rect.left, rect.top);
    canvas.LineTo(right, rect.top);
    canvas.LineTo(right, bottom);
    canvas.LineTo(rect.left, bottom);
    canvas.LineTo(rect.left, rect.top);
}

void DrawUnreadableCard(Canvas& canvas, FileFormat format, const TRect& rect) {
    FontGuard keepFont(canvas);
    DrawNotFileCard(canvas, rect, RowOf(format).notFileCard);
}

} // namespace plavik
