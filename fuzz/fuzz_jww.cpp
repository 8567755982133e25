// Feeds any bytes to the .jww drawing reader and renderer (see jwwtarget.h).
#include "jwwtarget.h"

#include "render/jwc.h"

using namespace plavik;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    return fuzz::RunTarget(bytes, JwwKind::Drawing, IsJwwData(bytes), kJwcBorder | kJwcText | kJwcAuxLines,
                           kJwcText | kJwcBaseLines, TRect{0, 0, 100, 71}, ".jww",
                           [](Canvas& c, std::span<const std::uint8_t> b, const TRect& r, int flags,
                              JwwInfo* info) { return DrawJwwData(c, b, r, flags, info); });
}
