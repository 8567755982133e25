// The option flags handed to the renderers, built from the settings at every render call.
#pragma once

#include "settings/listsettings.h"

namespace plavik {

// Flags for DrawJwk: border 1, texts 2, auxiliary lines 4, reference point 8.
int SetOption(const TListSettings& settings);

// Flags for DrawJwc: border 1, texts 2 (text mode 2 or 3), base lines only 4 (text mode 2),
// auxiliary lines 8. Any other text mode sets neither text bit.
int SetOption2(const TListSettings& settings);

} // namespace plavik
