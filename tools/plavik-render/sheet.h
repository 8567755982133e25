// The sheet command: a folder listed as the program lists it, printed to a PDF file as the print
// command prints it.
#pragma once

#include "commandline.h"

namespace plavik::tool {

// Lists options.folder, prints the list to options.out (A4, 600 dpi, the job title as the PDF's
// title) with the settings of the INI file or the defaults, and returns the exit status. Needs a
// QGuiApplication for the fonts.
int RunSheet(const SheetOptions& options);

} // namespace plavik::tool
