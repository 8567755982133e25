// What a search finds in a figure or drawing file: its memo or comment and its texts, as the bytes of
// the file (code page 932).
#pragma once

#include "render/bytes.h"
#include "render/formats.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plavik {

struct FileWords {
    FileFormat format = FileFormat::Jwk;
    std::string memo;               // a drawing's memo (.jww) or comment (.jwc); empty for figures
    std::vector<std::string> texts; // every text on any layer, dimension values and placed blocks' texts
};

// Reads the words of a file of any of the four formats, told by its content; nothing when it is none
// of them or cannot be opened. A drawing's texts include those of hidden layers and those of the
// blocks it places (nested as deep and as far as a render goes, each definition's texts taken once),
// but not jw_cad's setting records kept as texts at (0, -1000). Throws the readers' errors for a
// recognised file that cannot be read.
std::optional<FileWords> ReadFileWords(FileBytes& file);
std::optional<FileWords> ReadFileWords(const std::filesystem::path& file);

// Each format's words, of a file recognised as one.
void ReadJwkWords(FileBytes& file, FileWords& words);
void ReadJwcWords(FileBytes& file, FileWords& words);
void ReadJwsWords(FileBytes& file, FileWords& words);
void ReadJwwWords(FileBytes& file, FileWords& words);

} // namespace plavik
