// The printer set-up command's dialog.
#pragma once

class QPrinter;
class QWidget;

namespace plavik {

// Runs Qt's print dialog as a printer set-up: the printer to print on and its properties (paper,
// orientation, two-sided, the printer's own options), confirmed with OK. What it chooses is set on
// printer, which the print command then starts from. False when cancelled, printer unchanged.
bool RunPrinterSetup(QPrinter& printer, QWidget* parent);

} // namespace plavik
