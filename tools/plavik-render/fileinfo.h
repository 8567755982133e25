// What a figure or drawing file holds, as one JSON object.
#pragma once

#include <filesystem>
#include <string>

namespace plavik::tool {

struct FileInfo {
    bool known = false; // a figure or drawing file
    std::string json;   // the object, on one line
};

// Reads the file as the renderers do (never more of it than its header announces) and describes
// it: {"kind":"jwk"|"jwc"|"jws"|"jww"|"unknown", ...}, the format told by the content. Throws the
// reader's errors for a recognised file that cannot be read.
FileInfo DescribeFile(const std::filesystem::path& file);

} // namespace plavik::tool
