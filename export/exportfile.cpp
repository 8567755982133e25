#include "export/exportfile.h"

#include "export/pdfexport.h"
#include "export/svgexport.h"
#include "platform/folderscan.h"
#include "platform/outputfile.h"
#include "render/formats.h"

#include <QByteArrayView>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <thread>

namespace plavik {

namespace {

ExportOutcome Failed(ExportOutcome::Status status, QString message) {
    ExportOutcome outcome;
    outcome.status = status;
    outcome.message = std::move(message);
    return outcome;
}

ExportOutcome Write(const std::filesystem::path& target, const ExportBytes& bytes, OutputBatch* batch) {
    const QByteArrayView view(bytes.bytes.data(), static_cast<qsizetype>(bytes.bytes.size()));
    if (const auto error = batch ? batch->Add(target, view) : WriteWholeFile(target, view))
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

// Exports source to target with the format's extension added, making the target's folders first.
ExportOutcome ExportOne(const std::filesystem::path& source, const std::filesystem::path& target,
                        const ExportOptions& options, OutputBatch& batch) {
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error)
        return Failed(ExportOutcome::Status::WriteFailed, QString::fromLocal8Bit(error.message()));
    return ExportFile(source, target, options, &batch);
}

// Threads of a batch: a good part of an export's time is the file system's, creating its outputs,
// which several threads wait for at once.
constexpr unsigned kBatchThreads = 8;
// Files put in place together, after one sync of the disk.
constexpr std::size_t kBatchFiles = 1000;

// Exports each source to its target (the extension still to add) on a few threads, then tells each in
// the order given.
FolderExportSummary ExportAll(
    const std::vector<std::pair<std::filesystem::path, std::filesystem::path>>& jobs, const ExportOptions& options,
    const std::function<void(const std::filesystem::path&, const std::filesystem::path&, const ExportOutcome&)>&
        each) {
    std::vector<std::filesystem::path> targets;
    targets.reserve(jobs.size());
    for (const auto& [source, target] : jobs)
        targets.push_back(std::filesystem::path(target) += "." + std::string(ExportExtension(options.format)));
    std::vector<ExportOutcome> outcomes(jobs.size());
    for (std::size_t first = 0; first < jobs.size(); first += kBatchFiles) {
        const std::size_t end = std::min(jobs.size(), first + kBatchFiles);
        OutputBatch batch;
        std::atomic<std::size_t> next{first};
        const auto work = [&] {
            for (std::size_t i = next++; i < end; i = next++)
                outcomes[i] = ExportOne(jobs[i].first, targets[i], options, batch);
        };
        std::vector<std::thread> threads;
        const unsigned count = static_cast<unsigned>(std::min<std::size_t>(kBatchThreads, end - first));
        for (unsigned t = 1; t < count; ++t)
            threads.emplace_back(work);
        work();
        for (std::thread& thread : threads)
            thread.join();
        const auto failures = batch.Commit();
        for (std::size_t i = first; i < end && !failures.empty(); ++i)
            for (const auto& [target, error] : failures)
                if (target == targets[i])
                    outcomes[i] = Failed(ExportOutcome::Status::WriteFailed, error);
    }
    FolderExportSummary summary;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        ++(outcomes[i].status == ExportOutcome::Status::Written ? summary.written : summary.failed);
        if (each)
            each(jobs[i].first, targets[i], outcomes[i]);
    }
    return summary;
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
                         const ExportOptions& options, OutputBatch* batch) {
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
            outcome = Write(target, ExportDxf(*stream, options.dxfVersion), batch);
            break;
        case ExportFormat::Svg:
            outcome = Write(target, ExportSvg(*stream), batch);
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
    outcome.cut = outcome.cut || stream->Cut(); // a walk stopped at its most entities
    return outcome;
}

FolderExportSummary ExportFolder(
    const std::filesystem::path& folder, const std::filesystem::path& outFolder, const ExportOptions& options,
    bool recursive,
    const std::function<void(const std::filesystem::path&, const std::filesystem::path&, const ExportOutcome&)>&
        each) {
    QString folderError;
    std::vector<std::filesystem::path> files;
    Walk(folder, {}, recursive, files, folderError);
    std::sort(files.begin(), files.end());
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> jobs;
    for (const std::filesystem::path& relative : files)
        jobs.emplace_back(folder / relative, outFolder / relative);
    FolderExportSummary summary = ExportAll(jobs, options, each);
    summary.folderError = folderError;
    return summary;
}

FolderExportSummary ExportFiles(
    const std::vector<std::filesystem::path>& files, const std::filesystem::path& outFolder,
    const ExportOptions& options,
    const std::function<void(const std::filesystem::path&, const std::filesystem::path&, const ExportOutcome&)>&
        each) {
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> jobs;
    for (const std::filesystem::path& file : files)
        jobs.emplace_back(file, outFolder / file.filename());
    return ExportAll(jobs, options, each);
}

QString ExportFailureText(const std::filesystem::path& source, const ExportOutcome& outcome) {
    QString why = outcome.message;
    if (outcome.status == ExportOutcome::Status::NotAFile)
        why = QStringLiteral("jw_cad の図形・図面ファイルではありません");
    else if (outcome.status == ExportOutcome::Status::WriteFailed)
        why = QStringLiteral("書き出せません: ") + outcome.message;
    return DisplayName(source.filename()) + QStringLiteral(": ") + why;
}

} // namespace plavik
