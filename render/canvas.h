// The drawing surface the renderers draw on: what they need of a Windows device context.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plavik {

// A Windows colour: 0x00BBGGRR.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}

struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Covers left <= x < right, top <= y < bottom.
struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

enum class PenStyle { Solid, Clear };
enum class BrushStyle { Solid, Clear };

struct Pen {
    COLORREF color = 0;
    PenStyle style = PenStyle::Solid;
    int width = 0; // 0 = the thinnest line the device draws
    friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
    COLORREF color = 0x00FFFFFF;
    BrushStyle style = BrushStyle::Solid;
    friend bool operator==(const Brush&, const Brush&) = default;
};

// Font name used when nothing else was chosen; the platform maps it to an installed font.
inline constexpr const char* kDefaultFontName = "ＭＳ Ｐゴシック";

// A logical font as Windows has it. Height < 0 asks for that character height in pixels,
// height > 0 for that cell height (character height plus internal leading).
struct Font {
    std::string name = kDefaultFontName; // UTF-8
    int height = -11;
    COLORREF color = 0;
    int escapement = 0; // tenths of a degree, counter-clockwise
    friend bool operator==(const Font&, const Font&) = default;
};

enum class DeviceCap {
    LogPixelsX,
    LogPixelsY,
    PhysicalWidth,
    PhysicalHeight,
    PhysicalOffsetX,
    PhysicalOffsetY
};

// Windows semantics hold on every implementation: LineTo paints from the pen position up to, but not
// including, the end point and leaves the pen there; lines are not antialiased; FillRect covers
// left <= x < right, top <= y < bottom. Text is given as the file's bytes (code page 932).
class Canvas {
public:
    virtual ~Canvas() = default;

    const Pen& GetPen() const { return pen_; }
    const Brush& GetBrush() const { return brush_; }
    const Font& GetFont() const { return font_; }
    TPoint PenPos() const { return penPos_; }

    virtual void SetPen(const Pen& pen) { pen_ = pen; }
    virtual void SetBrush(const Brush& brush) { brush_ = brush; }
    virtual void SetFont(const Font& font) { font_ = font; }

    void SetPenColor(COLORREF c) {
        Pen p = pen_;
        p.color = c;
        SetPen(p);
    }
    void SetPenStyle(PenStyle s) {
        Pen p = pen_;
        p.style = s;
        SetPen(p);
    }
    void SetPenWidth(int w) {
        Pen p = pen_;
        p.width = w;
        SetPen(p);
    }
    void SetBrushColor(COLORREF c) {
        Brush b = brush_;
        b.color = c;
        SetBrush(b);
    }
    void SetBrushStyle(BrushStyle s) {
        Brush b = brush_;
        b.style = s;
        SetBrush(b);
    }
    void SetFontHeight(int h) {
        Font f = font_;
        f.height = h;
        SetFont(f);
    }
    void SetFontColor(COLORREF c) {
        Font f = font_;
        f.color = c;
        SetFont(f);
    }

    virtual void MoveTo(int x, int y) { penPos_ = {x, y}; }
    // Draws with the pen from the pen position to (x, y), end excluded; the pen ends at (x, y).
    virtual void LineTo(int x, int y) = 0;
    // Fills with the brush (nothing when the brush is clear).
    virtual void FillRect(const TRect& r) = 0;
    virtual void SetPixel(int x, int y, COLORREF color) = 0;
    // Draws text with its top-left corner (before turning by the font's escapement) at (x, y),
    // on an opaque box of the brush colour when the brush is solid.
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;
    virtual int GetDeviceCaps(DeviceCap cap) const = 0;
    // The device area that can show anything: drawing outside it has no effect.
    virtual TRect Bounds() const = 0;

    // Bracket a run of pen moves and lines (an arc's chords, a dashed line) that a canvas may gather
    // and draw together; everything drawn in between has reached the device when the outermost
    // EndLines returns. Pairs nest. The default draws every line at once.
    virtual void BeginLines() {}
    virtual void EndLines() {}

protected:
    void SetPenPosition(TPoint p) { penPos_ = p; }

private:
    Pen pen_;
    Brush brush_;
    Font font_;
    TPoint penPos_;
};

// Holds a canvas in a run of lines (BeginLines .. EndLines) for the guard's scope.
class LineRun {
public:
    explicit LineRun(Canvas& canvas) : canvas_(canvas) { canvas_.BeginLines(); }
    ~LineRun() { canvas_.EndLines(); }
    LineRun(const LineRun&) = delete;
    LineRun& operator=(const LineRun&) = delete;

private:
    Canvas& canvas_;
};

} // namespace plavik
