// What a figure or drawing file holds, as named fields in a neutral form: the command line writes them
// as JSON.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace plavik {

// Texts are code page 932 bytes as the file holds them (the names the program writes are ASCII).
using InfoValue =
    std::variant<std::int64_t, float, bool, std::string, std::vector<std::string>, std::vector<double>>;

struct InfoField {
    std::string_view key;
    InfoValue value;
};

struct FileDescription {
    std::vector<InfoField> fields; // in the order they are written
};

// Each format's description of a file recognised as one, read as the renderers read it (never more of
// it than its header announces). Throw the reader's errors for a file that cannot be read.
FileDescription DescribeJwk(const std::filesystem::path& file);
FileDescription DescribeJwc(const std::filesystem::path& file);
FileDescription DescribeJws(const std::filesystem::path& file);
FileDescription DescribeJww(const std::filesystem::path& file);

} // namespace plavik
