#include "render/jtool.h"

#include "render/clip.h"
#include "render/codepage.h"
#include "render/numbers.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <exception>
#include <string>

namespace plavik {

namespace {

thread_local LineState t_lineState;

// Pattern entries in points (multiples of the device unit), drawn and gap alternating.
struct Pattern {
    int count;
    int k[6];
};

constexpr Pattern kPatterns[8] = {
    {2, {2, 2}},              // 2
    {2, {4, 4}},              // 3
    {2, {6, 2}},              // 4
    {4, {25, 4, 2, 4}},       // 5
    {4, {50, 8, 4, 8}},       // 6
    {6, {25, 2, 2, 2, 2, 2}}, // 7
    {6, {50, 4, 4, 4, 4, 4}}, // 8
    {2, {1, 7}},              // 9
};

constexpr int kMaxEntries = 100;
// No entry grows beyond this, so that the sum of a pattern always fits an int, even for a device
// that reports an absurd resolution.
constexpr int kMaxEntryLength = kDeviceLimit / 8;
// Pattern repetitions this far outside the canvas are skipped rather than walked.
constexpr double kClipMargin = 256.0;
// Bytes of text kept beyond two per pixel of the canvas's width and height.
constexpr std::size_t kSpareTextBytes = 1024;
// A logical font's face name holds 31 bytes of code page 932 and a terminating zero.
constexpr std::size_t kFaceNameBytes = 31;

// Odd entries are drawn, even entries are gaps.
void StepTo(Canvas& canvas, int entry, int x, int y) {
    if (entry % 2 == 1)
        canvas.LineTo(x, y);
    else
        canvas.MoveTo(x, y);
}

// The part [t0, t1] of the ray (x0, y0) + t (ux, uy), 0 <= t <= len, inside the rectangle grown by
// kClipMargin. False when no part is inside.
bool ClipRay(double x0, double y0, double ux, double uy, double len, const TRect& b, double& t0, double& t1) {
    t0 = 0;
    t1 = len;
    return ClipLine(x0, y0, ux, uy, b.left - kClipMargin, b.top - kClipMargin, b.right + kClipMargin,
                    b.bottom + kClipMargin, t0, t1);
}

// Cuts a UTF-8 face name so that its code page 932 form fits a logical font's face field: ASCII and
// half-width katakana take one byte there, everything else two. Never splits a character.
std::string FitFaceName(const std::string& name) {
    std::size_t bytes = 0;
    std::size_t i = 0;
    while (i < name.size()) {
        const unsigned char lead = static_cast<unsigned char>(name[i]);
        std::size_t len = 1;
        if (lead >= 0xF0)
            len = 4;
        else if (lead >= 0xE0)
            len = 3;
        else if (lead >= 0xC0)
            len = 2;
        len = std::min(len, name.size() - i);
        // U+FF61..U+FF9F (half-width katakana) is EF BD A1..EF BE 9F in UTF-8.
        const bool halfWidth = len == 3 && lead == 0xEF &&
                               ((static_cast<unsigned char>(name[i + 1]) == 0xBD &&
                                 static_cast<unsigned char>(name[i + 2]) >= 0xA1) ||
                                static_cast<unsigned char>(name[i + 1]) == 0xBE);
        const std::size_t cp932 = (lead < 0x80 || halfWidth) ? 1 : 2;
        if (bytes + cp932 > kFaceNameBytes)
            break;
        bytes += cp932;
        i += len;
    }
    return name.substr(0, i);
}

// Walks the dash pattern over a segment of length d from (px, py) in the direction (ux, uy), ending
// at (x, y), and leaves the phase where the segment ends. With a canvas it draws the dashes; without
// one it only moves the phase, exactly as drawing would. Returns the canvas calls made.
int WalkDash(Canvas* canvas, LineState& s, double px, double py, double ux, double uy, double d, int x,
             int y) {
    // Work on a sanitised copy of the pattern, so that no state can make the walk misbehave.
    const int count = std::clamp(s.DashCount, 0, kMaxEntries);
    int dash[kMaxEntries + 1] = {};
    std::int64_t total = 0;
    for (int j = 1; j <= count; ++j) {
        dash[j] = std::clamp(s.Dash[j], 0, kMaxEntryLength);
        total += dash[j];
    }
    // A pattern whose entries all round to nothing cannot be walked: draw it solid.
    if (total == 0) {
        if (canvas)
            canvas->LineTo(x, y);
        return 1;
    }
    int calls = 0;
    const auto step = [&](int entry, int tx, int ty) {
        ++calls;
        if (canvas)
            StepTo(*canvas, entry, tx, ty);
    };
    const auto move = [&](int tx, int ty) {
        ++calls;
        if (canvas)
            canvas->MoveTo(tx, ty);
    };

    // Finish the entry the previous segment stopped in, then the rest of that pattern.
    if (s.DashIndex > 1 || s.DashOffset > 1) {
        for (int j = std::max(s.DashIndex, 1); j <= count; ++j) {
            // An entry overrun by a pattern change counts as used up.
            const double r = static_cast<double>(
                std::max<std::int64_t>(0, static_cast<std::int64_t>(dash[j]) - s.DashOffset + 1));
            if (r > d) {
                step(j, x, y);
                s.DashOffset += Round(d);
                s.DashIndex = j;
                return calls;
            }
            px += r * ux;
            py += r * uy;
            step(j, ToDevice(px), ToDevice(py));
            d -= r;
            s.DashOffset = 1;
        }
    }

    double stepX[kMaxEntries + 1];
    double stepY[kMaxEntries + 1];
    for (int j = 1; j <= count; ++j) {
        stepX[j] = dash[j] * ux;
        stepY[j] = dash[j] * uy;
    }

    // Whole patterns. Only the repetitions that reach the canvas (grown by a margin) are walked; the
    // others end with a gap, so skipping them is one pen move, and the phase is unchanged by whole
    // repetitions.
    const double totalLength = static_cast<double>(total);
    const std::int64_t m = static_cast<std::int64_t>(std::trunc(d / totalLength));
    std::int64_t first = canvas ? 0 : m;
    std::int64_t last = m;
    if (m > 0 && canvas) {
        double t0 = 0;
        double t1 = 0;
        if (!ClipRay(px, py, ux, uy, d, canvas->Bounds(), t0, t1)) {
            first = m;
        } else if (t0 > 0 || t1 < d) {
            first = std::clamp(static_cast<std::int64_t>(std::floor(t0 / totalLength)), std::int64_t{0}, m);
            last = std::clamp(static_cast<std::int64_t>(std::ceil(t1 / totalLength)), first, m);
        }
    }
    const double bx = px;
    const double by = py;
    if (first > 0) {
        const double skip = static_cast<double>(first) * totalLength;
        px = bx + skip * ux;
        py = by + skip * uy;
        move(ToDevice(px), ToDevice(py));
    }
    for (std::int64_t i = first; i < last; ++i) {
        for (int j = 1; j <= count; ++j) {
            px += stepX[j];
            py += stepY[j];
            step(j, ToDevice(px), ToDevice(py));
        }
    }
    if (last < m) {
        const double skip = static_cast<double>(m) * totalLength;
        px = bx + skip * ux;
        py = by + skip * uy;
        move(ToDevice(px), ToDevice(py));
    }
    d -= static_cast<double>(m) * totalLength;

    // The tail: the segment ends inside one of the entries.
    for (int j = 1; j <= count; ++j) {
        if (dash[j] > d) {
            step(j, x, y);
            s.DashOffset = Round(d) + 1;
            s.DashIndex = j;
            return calls;
        }
        px += stepX[j];
        py += stepY[j];
        step(j, ToDevice(px), ToDevice(py));
        d -= dash[j];
    }
    // Only rounding can get here; the pen still has to end at the end point.
    move(x, y);
    s.DashIndex = 1;
    s.DashOffset = 1;
    return calls;
}

int DashedLineTo(Canvas& canvas, LineState& s, int x, int y) {
    const TPoint pen = canvas.PenPos();
    const double dx = static_cast<double>(x) - pen.x;
    const double dy = static_cast<double>(y) - pen.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d == 0)
        return 0;
    return WalkDash(&canvas, s, pen.x, pen.y, dx / d, dy / d, d, x, y);
}

} // namespace

LineState& CurrentLineState() {
    return t_lineState;
}

std::span<const int> LineTypeDashes(int lineType) {
    if (lineType < 2 || lineType > 9)
        return {};
    const Pattern& p = kPatterns[lineType - 2];
    return {p.k, static_cast<std::size_t>(p.count)};
}

void SetLineType(Canvas& canvas, int lineType) {
    LineState& s = t_lineState;
    s.LineKind = lineType;
    const float u = static_cast<float>(canvas.GetDeviceCaps(DeviceCap::LogPixelsX) / 72.0);
    if (lineType >= 2 && lineType <= 9) {
        const Pattern& p = kPatterns[lineType - 2];
        for (int i = 0; i < p.count; ++i)
            s.Dash[i + 1] = std::clamp(Round(p.k[i] * static_cast<double>(u)), 0, kMaxEntryLength);
        s.DashCount = p.count;
    }
    std::int64_t total = 0;
    for (int j = 1; j <= std::clamp(s.DashCount, 0, kMaxEntries); ++j)
        total += s.Dash[j];
    s.DashTotal = static_cast<int>(std::clamp<std::int64_t>(total, INT_MIN, INT_MAX));
}

void JMoveTo(Canvas& canvas, int x, int y) {
    LineState& s = t_lineState;
    canvas.MoveTo(x, y);
    Pen pen = canvas.GetPen();
    pen.style = PenStyle::Solid;
    pen.width = s.PenWidth;
    canvas.SetPen(pen);
    s.DashIndex = 1;
    s.DashOffset = 1;
}

int JLineTo(Canvas& canvas, int x, int y) {
    LineState& s = t_lineState;
    if (s.LineKind == 1)
        canvas.LineTo(x, y);
    else if (s.LineKind == 0)
        canvas.MoveTo(x, y);
    else
        return DashedLineTo(canvas, s, x, y);
    return 1;
}

void AdvanceDash(double length) {
    LineState& s = t_lineState;
    if (s.LineKind == 0 || s.LineKind == 1 || !(length > 0))
        return;
    // Where the walk ends does not matter without a canvas; only the phase it leaves does.
    WalkDash(nullptr, s, 0, 0, 1, 0, std::min(length, 0x1p60), 0, 0);
}

std::size_t ShownBytes(const Canvas& canvas) {
    const TRect b = canvas.Bounds();
    const double extent = std::max(0.0, static_cast<double>(b.right) - b.left) +
                          std::max(0.0, static_cast<double>(b.bottom) - b.top);
    return static_cast<std::size_t>(2.0 * extent) + kSpareTextBytes;
}

std::string_view ShownPrefix(const Canvas& canvas, std::string_view text) {
    const std::size_t limit = ShownBytes(canvas);
    if (text.size() <= limit)
        return text;
    return text.substr(0, WholeCharacterBytes(text, limit));
}

void JTextOut(Canvas& canvas, int x, int y, std::string_view text, int height, int angle, COLORREF color) {
    text = ShownPrefix(canvas, text);
    try {
        Font font;
        font.name = FitFaceName(canvas.GetFont().name);
        font.height = height;
        // Every angle is turned into 0..3599 tenths, so that a text running downwards (-900) is
        // drawn at 2700 rather than flat; full turns give horizontal text.
        font.escapement = (angle % 3600 + 3600) % 3600;
        font.color = color;
        canvas.SetFont(font);
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.TextOut(x, y, text);
    } catch (...) {
        // A font that cannot be made or a text that cannot be drawn leaves the text out; the
        // drawing goes on.
    }
}

} // namespace plavik
