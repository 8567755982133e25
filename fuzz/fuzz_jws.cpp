// Feeds any bytes to the .jws figure reader and renderer (see jwwtarget.h).
#include "jwwtarget.h"

#include "render/jwk.h"

using namespace plavik;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    return fuzz::RunTarget(
        bytes, JwwKind::Figure, IsJwsData(bytes), kJwkBorder | kJwkText | kJwkAuxLines | kJwkRefPoint, 0,
        TRect{0, 0, 64, 64}, ".jws",
        [](Canvas& c, std::span<const std::uint8_t> b, const TRect& r, int flags, JwwInfo* info) {
            return DrawJwsData(c, b, r, flags, kDefaultJwkColors, info);
        });
}
