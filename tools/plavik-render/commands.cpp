#include "commands.h"

#include "exitcodes.h"
#include "fileinfo.h"
#include "output.h"
#include "sheet.h"
#include "thumbnail.h"

#include "platform/outputfile.h"
#include "render/jwc.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include <cstdio>
#include <exception>
#include <string>

namespace plavik::tool {

namespace {

// The image as PNG into out (in place for the thumbnailer); the message on failure.
std::optional<std::string> WritePng(const QImage& image, const std::filesystem::path& out, bool inPlace) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return ShowOutput(out) + ": cannot be encoded as PNG: " + writer.errorString().toStdString();
    if (const auto error = WriteWholeFile(out, bytes, inPlace))
        return CannotWrite(out, *error);
    return std::nullopt;
}

// How thumb and thumbnailer write what they drew.
enum class Delivery {
    Replace,   // thumb: the output is replaced, also by the card of a file of neither kind
    Thumbnail, // thumbnailer: into the file it is given (a thumbnail service may hold it open),
               // and only a real picture, so that a failed file keeps its type's icon
};

// The steps thumb and thumbnailer share: draw, write, and tell how it went.
int DrawAndWrite(const ThumbnailRequest& request, const std::filesystem::path& out, Delivery delivery) {
    const std::filesystem::path& file = request.file;
    Thumbnail thumbnail;
    try {
        thumbnail = RenderThumbnail(request);
    } catch (const std::exception& e) {
        return Fail(kExitReadFailed, ShowPath(file) + ": " + e.what());
    }
    const bool drawn = thumbnail.result == 0;
    if (drawn || delivery == Delivery::Replace) {
        if (const auto error = WritePng(thumbnail.image, out, delivery == Delivery::Thumbnail))
            return Fail(kExitWriteFailed, *error);
    }
    if (!drawn)
        return Fail(kExitNotOfKind, ShowPath(file) + ": not a jw_cad figure or drawing file");
    return kExitOk;
}

// A "file://" URI as a path; anything else as it stands.
std::filesystem::path LocalPath(const std::filesystem::path& input) {
    const std::string text = input.string();
    const std::string scheme = "file://";
    if (text.compare(0, scheme.size(), scheme) != 0)
        return input;
    const std::size_t slash = text.find('/', scheme.size()); // past the host, usually empty
    if (slash == std::string::npos)
        return input;
    const QByteArray decoded = QByteArray::fromPercentEncoding(QByteArray::fromStdString(text.substr(slash)));
    return PathFromArgument(decoded.toStdString());
}

} // namespace

int RunThumb(const ThumbOptions& o) {
    if (const auto error = CannotOpen(o.file))
        return Fail(kExitReadFailed, ShowPath(o.file) + ": " + *error);
    ThumbnailRequest request;
    request.file = o.file;
    request.renderer = FormatOfFile(o.file, ListKind::Figures);
    request.size = DefaultThumbnailSize(request.renderer);
    if (o.width)
        request.size.setWidth(*o.width);
    if (o.height)
        request.size.setHeight(*o.height);
    request.options = {o.flags.value_or(DefaultFlags(request.renderer)), FigurePalette(o.colors)};
    if (o.fitContent && KindOf(request.renderer) == ListKind::Drawings)
        request.options.flags |= kJwcFitContent;
    request.dpi = o.dpi;
    request.trueColor = o.trueColor;
    return DrawAndWrite(request, o.out, Delivery::Replace);
}

int RunThumbnailer(const ThumbnailerOptions& o) {
    const std::filesystem::path file = LocalPath(o.input);
    if (const auto error = CannotOpen(file))
        return Fail(kExitReadFailed, ShowPath(file) + ": " + *error);
    ThumbnailRequest request;
    request.file = file;
    request.renderer = FormatOfFile(file, ListKind::Figures);
    request.size = ThumbnailerSize(request.renderer, o.size);
    request.options = {DefaultFlags(request.renderer), FigurePalette(ColorChoice::Default)};
    return DrawAndWrite(request, o.output, Delivery::Thumbnail);
}

int RunInfo(const InfoOptions& o) {
    if (const auto error = CannotOpen(o.file))
        return Fail(kExitReadFailed, ShowPath(o.file) + ": " + *error);
    FileInfo info;
    try {
        info = DescribeFile(o.file);
    } catch (const std::exception& e) {
        return Fail(kExitReadFailed, ShowPath(o.file) + ": " + e.what());
    }
    const std::string line = info.json + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    if (std::fflush(stdout) != 0)
        return Fail(kExitWriteFailed, "standard output cannot be written");
    if (!info.known)
        return Fail(kExitNotOfKind, ShowPath(o.file) + ": not a jw_cad figure or drawing file");
    return kExitOk;
}

int RunCommand(const Command& command) {
    switch (command.kind) {
    case CommandKind::Help: {
        const std::string text = HelpText();
        std::fwrite(text.data(), 1, text.size(), stdout);
        return kExitOk;
    }
    case CommandKind::Version: {
        const std::string text = std::string("plavik-render ") + PLAVIK_VERSION + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
        return kExitOk;
    }
    case CommandKind::Thumb:
        return RunThumb(command.thumb);
    case CommandKind::Info:
        return RunInfo(command.info);
    case CommandKind::Sheet:
        return RunSheet(command.sheet);
    case CommandKind::Thumbnailer:
        return RunThumbnailer(command.thumbnailer);
    case CommandKind::Find:
        return RunFind(command.find);
    case CommandKind::Export:
        return RunExport(command.exportFiles);
    }
    return kExitBadArguments;
}

} // namespace plavik::tool
