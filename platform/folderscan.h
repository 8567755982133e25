// Finding the jw_cad files of a folder as the user's disk holds them.
#pragma once

#include <QCollatorSortKey>
#include <QString>

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace plavik {

// The platform's file name bytes: UTF-8 or code page 932 on POSIX, UTF-16 on Windows.
using NativeName = std::filesystem::path::string_type;

struct FoundFile {
    NativeName name; // the name as the folder holds it, to open the file with
    QString shown;   // the file name as shown: UTF-8, or code page 932 when not UTF-8
};

struct FolderScan {
    std::vector<FoundFile> files;   // in the order the file system lists them
    std::filesystem::path nameFile; // the folder's name file, empty when it has none
    // Its folders that are neither hidden nor symbolic links (so that a walk down the tree never
    // loops), in the order the file system lists them.
    std::vector<std::filesystem::path> folders;
    QString error; // why the folder could not be read (wholly or to its end); empty when it could
};

// One pass over folder: its regular files whose extension is one of `extensions` (without the dot) in
// any case, the regular file named `nameFile` in any case (an exact match wins), and its folders.
// Hidden files, hidden or system files and folders are skipped. step() is called every few hundred
// entries, so that a caller can keep a window painted. An unreadable folder gives nothing but the
// error.
FolderScan ScanFolder(const std::filesystem::path& folder, const std::vector<std::string_view>& extensions,
                      std::string_view nameFile, const std::function<void()>& step = {});

// The file system path of a folder or file given as text, and the text of a path.
std::filesystem::path PathFromText(const QString& text);
QString PathText(const std::filesystem::path& path);

// A file name as the user reads it: UTF-8 when it is valid UTF-8, else code page 932.
QString DisplayName(const std::filesystem::path& fileName);

// The folder as text ending in the platform's separator.
QString WithTrailingSeparator(const QString& folder);

// Orders captions as the user's locale sorts them.
bool CaptionLess(const QString& a, const QString& b);
// A caption's key in that order, for sorting many: keys compare as CaptionLess compares their captions.
QCollatorSortKey CaptionKey(const QString& caption);

} // namespace plavik
