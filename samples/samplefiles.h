// The sample folders: figure files with their folder name, and drawing files in both header
// variants, built byte by byte from the file layouts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plavik::samples {

struct SampleFile {
    std::string path; // relative to the samples folder, '/'-separated
    std::vector<std::uint8_t> bytes;
};

// Every sample file, in a fixed order.
std::vector<SampleFile> SampleFiles();

} // namespace plavik::samples
