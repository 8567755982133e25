#include "search/treewalk.h"

#include "listing/folderlisting.h"
#include "listing/workers.h"
#include "platform/folderscan.h"

#include <string_view>

namespace plavik {

namespace {

// A folder of the tree as scanned: what it holds, its title, what failed, and its subfolders.
struct Node {
    std::filesystem::path path;
    FolderScan scan;
    QString title;
    std::vector<SearchFailure> failures; // the folder's, then its name file's
    std::vector<std::size_t> children;
};

// Scans the node's folder and reads its title; step as ScanFolder calls it.
void ScanNode(Node& node, const std::vector<std::string_view>& extensions,
              const std::function<void()>& step) {
    node.scan = ScanFolder(node.path, extensions, "Zu_name.dat", step);
    if (!node.scan.error.isEmpty())
        node.failures.push_back({ShownPath(node.path), node.scan.error});
    if (!node.scan.nameFile.empty()) {
        const FolderTitle title = ReadFolderTitle(ListKind::Figures, node.scan.nameFile, true);
        if (title.error)
            node.failures.push_back({ShownPath(node.scan.nameFile), *title.error});
        else
            node.title = title.text;
    }
}

} // namespace

LibraryTree WalkLibrary(const std::filesystem::path& root, const std::function<void()>& step) {
    LibraryTree tree;
    std::error_code error;
    if (!std::filesystem::is_directory(root, error)) {
        tree.rootReadable = false;
        return tree;
    }
    const std::vector<std::string_view> extensions = AllExtensions();
    std::vector<Node> nodes(1);
    nodes[0].path = root;
    ScanNode(nodes[0], extensions, step);
    if (!nodes[0].scan.error.isEmpty() && nodes[0].scan.files.empty() && nodes[0].scan.folders.empty()) {
        tree.rootReadable = false;
        return tree;
    }
    // The folders of one level are scanned together, on the workers when there are several.
    WorkerReports reports;
    reports.pump = step;
    for (std::vector<std::size_t> level{0}; !level.empty();) {
        std::vector<std::size_t> next;
        for (const std::size_t n : level) {
            std::vector<std::filesystem::path> folders = std::move(nodes[n].scan.folders);
            for (std::filesystem::path& folder : folders) {
                nodes[n].children.push_back(nodes.size());
                next.push_back(nodes.size());
                nodes.push_back({std::move(folder), {}, {}, {}, {}});
            }
        }
        if (next.size() == 1)
            ScanNode(nodes[next[0]], extensions, step);
        else
            RunOnWorkers(
                next.size(), WorkerCount(),
                [&](std::size_t k, int) { ScanNode(nodes[next[k]], extensions, {}); }, reports);
        if (step)
            step();
        level = std::move(next);
    }
    // The folders in the order of a walk from the top, each before its subfolders, these in the order
    // the folder lists them.
    for (std::vector<std::size_t> pending{0}; !pending.empty();) {
        Node& node = nodes[pending.back()];
        pending.pop_back();
        const auto index = static_cast<std::uint32_t>(tree.folders.size());
        tree.folders.push_back({std::move(node.path), std::move(node.title)});
        tree.failures.insert(tree.failures.end(), node.failures.begin(), node.failures.end());
        for (FoundFile& found : node.scan.files)
            tree.files.push_back({std::move(found.name), std::move(found.shown), index});
        pending.insert(pending.end(), node.children.rbegin(), node.children.rend());
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
