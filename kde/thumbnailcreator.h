#pragma once

#include <KIO/ThumbnailCreator>

namespace plavik::kde {

// The thumbnails of jw_cad figures and drawings in KDE's file manager. KDE Frameworks 5 is Qt 5 and
// Plavik's libraries are Qt 6, so the picture is drawn by plavik-render in a child process.
class ThumbnailCreator : public KIO::ThumbnailCreator {
    Q_OBJECT
public:
    ThumbnailCreator(QObject* parent, const QVariantList& args);

    // The picture of a local figure or drawing file whose longer side is the smaller side of the
    // target size; a failed result without an image for anything else, or when plavik-render is
    // missing, fails or takes too long.
    KIO::ThumbnailResult create(const KIO::ThumbnailRequest& request) override;
};

} // namespace plavik::kde
