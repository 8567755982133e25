// The option flags handed to the renderers, built from the settings at every render call.
#pragma once

#include "listing/folderlisting.h"
#include "settings/listsettings.h"

namespace plavik {

// Flags for DrawJwk: border 1, texts 2, auxiliary lines 4, reference point 8.
int SetOption(const TListSettings& settings);

// Flags for DrawJwc: border 1, texts 2 (text mode 2 or 3), base lines only 4 (text mode 2),
// auxiliary lines 8. Any other text mode sets neither text bit.
int SetOption2(const TListSettings& settings);

// The flags of the kind (SetOption or SetOption2) with the figure colours of the settings.
RenderOptions RenderOptionsFor(ListKind kind, const TListSettings& settings);
// Whether the kind's files that the renderer rejects are listed and captioned (UnKnownJwk or UnKnownJwc).
bool ListsRejected(ListKind kind, const TListSettings& settings);
// How the settings list a folder of the kind: its options, whether rejected files are listed, and
// the thumbnail size (IconSize or IconSize2).
ListingOptions ListingOptionsFor(ListKind kind, const TListSettings& settings);

} // namespace plavik
