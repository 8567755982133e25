#include "export/exportfile.h"

#include "export/pdfexport.h"
#include "export/svgexport.h"
#include "platform/folderscan.h"
#include "platform/outputfile.h"
#include "render/formats.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstring>
#include <exception>

namespace plavik {

namespace {

ExportOutcome Failed(ExportOutcome::Status status, QString message) {
    ExportOutcome outcome;
    outcome.status = status;
    outcome.message = std::move(message);
    return outcome;
}

ExportOutcome Write(const std::filesystem::path& target, const ExportBytes& bytes) {
    if (const auto error = WriteWholeFile(target, QByteArrayView(bytes.bytes.data(),
                                                                 static_cast<qsizetype>(bytes.bytes.size()))))
        return Failed(ExportOutcome::Status::WriteFailed, *error);
    ExportOutcome outcome;
    outcome.cut = bytes.cut;
    return outcome;
}

void Walk(const std::filesystem::path& folder, const std::filesystem::path& relative, bool recursive,
          std::vector<std::filesystem::path>& files, QString& error) {
    const FolderScan scan = ScanFolder(folder / relative, AllExtensions(), {});
    if (!scan.error.isEmpty() && error.isEmpty())
        error = scan.error;
    for (const FoundFile& file : scan.files)
        files.push_back(relative / std::filesystem::path(file.name));
    if (recursive)
        for (const std::filesystem::path& sub : scan.folders)
            Walk(folder, relative / sub.filename(), recursive, files, error);
}

} // namespace

std::string_view ExportExtension(ExportFormat format) {
    switch (format) {
    case ExportFormat::Dxf:
        return "dxf";
    case ExportFormat::Svg:
        return "svg";
    case ExportFormat::Pdf:
        return "pdf";
    }
    return "dxf";
}

std::optional<ExportFormat> ExportFormatOfName(const std::filesystem::path& name) {
    const std::string extension = LowerExtension(name);
    for (const ExportFormat format : {ExportFormat::Dxf, ExportFormat::Svg, ExportFormat::Pdf})
        if (extension == ExportExtension(format))
            return format;
    return std::nullopt;
}

ExportOutcome ExportFile(const std::filesystem::path& source, const std::filesystem::path& target,
                         const ExportOptions& options) {
    FileBytes file(source);
    std::optional<EntityStream> stream;
    try {
        stream = EntityStream::Open(file);
    } catch (const std::exception& e) {
        return Failed(ExportOutcome::Status::ReadFailed, QString::fromUtf8(e.what()));
    }
    if (!stream) {
        if (!file.IsOpen() && file.OpenError() != 0)
            return Failed(ExportOutcome::Status::ReadFailed, QString::fromLocal8Bit(std::strerror(file.OpenError())));
        return Failed(ExportOutcome::Status::NotAFile, QStringLiteral("not a jw_cad figure or drawing file"));
    }
    ExportOutcome outcome;
    try {
        switch (options.format) {
        case ExportFormat::Dxf:
            outcome = Write(target, ExportDxf(*stream, options.dxfVersion));
            break;
        case ExportFormat::Svg:
            outcome = Write(target, ExportSvg(*stream));
            break;
        case ExportFormat::Pdf: {
            const PdfExport pdf = ExportPdf(*stream, target);
            if (pdf.writeError)
                return Failed(ExportOutcome::Status::WriteFailed, *pdf.writeError);
            outcome.cut = pdf.cut;
            break;
        }
        }
    } catch (const std::exception& e) {
        // The file changed under the walk, or memory ran out.
        return Failed(ExportOutcome::Status::ReadFailed, QString::fromUtf8(e.what()));
    }
    outcome.complete = stream->Complete();
    return outcome;
}

FolderExportSummary ExportFolder(
    const std::filesystem::path& folder, const std::filesystem::path& outFolder, const ExportOptions& options,
    bool recursive,
    const std::function<void(const std::filesystem::path&, const std::filesystem::path&, const ExportOutcome&)>&
        each) {
    FolderExportSummary summary;
    std::vector<std::filesystem::path> files;
    Walk(folder, {}, recursive, files, summary.folderError);
    std::sort(files.begin(), files.end());
    const std::string extension = "." + std::string(ExportExtension(options.format));
    for (const std::filesystem::path& relative : files) {
        const std::filesystem::path source = folder / relative;
        std::filesystem::path target = outFolder / relative;
        target += extension;
        ExportOutcome outcome;
        std::error_code error;
        std::filesystem::create_directories(target.parent_path(), error);
        if (error)
            outcome = Failed(ExportOutcome::Status::WriteFailed, QString::fromStdString(error.message()));
        else
            outcome = ExportFile(source, target, options);
        ++(outcome.status == ExportOutcome::Status::Written ? summary.written : summary.failed);
        if (each)
            each(source, target, outcome);
    }
    return summary;
}

} // namespace plavik
