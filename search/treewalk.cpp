#include "search/treewalk.h"

#include "listing/folderlisting.h"
#include "platform/folderscan.h"

#include <string_view>

namespace plavik {

LibraryTree WalkLibrary(const std::filesystem::path& root, const std::function<void()>& step) {
    LibraryTree tree;
    std::error_code error;
    if (!std::filesystem::is_directory(root, error)) {
        tree.rootReadable = false;
        return tree;
    }
    const std::vector<std::string_view> extensions = AllExtensions();
    std::vector<std::filesystem::path> pending{root};
    while (!pending.empty()) {
        const std::filesystem::path folder = std::move(pending.back());
        pending.pop_back();
        FolderScan scan = ScanFolder(folder, extensions, "Zu_name.dat", step);
        if (!scan.error.isEmpty()) {
            if (folder == root && scan.files.empty() && scan.folders.empty()) {
                tree.rootReadable = false;
                return tree;
            }
            tree.failures.push_back({ShownPath(folder), scan.error});
        }
        LibraryFolder listed{folder, {}};
        if (!scan.nameFile.empty()) {
            const FolderTitle title = ReadFolderTitle(ListKind::Figures, scan.nameFile, true);
            if (title.error)
                tree.failures.push_back({ShownPath(scan.nameFile), *title.error});
            else
                listed.title = title.text;
        }
        const auto index = static_cast<std::uint32_t>(tree.folders.size());
        tree.folders.push_back(std::move(listed));
        for (FoundFile& found : scan.files)
            tree.files.push_back({std::move(found.name), std::move(found.shown), index});
        // Taken from the back: the first folder listed is walked first.
        pending.insert(pending.end(), std::make_move_iterator(scan.folders.rbegin()),
                       std::make_move_iterator(scan.folders.rend()));
        if (step)
            step();
    }
    return tree;
}

NativeName LibraryTree::NativePathOf(const LibraryFile& file) const {
    const NativeName& folder = folders[file.folder].path.native();
    NativeName path;
    path.reserve(folder.size() + 1 + file.fileName.size());
    path += folder;
    if (!folder.empty() && folder.back() != std::filesystem::path::preferred_separator)
        path += std::filesystem::path::preferred_separator;
    path += file.fileName;
    return path;
}

QString ShownPath(const std::filesystem::path& path) {
    if (!path.has_parent_path() || path.filename().empty())
        return PathText(path);
    return WithTrailingSeparator(PathText(path.parent_path())) + DisplayName(path.filename());
}

} // namespace plavik
