// The tool bar's pictures and the program's icon, drawn in code.
#pragma once

#include <QIcon>

namespace plavik {

QIcon OpenIcon();    // an opening folder
QIcon PrintIcon();   // a printer with a sheet
QIcon DeleteIcon();  // a red cross over a list
QIcon ProgramIcon(); // a sheet with a grid of thumbnails

} // namespace plavik
