// The exit statuses of plavik-render.
#pragma once

namespace plavik::tool {

enum ExitCode {
    kExitOk = 0,        // done
    kExitNotOfKind = 1, // neither a figure nor a drawing file (thumb drew the card, thumbnailer nothing)
    kExitNoMatches = 1, // find: no file matches
    kExitBadArguments = 2,
    kExitReadFailed =
        3, // a file that cannot be opened, or a recognised file that cannot be read (find: the root)
    kExitWriteFailed = 4, // the output file cannot be written
};

} // namespace plavik::tool
