// The walk down a library's folder tree that the search index follows.
#pragma once

#include "platform/folderscan.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace plavik {

// A file or folder that could not be read, named once.
struct SearchFailure {
    QString file;
    QString message;
};

struct LibraryFolder {
    std::filesystem::path path;
    QString title; // the first line of the folder's own Zu_name.dat; empty when it has none
};

// A file by its folder and name: a library holds many, and a path of its own each would cost more
// than the walk itself.
struct LibraryFile {
    NativeName fileName;  // the name as the folder holds it
    QString name;         // the file name as shown
    std::uint32_t folder; // index into LibraryTree::folders
};

struct LibraryTree {
    bool rootReadable = true;
    std::vector<LibraryFolder> folders;
    std::vector<LibraryFile> files; // the figure and drawing files by their extensions, folder by folder
    std::vector<SearchFailure> failures;

    // The file's path, and the same as the system's string.
    std::filesystem::path PathOf(const LibraryFile& file) const { return NativePathOf(file); }
    NativeName NativePathOf(const LibraryFile& file) const;
};

// Walks the tree under root: the files of the four extensions in any case and the folders' titles.
// Hidden files and folders are skipped, and symbolic links to folders are not followed (a link to a
// folder above it would make the tree endless); links to files are. A folder or name file that cannot
// be read is a failure and the walk goes on. step() is called every few hundred entries.
LibraryTree WalkLibrary(const std::filesystem::path& root, const std::function<void()>& step = {});

// A path as the user reads it: its folder as text, the file name as DisplayName shows it.
QString ShownPath(const std::filesystem::path& path);

} // namespace plavik
