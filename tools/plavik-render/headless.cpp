#include "headless.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace plavik::tool {

namespace {

// Whether path is a folder that Qt accepts as the runtime folder: a real folder (not a link), owned
// by this user, with mode 0700.
bool IsUsableRuntimeFolder(const QByteArray& path) {
#ifdef _WIN32
    (void)path;
    return true; // Qt keeps no runtime folder on Windows
#else
    // Qt's own test: lstat, so that a link to a folder is refused as Qt refuses it.
    struct stat st {};
    if (path.isEmpty() || ::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700;
#endif
}

} // namespace

std::unique_ptr<QTemporaryDir> PrepareHeadlessEnvironment() {
    // The session's window system (wayland, xcb) cannot start without a display, and Qt aborts
    // when no platform plugin starts; a platform theme would only try to reach the desktop too.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");

    // Qt makes a missing runtime folder itself when it can (and leaves it), or falls back to one in
    // the temporary folder that it also leaves: a file manager's sandbox that hides the session's
    // folder would find a new folder after every thumbnail. This run gets its own, removed at exit.
    if (IsUsableRuntimeFolder(qgetenv("XDG_RUNTIME_DIR")))
        return nullptr;
    auto runtime =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/plavik-render-XXXXXX"));
    if (!runtime->isValid())
        return nullptr;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
    return runtime;
}

} // namespace plavik::tool
