// The list printout straight into a PDF file, without a printer or a window.
#pragma once

#include "print/printcore.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>

namespace plavik {

// The sheets of a PDF printout. The margins are none: a PDF has no unprintable border.
struct PdfSheets {
    QPageSize size{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int dpi = 600;
};

// Prints the list to the PDF file target, titled with the job title. The file appears only when the
// job ends well; a cancelled or failed job leaves the target as it was and no partial file behind.
PrintResult PrintListToPdf(const QString& target, const PdfSheets& sheets, const PrintRequest& request,
                           PrintProgress& progress);

} // namespace plavik
