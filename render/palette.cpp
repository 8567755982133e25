#include "render/palette.h"

namespace plavik {

namespace {
Palette g_jwkColors = {0x00FFFFFF, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

const Palette& JwkColors() { return g_jwkColors; }

void SetJwkColors(const Palette& colors) { g_jwkColors = colors; }

} // namespace plavik
