// Finding the jw_cad files of a folder as the user's disk holds them.
#pragma once

#include <QString>

#include <filesystem>
#include <string_view>
#include <vector>

namespace plavik {

struct FoundFile {
    std::filesystem::path path; // the real path, to open the file with
    QString name;               // the file name as shown: UTF-8, or code page 932 when not UTF-8
};

// Regular files of folder whose extension equals `extension` (without the dot) in any case, in the
// order the file system lists them. Hidden files and hidden or system files are skipped, and so are
// folders. An unreadable folder gives no files.
std::vector<FoundFile> FindFiles(const std::filesystem::path& folder, std::string_view extension);

// The file named `name` in folder, matched without regard to case (an exact match wins); empty when
// there is none.
std::filesystem::path FindFileNoCase(const std::filesystem::path& folder, std::string_view name);

// A file name as the user reads it: UTF-8 when it is valid UTF-8, else code page 932.
QString DisplayName(const std::filesystem::path& fileName);

// The folder as text ending in the platform's separator.
QString WithTrailingSeparator(const QString& folder);

// Orders captions as the user's locale sorts them.
bool CaptionLess(const QString& a, const QString& b);

} // namespace plavik
