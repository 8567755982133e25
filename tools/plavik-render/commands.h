// The commands of plavik-render; each writes its output and returns the exit status.
#pragma once

#include "commandline.h"

namespace plavik::tool {

int RunThumb(const ThumbOptions& options);
int RunInfo(const InfoOptions& options);
int RunThumbnailer(const ThumbnailerOptions& options);
int RunFind(const FindOptions& options);
int RunExport(const ExportCommandOptions& options);

// Runs the parsed command.
int RunCommand(const Command& command);

} // namespace plavik::tool
