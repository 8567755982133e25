// PDF files of a stream of entities.
#pragma once

#include "render/entitystream.h"

#include <QString>

#include <filesystem>
#include <optional>

namespace plavik {

struct PdfExport {
    std::optional<QString> writeError; // the system's reason when the file cannot be written
    bool cut = false;                  // entities were left out to keep the file within its limit
};

// Writes what the stream shows to target as one PDF page of the drawing's sheet (or of what is drawn,
// for figures), in vector strokes and selectable text, through the one output writer. An earlier
// file stays as it was when the new one cannot be written. Needs a QGuiApplication for the fonts.
PdfExport ExportPdf(EntityStream& stream, const std::filesystem::path& target);

} // namespace plavik
