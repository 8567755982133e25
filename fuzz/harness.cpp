#include "harness.h"

#include "render/errors.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <unistd.h>

#ifdef PLAVIK_FUZZ_RASTER
#include "platform/rastercanvas.h"

#include <QGuiApplication>
#include <QImage>
#endif

namespace plavik::fuzz {

namespace {

constexpr std::size_t kFoldEvery = 1024;

void Mix(std::uint64_t& h, std::uint64_t v) {
    h = (h ^ v) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
}

void MixText(std::uint64_t& h, std::string_view s) {
    Mix(h, s.size());
    for (unsigned char c : s)
        Mix(h, c);
}

void MixCall(std::uint64_t& h, const test::CanvasCall& c) {
    Mix(h, static_cast<std::uint64_t>(c.kind));
    for (int v : {c.from.x, c.from.y, c.to.x, c.to.y, c.rect.left, c.rect.top, c.rect.right, c.rect.bottom})
        Mix(h, static_cast<std::uint32_t>(v));
    Mix(h, c.color);
    MixText(h, c.text);
    Mix(h, c.pen.color);
    Mix(h, static_cast<std::uint64_t>(c.pen.style));
    Mix(h, static_cast<std::uint32_t>(c.pen.width));
    Mix(h, c.brush.color);
    Mix(h, static_cast<std::uint64_t>(c.brush.style));
    MixText(h, c.font.name);
    Mix(h, static_cast<std::uint32_t>(c.font.height));
    Mix(h, c.font.color);
    Mix(h, static_cast<std::uint32_t>(c.font.escapement));
}

} // namespace

DigestCanvas::DigestCanvas() : hash_(0xCBF29CE484222325ull) {
    // A face name short enough to live inside its string keeps every logged call free of
    // allocations; the log of a file of many chords is then cheap.
    Font font = GetFont();
    font.name = "F";
    RecordingCanvas::SetFont(font);
    calls.clear();
    calls.reserve(kFoldEvery);
}

void DigestCanvas::Fold(bool always) {
    if (!always && calls.size() < kFoldEvery)
        return;
    for (const test::CanvasCall& c : calls)
        MixCall(hash_, c);
    count_ += calls.size();
    calls.clear();
}

std::uint64_t DigestCanvas::Digest() {
    Fold(true);
    return hash_;
}

void DigestCanvas::SetPen(const Pen& pen) {
    RecordingCanvas::SetPen(pen);
    Fold();
}
void DigestCanvas::SetBrush(const Brush& brush) {
    RecordingCanvas::SetBrush(brush);
    Fold();
}
void DigestCanvas::SetFont(const Font& font) {
    RecordingCanvas::SetFont(font);
    Fold();
}
// Pen moves, lines and pixels are by far the most calls: they go straight into the digest, with
// what the recording canvas would log of them, and keep the pen position as it does.
void DigestCanvas::MoveTo(int x, int y) {
    Fold(true);
    Canvas::MoveTo(x, y);
    Mix(hash_, static_cast<std::uint64_t>(test::CallKind::MoveTo));
    Mix(hash_, (std::uint64_t{static_cast<std::uint32_t>(x)} << 32) | static_cast<std::uint32_t>(y));
    ++count_;
}
void DigestCanvas::LineTo(int x, int y) {
    Fold(true);
    const TPoint from = PenPos();
    SetPenPosition({x, y});
    Mix(hash_, static_cast<std::uint64_t>(test::CallKind::LineTo));
    Mix(hash_,
        (std::uint64_t{static_cast<std::uint32_t>(from.x)} << 32) | static_cast<std::uint32_t>(from.y));
    Mix(hash_, (std::uint64_t{static_cast<std::uint32_t>(x)} << 32) | static_cast<std::uint32_t>(y));
    Mix(hash_, (std::uint64_t{GetPen().color} << 32) | (static_cast<std::uint64_t>(GetPen().style) << 31) |
                   static_cast<std::uint32_t>(GetPen().width));
    ++count_;
}
void DigestCanvas::FillRect(const TRect& r) {
    RecordingCanvas::FillRect(r);
    Fold();
}
void DigestCanvas::SetPixel(int x, int y, COLORREF color) {
    Fold(true);
    Mix(hash_, static_cast<std::uint64_t>(test::CallKind::SetPixel));
    Mix(hash_, (std::uint64_t{static_cast<std::uint32_t>(x)} << 32) | static_cast<std::uint32_t>(y));
    Mix(hash_, color);
    ++count_;
}
void DigestCanvas::TextOut(int x, int y, std::string_view text) {
    RecordingCanvas::TextOut(x, y, text);
    Fold();
}

Outcome Run(const std::function<int()>& draw) {
    Outcome outcome;
    try {
        outcome.result = draw();
    } catch (const ReadError& e) {
        outcome.raised = true;
        outcome.message = e.what();
    } catch (const ConvertError& e) {
        outcome.raised = true;
        outcome.message = e.what();
    }
    return outcome;
}

void Check(bool condition, const char* what) {
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

#ifdef PLAVIK_FUZZ_RASTER

void StartQt(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt keeps a reference to argc, and tearing the application down at exit runs after Qt's own
    // globals are gone: it lives as long as the process and is never deleted.
    static int argc = 1;
    static char name[] = "plavik-fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

bool RasterAvailable() {
    return true;
}

Outcome DrawOnRaster(int width, int height, const std::function<int(Canvas&, const TRect&)>& draw) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(0x808080);
    RasterCanvas canvas(image);
    return Run([&] { return draw(canvas, TRect{0, 0, width, height}); });
}

#else

void StartQt(int*, char***) {}
bool RasterAvailable() {
    return false;
}
Outcome DrawOnRaster(int, int, const std::function<int(Canvas&, const TRect&)>&) {
    return {};
}

#endif

std::filesystem::path ScratchFile(std::span<const std::uint8_t> data, const char* extension) {
    static const std::filesystem::path dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "plavik-fuzz-XXXXXX").string();
        Check(mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        });
        return std::filesystem::path(pattern);
    }();
    const std::filesystem::path path = dir / (std::string("input") + extension);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    Check(static_cast<bool>(out), "cannot write the scratch file");
    return path;
}

} // namespace plavik::fuzz
