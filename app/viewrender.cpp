#include "app/viewrender.h"

#include "app/viewframe.h"
#include "platform/rastercanvas.h"
#include "render/jwc.h"
#include "render/jwk.h"

namespace plavik {

ViewPicture RenderView(const ViewJob& job) {
    ViewPicture picture;
    picture.frame = job.frame;
    const QSize size(std::max(1, qRound(job.view.width() * job.ratio)),
                     std::max(1, qRound(job.view.height() * job.ratio)));
    picture.image = QImage(size, QImage::Format_RGB32);
    picture.image.fill(kViewBackground);
    if (!job.bytes)
        return picture;
    {
        RasterCanvas canvas(picture.image);
        const int dpi = qRound(96 * job.ratio);
        canvas.SetLogPixels(dpi, dpi);
        const TRect rect = DeviceFrame(job.frame, job.ratio);
        try {
            DrawListedData(canvas, job.format, *job.bytes, rect, job.options, &picture.drawn);
        } catch (const std::exception& error) {
            picture.error = QString::fromUtf8(error.what());
            DrawUnreadableCard(canvas, job.format, rect);
        }
    }
    picture.image.setDevicePixelRatio(job.ratio);
    return picture;
}

int ViewFlags(ListKind kind, bool content) {
    if (kind == ListKind::Figures)
        return kJwkBorder | kJwkText | kJwkAuxLines | kJwkRefPoint;
    return kJwcBorder | kJwcText | kJwcAuxLines | kJwcScreenPens | (content ? kJwcFitContent : 0);
}

} // namespace plavik
