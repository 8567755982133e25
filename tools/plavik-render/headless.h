// The process environment plavik-render draws in: no window system, and a runtime folder of its own
// where the session's cannot be used.
#pragma once

#include <QTemporaryDir>

#include <memory>

namespace plavik::tool {

// Sets the environment for QGuiApplication, before it is made: the offscreen platform whatever the
// session asks for (a thumbnailer's sandbox reaches no display), and, where XDG_RUNTIME_DIR is unset
// or not a usable folder (missing, not a folder, not ours, not mode 0700), a fresh folder in the
// temporary folder. The returned folder, if any, is removed when it is destroyed; keep it until Qt
// has ended. Nothing when the session's folder is usable or no folder could be made.
std::unique_ptr<QTemporaryDir> PrepareHeadlessEnvironment();

} // namespace plavik::tool
