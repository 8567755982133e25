#include "thumbnailcreator.h"

#include "renderprogram.h"

#include <KPluginFactory>

#include <QImage>
#include <QProcess>
#include <QTemporaryFile>
#include <QUrl>
#include <QtGlobal>

#include <algorithm>

K_PLUGIN_FACTORY_WITH_JSON(PlavikThumbnailFactory, "plavikthumbnail.json",
                           registerPlugin<plavik::kde::ThumbnailCreator>();)

namespace plavik::kde {

namespace {

// A thumbnail takes plavik-render well under a second; a file that takes longer than this is given up,
// so that the file manager's thumbnail worker goes on with the next file.
constexpr int kTimeoutMs = 20000;
// The largest side plavik-render draws.
constexpr int kMaxSide = 10000;

} // namespace

ThumbnailCreator::ThumbnailCreator(QObject* parent, const QVariantList& args)
    : KIO::ThumbnailCreator(parent, args) {}

KIO::ThumbnailResult ThumbnailCreator::create(const KIO::ThumbnailRequest& request) {
    const QString input = request.url().toLocalFile();
    const QSize target = request.targetSize();
    const int side = std::min(target.width(), target.height());
    if (input.isEmpty() || side < 1)
        return KIO::ThumbnailResult::fail();
    const QString program = FindRenderProgram();
    if (program.isEmpty()) {
        qWarning("plavikthumbnail: plavik-render is neither beside the plugin nor on PATH");
        return KIO::ThumbnailResult::fail();
    }

    // plavik-render writes the picture into the file it is given; this one goes when the call ends.
    QTemporaryFile output;
    if (!output.open())
        return KIO::ThumbnailResult::fail();
    output.close();

    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("thumbnailer"), QStringLiteral("-s"),
                          QString::number(std::min(side, kMaxSide)), QStringLiteral("--"), input,
                          output.fileName()});
    // The worker may run in a session whose window system the child could not reach.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted()) {
        qWarning("plavikthumbnail: %s cannot be started", qPrintable(program));
        return KIO::ThumbnailResult::fail();
    }
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        qWarning("plavikthumbnail: %s gave no picture of %s in time", qPrintable(program), qPrintable(input));
        return KIO::ThumbnailResult::fail();
    }
    // Exit status 1 is a file that is not a figure or drawing: whatever picture was written then is not
    // one to show, so every failure leaves the file type's own icon.
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return KIO::ThumbnailResult::fail();

    QImage image;
    if (!image.load(output.fileName(), "PNG"))
        return KIO::ThumbnailResult::fail();
    return KIO::ThumbnailResult::pass(image);
}

} // namespace plavik::kde

#include "thumbnailcreator.moc"
