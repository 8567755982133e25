// Files for the printout tests: writing the listed files, and reading printed PDF files back with
// poppler's tools.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace plavik::test {

// Writes bytes to path; false when it cannot.
bool SaveBytes(const QString& path, const std::vector<std::uint8_t>& bytes);

// True when pdfinfo, pdftotext and pdftoppm are all installed.
bool HavePoppler();

// Standard output of a program, or empty when it does not run.
QString RunTool(const QString& program, const QStringList& args);

// The page count (-1 when unreadable), the title and the page size line of pdfinfo.
int PdfPages(const QString& pdf);
QString PdfTitle(const QString& pdf);
QString PdfPageSize(const QString& pdf);

// pdftotext -layout of the whole file.
QString PdfText(const QString& pdf);

// Page `page` (1-based) rendered at `dpi`; a null image when it cannot be rendered.
QImage PdfPage(const QString& pdf, int page, int dpi);

} // namespace plavik::test
