// Qt fonts for the logical fonts of the canvases.
#pragma once

#include "render/canvas.h"

#include <QFont>

class QPaintDevice;

namespace plavik {

// Maps the Windows Japanese font names ("ＭＳ ゴシック", "ＭＳ Ｐゴシック", ...) to the IPA fonts when
// the Windows fonts are not installed. Needs a QGuiApplication; calling it again does nothing.
void InstallFontSubstitutions();

// The font of the windows and dialogs: "ＭＳ Ｐゴシック", 12 pixels, whatever the screen's font size.
// Installs the substitutions on first use.
QFont InterfaceFont();

// The largest pixel size that FontFor accepts; taller requests are cut to it.
inline constexpr int kMaxFontPixels = 32767;

// The Qt font for a logical font on a device of `dpi` pixels per inch, with the heights of a Windows
// logical font in device pixels: negative = character height (the em), positive = cell height
// (ascent + descent), 0 = a default size of 9 points. `device`, when given, is the device whose
// metrics decide a positive height. Installs the substitutions on first use.
QFont FontFor(const Font& font, int dpi, const QPaintDevice* device = nullptr);

} // namespace plavik
