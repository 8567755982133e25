#include "settings/options.h"

#include "render/jwc.h"
#include "render/jwk.h"

namespace plavik {

int SetOption(const TListSettings& settings) {
    int flags = 0;
    if (settings.prBorder)
        flags |= kJwkBorder;
    if (settings.prText)
        flags |= kJwkText;
    if (settings.prAddLine)
        flags |= kJwkAuxLines;
    if (settings.prPos)
        flags |= kJwkRefPoint;
    return flags;
}

int SetOption2(const TListSettings& settings) {
    int flags = 0;
    if (settings.prcBorder)
        flags |= kJwcBorder;
    if (settings.prcTextMode == 2 || settings.prcTextMode == 3)
        flags |= kJwcText;
    if (settings.prcTextMode == 2)
        flags |= kJwcBaseLines;
    if (settings.prcAddLine)
        flags |= kJwcAuxLines;
    return flags;
}

} // namespace plavik
