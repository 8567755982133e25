// One drawing alone on a page: at true scale on its sheet (1 mm of the sheet is 1 mm of paper) or
// fitted to the printable area.
#pragma once

#include "render/formats.h"

#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

class QPainter;
class QPrinter;

namespace plavik {

enum class DrawingScale { TrueScale, FitPage };

// The sheet a file prints on at true scale, in millimetres, landscape: the A-size of a .jww's paper
// code. Nothing for the other formats and paper codes, whose sheets are not known in millimetres.
std::optional<QSizeF> TrueScaleSheet(FileFormat format, std::span<const std::uint8_t> bytes);

// The frame the renderer stretches the file's sheet over, in device pixels of a painter whose origin
// is the corner of layout's printable area on a device of dpi: at true scale the sheet's millimetres
// centred on the paper, else the largest rectangle of proportion (width / height) in the printable
// area, centred on it.
QRectF PrintFrame(DrawingScale scale, const QSizeF& sheet, double proportion, const QPageLayout& layout,
                  double dpiX, double dpiY);

// The orientation whose paper the sheet (or a frame of proportion) fits best.
QPageLayout::Orientation SheetOrientation(const QSizeF& sheet, double proportion);

// The option flags of a printed drawing: texts as characters, no auxiliary lines, no frame; with
// colour, a .jww's own printer pens.
int PrintFlags(ListKind kind, bool content, bool colour = false);

// Prints the file's bytes alone on one page of printer, its orientation turned to the sheet's, with
// layers shown as given (or as the file saved them), without what the format never prints. Falls back to the
// page's size when the sheet is not known. The failure's text, or nothing when the page went out.
std::optional<QString> PrintDrawing(QPrinter& printer, const QString& title, FileFormat format, ListKind kind,
                                    std::span<const std::uint8_t> bytes, const RenderOptions& options,
                                    DrawingScale scale);

} // namespace plavik
