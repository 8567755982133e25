// One picture of the viewer: a file's bytes drawn by its format's renderer over a frame, into an
// image of the view's size in device pixels. Pure of any window, so that it runs on a worker thread.
#pragma once

#include "render/formats.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace plavik {

using SharedBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

struct ViewJob {
    SharedBytes bytes;
    FileFormat format = FileFormat::Jww;
    RenderOptions options;
    QRectF frame;     // in view pixels
    QSize view;       // view pixels
    double ratio = 1; // device pixels per view pixel
};

struct ViewPicture {
    QImage image; // device pixels, its device pixel ratio set
    QRectF frame; // the frame it was drawn over
    DrawnFile drawn;
    QString error; // why the file could not be drawn at all
};

// The view around the sheet, outside the frame.
inline constexpr QRgb kViewBackground = 0xFF808080;

// Draws the job. A file the renderer refuses gets its format's card over the frame and the error;
// one that broke off is drawn as far as it goes (drawn.complete false).
ViewPicture RenderView(const ViewJob& job);

// The option flags of the viewer: texts as characters, auxiliary lines, the sheet's edge, a .jww's own
// screen pens; with content, fitted to what is drawn.
int ViewFlags(ListKind kind, bool content);

} // namespace plavik
