#include "render/card.h"

namespace plavik {

void DrawNotFileCard(Canvas& canvas, const TRect& rect, std::string_view words) {
    const int w = rect.Width();
    const int h = rect.Height();
    canvas.SetBrush({0x00FFFFFF, BrushStyle::Solid});
    canvas.SetPen({0x00FFFFFF, PenStyle::Solid, canvas.GetPen().width});
    canvas.FillRect(rect);
    Font font = canvas.GetFont();
    font.color = 0x000000FF;
    font.height = 12;
    font.escapement = 0;
    canvas.SetFont(font);
    int textWidth = canvas.TextWidth(words);
    while (textWidth > w) {
        canvas.SetFontHeight(canvas.GetFont().height - 1);
        textWidth = canvas.TextWidth(words);
        if (canvas.GetFont().height < 0)
            break;
    }
    const int textHeight = canvas.TextHeight(words);
    canvas.TextOut(rect.left + (w - textWidth) / 2, rect.top + (h - textHeight) / 2, words);
}

} // namespace plavik
