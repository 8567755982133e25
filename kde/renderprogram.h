#pragma once

#include <QString>

namespace plavik::kde {

// The plavik-render program the plugin runs: the one installed beside the plugin (in the bin folder of
// the prefix the plugin was installed into), else the first on PATH; empty when there is none.
QString FindRenderProgram();

// plavik-render's path relative to the folder of a plugin installed in the same prefix.
QString RenderProgramBesidePlugin(const QString& pluginFile);

} // namespace plavik::kde
