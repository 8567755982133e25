// Export of figure and drawing files, one or a folder of them, to DXF, SVG or PDF: what the command
// line and the window both call.
#pragma once

#include "export/dxfexport.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace plavik {

class OutputBatch;

enum class ExportFormat { Dxf, Svg, Pdf };

struct ExportOptions {
    ExportFormat format = ExportFormat::Dxf;
    DxfVersion dxfVersion = DxfVersion::R2000;
};

// The extension of an output format, without the dot: "dxf", "svg", "pdf".
std::string_view ExportExtension(ExportFormat format);
// The format an output's name asks for by its extension (in any case); nothing for others.
std::optional<ExportFormat> ExportFormatOfName(const std::filesystem::path& name);

struct ExportOutcome {
    enum class Status {
        Written,     // the output is in place
        NotAFile,    // the source is none of the four formats (or cannot be opened)
        ReadFailed,  // a recognised source that cannot be read
        WriteFailed, // the output cannot be written; an earlier file stays as it was
    };
    Status status = Status::Written;
    QString message; // why it failed: the reader's or the system's text
    bool cut = false; // written, but entities were left out to keep within the limit of bytes, or
                      // beyond the most entities a walk visits
    bool complete = true; // false when the source broke off and what came before the break was written
};

// Exports one file. Never throws for what a file holds. With a batch, a DXF or SVG output is added to
// it, to be put in place when the batch is committed.
ExportOutcome ExportFile(const std::filesystem::path& source, const std::filesystem::path& target,
                         const ExportOptions& options, OutputBatch* batch = nullptr);

struct FolderExportSummary {
    int written = 0;
    int failed = 0;
    QString folderError; // the folder itself cannot be read
};

// Exports the figure and drawing files of folder (and of its folders with recursive, hidden ones
// left out) into outFolder: each output at its source's path relative to folder, the format's
// extension added ("plan.jww" → "plan.jww.dxf"), names kept byte for byte, several files at a time.
// each is told of every file, in name order, once all are done; a file that fails never stops the
// others.
FolderExportSummary ExportFolder(
    const std::filesystem::path& folder, const std::filesystem::path& outFolder, const ExportOptions& options,
    bool recursive,
    const std::function<void(const std::filesystem::path& source, const std::filesystem::path& target,
                             const ExportOutcome& outcome)>& each = {});

// Exports the given files into outFolder, each under its own name with the format's extension added,
// telling each as ExportFolder does.
FolderExportSummary ExportFiles(
    const std::vector<std::filesystem::path>& files, const std::filesystem::path& outFolder,
    const ExportOptions& options,
    const std::function<void(const std::filesystem::path& source, const std::filesystem::path& target,
                             const ExportOutcome& outcome)>& each = {});

// One line for a failed export, for the window: the file's name and why ("plan.jww: ...").
QString ExportFailureText(const std::filesystem::path& source, const ExportOutcome& outcome);

} // namespace plavik
