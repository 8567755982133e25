// Small rules of the file list that need no window.
#pragma once

#include <QString>

namespace plavik {

// Status panel 1's text for a list of count items.
QString FileCountText(int count);

} // namespace plavik
