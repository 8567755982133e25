// The export command: a file, or a folder of them, as DXF, SVG or PDF.
#include "commands.h"
#include "exitcodes.h"
#include "output.h"

#include "export/exportfile.h"

#include <cstdio>
#include <string>

namespace plavik::tool {

namespace {

std::optional<ExportFormat> FormatOf(ExportTo to) {
    switch (to) {
    case ExportTo::Dxf:
        return ExportFormat::Dxf;
    case ExportTo::Svg:
        return ExportFormat::Svg;
    case ExportTo::Pdf:
        return ExportFormat::Pdf;
    case ExportTo::FromName:
        break;
    }
    return std::nullopt;
}

// Tells what went wrong with one file on standard error; returns its exit status.
int Tell(const std::filesystem::path& source, const std::filesystem::path& target, const ExportOutcome& outcome) {
    switch (outcome.status) {
    case ExportOutcome::Status::Written:
        if (outcome.cut)
            Fail(kExitOk, ShowOutput(target) + ": cut at 64 MiB: the entities beyond it are left out");
        if (!outcome.complete)
            Fail(kExitOk, ShowPath(source) + ": the file breaks off; what came before the break is written");
        return kExitOk;
    case ExportOutcome::Status::NotAFile:
        return Fail(kExitNotOfKind, ShowPath(source) + ": not a jw_cad figure or drawing file");
    case ExportOutcome::Status::ReadFailed:
        return Fail(kExitReadFailed, ShowPath(source) + ": " + outcome.message.toStdString());
    case ExportOutcome::Status::WriteFailed:
        return Fail(kExitWriteFailed, CannotWrite(target, outcome.message));
    }
    return kExitOk;
}

} // namespace

int RunExport(const ExportCommandOptions& o) {
    ExportOptions options;
    options.dxfVersion = o.r12 ? DxfVersion::R12 : DxfVersion::R2000;
    std::error_code error;
    if (std::filesystem::is_directory(o.source, error)) {
        const auto format = FormatOf(o.to);
        if (!format)
            return Fail(kExitBadArguments, "export of a folder needs --to dxf, svg or pdf");
        options.format = *format;
        const FolderExportSummary summary =
            ExportFolder(o.source, o.out, options, o.recursive,
                         [](const std::filesystem::path& source, const std::filesystem::path& target,
                            const ExportOutcome& outcome) { Tell(source, target, outcome); });
        if (!summary.folderError.isEmpty())
            Fail(kExitReadFailed, ShowPath(o.source) + ": " + summary.folderError.toStdString());
        const std::string line = std::to_string(summary.written) + " written, " + std::to_string(summary.failed) +
                                 " failed\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
        return summary.failed > 0 || !summary.folderError.isEmpty() ? kExitReadFailed : kExitOk;
    }
    if (const auto why = CannotOpen(o.source))
        return Fail(kExitReadFailed, ShowPath(o.source) + ": " + *why);
    const auto format = o.to == ExportTo::FromName ? ExportFormatOfName(o.out) : FormatOf(o.to);
    if (!format)
        return Fail(kExitBadArguments, ShowOutput(o.out) + ": its name tells no format: give --to dxf, svg or pdf");
    options.format = *format;
    return Tell(o.source, o.out, ExportFile(o.source, o.out, options));
}

} // namespace plavik::tool
