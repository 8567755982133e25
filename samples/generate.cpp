// Writes the sample folders (figures/ and drawings/) into the folder given, or with --check compares
// the files there with what it would write and names each one that differs.
#include "samplefiles.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (!(argc == 2 || check)) {
        std::fprintf(stderr, "usage: %s [--check] <samples folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[argc - 1];
    int differing = 0;
    for (const plavik::samples::SampleFile& file : plavik::samples::SampleFiles()) {
        const std::filesystem::path path = root / file.path;
        if (check) {
            std::error_code error;
            if (!std::filesystem::is_regular_file(path, error) || ReadAll(path) != file.bytes) {
                std::fprintf(stderr, "differs: %s\n", file.path.c_str());
                ++differing;
            }
            continue;
        }
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.bytes.data()),
                  static_cast<std::streamsize>(file.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    return differing == 0 ? 0 : 1;
}
