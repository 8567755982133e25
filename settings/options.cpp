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
    if (settings.prcFitContent)
        flags |= kJwcFitContent;
    return flags;
}

RenderOptions RenderOptionsFor(ListKind kind, const TListSettings& settings) {
    return {kind == ListKind::Figures ? SetOption(settings) : SetOption2(settings), settings.Colors};
}

bool ListsRejected(ListKind kind, const TListSettings& settings) {
    return kind == ListKind::Figures ? settings.UnKnownJwk : settings.UnKnownJwc;
}

ListingOptions ListingOptionsFor(ListKind kind, const TListSettings& settings) {
    ListingOptions options;
    options.kind = kind;
    options.render = RenderOptionsFor(kind, settings);
    options.listRejected = ListsRejected(kind, settings);
    options.thumbnailSize =
        ThumbnailSize(kind, kind == ListKind::Figures ? settings.IconSize : settings.IconSize2);
    return options;
}

} // namespace plavik
