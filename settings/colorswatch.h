// A filled rectangle with a thin black outline, showing one COLORREF of the settings.
#pragma once

#include "render/canvas.h"

#include <QColor>
#include <QFrame>

namespace plavik {

// Converts a Windows colour (0x00BBGGRR) to a Qt colour; the top byte is ignored.
QColor ColorFromColorRef(COLORREF color);

class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    COLORREF Color() const { return color_; }
    // Sets the fill colour and repaints.
    void SetColor(COLORREF color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COLORREF color_ = 0x00FFFFFF; // a fresh shape is white
};

} // namespace plavik
