// Text broken into a few lines of a given width, as the list shows its captions.
#pragma once

#include <QFont>
#include <QStringList>

namespace plavik {

// Breaks text into at most maxLines lines no wider than width in font: between words where it can, anywhere
// in a word too long for a line (file names seldom have spaces). When the text needs more lines, the
// last one ends in an ellipsis. An empty text gives no lines.
QStringList WrapText(const QString& text, const QFont& font, int width, int maxLines);

} // namespace plavik
