// What both fuzz targets share: a recording canvas whose log stays small, the QImage canvas, the
// outcome of one render call, and a scratch file for the by-path entry points.
#pragma once

#include "render/canvas.h"
#include "support/recordingcanvas.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

namespace plavik::fuzz {

// A recording canvas that folds its log into a digest as it goes, so that a file drawing millions of
// chords costs neither much time nor memory. Two canvases that saw the same calls in the same order
// end with the same digest.
class DigestCanvas : public test::RecordingCanvas {
public:
    DigestCanvas();
    std::uint64_t Digest();
    std::uint64_t CallCount() const { return count_ + calls.size(); }

    void SetPen(const Pen& pen) override;
    void SetBrush(const Brush& brush) override;
    void SetFont(const Font& font) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void FillRect(const TRect& r) override;
    void SetPixel(int x, int y, COLORREF color) override;
    void TextOut(int x, int y, std::string_view text) override;

private:
    void Fold(bool always = false);
    std::uint64_t hash_;
    std::uint64_t count_ = 0;
};

// How one render call ended: its result, or the message of the reader error it raised.
struct Outcome {
    bool raised = false;
    int result = 0;
    std::string message;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

// Runs draw, turning the readers' own errors into an Outcome. Any other exception escapes and ends
// the run as a crash.
Outcome Run(const std::function<int()>& draw);

// Aborts with a message when the condition does not hold, so that libFuzzer keeps the input.
void Check(bool condition, const char* what);

// Starts Qt on the offscreen platform once, for the raster canvas's text.
void StartQt(int* argc, char*** argv);

// Draws on a QImage of the given size through the raster canvas; false when built without Qt.
bool RasterAvailable();
Outcome DrawOnRaster(int width, int height, const std::function<int(Canvas&, const TRect&)>& draw);

// Writes the bytes to this process's scratch file and returns its path.
std::filesystem::path ScratchFile(std::span<const std::uint8_t> data, const char* extension);

} // namespace plavik::fuzz
