#include "renderprogram.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <dlfcn.h>

namespace plavik::kde {

namespace {

// An address inside this plugin, to ask the dynamic loader which file the plugin was loaded from.
const char kAnchor = 0;

bool IsProgram(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString RenderProgramBesidePlugin(const QString& pluginFile) {
    // PLAVIK_PLUGIN_TO_BINDIR is the way from the plugin's folder to the prefix's bin folder, worked
    // out when configuring; it holds whatever prefix the tree is installed into.
    const QDir pluginDir = QFileInfo(pluginFile).absoluteDir();
    return QDir::cleanPath(pluginDir.filePath(QStringLiteral(PLAVIK_PLUGIN_TO_BINDIR "/plavik-render")));
}

QString FindRenderProgram() {
    Dl_info info{};
    if (dladdr(&kAnchor, &info) != 0 && info.dli_fname != nullptr) {
        const QString beside = RenderProgramBesidePlugin(QFile::decodeName(info.dli_fname));
        if (IsProgram(beside))
            return beside;
    }
    return QStandardPaths::findExecutable(QStringLiteral("plavik-render"));
}

} // namespace plavik::kde
