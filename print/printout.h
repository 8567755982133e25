// Printing the listed files on a QPrinter as sheets of pictures with captions, with the progress
// window.
#pragma once

#include "print/printcore.h"

class QPrinter;
class QWidget;

namespace plavik {

// Prints every listed file on printer: one cell each, down the columns, across, then on new sheets.
// Shows the progress window (whose button sets cancelPrint) and disables owner meanwhile; a cancelled
// job leaves nothing. Whatever happens the window is freed and owner enabled again.
PrintResult PrintList(QPrinter& printer, const PrintRequest& request, QWidget* owner, bool& cancelPrint);

} // namespace plavik
