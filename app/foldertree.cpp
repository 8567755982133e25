#include "app/foldertree.h"

#include "listing/folderlisting.h"
#include "platform/folderscan.h"

#include <QApplication>
#include <QDir>
#include <QFutureWatcher>
#include <QIcon>
#include <QPalette>
#include <QStyle>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace plavik {

namespace {

bool CanList(const std::filesystem::path& folder) {
#ifdef _WIN32
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    return !error;
#else
    return ::access(folder.c_str(), R_OK | X_OK) == 0;
#endif
}

// The path as it is on disk, links resolved, for comparing folders reached different ways.
std::filesystem::path RealPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path real = std::filesystem::weakly_canonical(path, error);
    return error ? path.lexically_normal() : real;
}

// True when folder is root or lies below it.
bool Holds(const std::filesystem::path& root, const std::filesystem::path& folder) {
    auto r = root.begin();
    auto f = folder.begin();
    for (; r != root.end(); ++r, ++f) {
        if (r->empty() && std::next(r) == root.end())
            break; // a trailing separator
        if (f == folder.end() || *r != *f)
            return false;
    }
    return true;
}

} // namespace

std::vector<SubFolder> ReadSubFolders(const std::filesystem::path& folder) {
    std::vector<SubFolder> folders;
    for (const std::filesystem::path& path : ScanFolder(folder, {}, {}).folders) {
        SubFolder sub{path, DisplayName(path.filename()), {}, {}, CanList(path)};
        if (sub.readable) {
            const NameFileLines lines = ReadNameFileLines(path);
            sub.title = lines.title;
            sub.note = lines.note;
        }
        folders.push_back(std::move(sub));
    }
    std::sort(folders.begin(), folders.end(),
              [](const SubFolder& a, const SubFolder& b) { return CaptionLess(a.name, b.name); });
    return folders;
}

struct FolderTreeModel::Node {
    std::uint64_t id = 0;
    Node* parent = nullptr;
    SubFolder folder;
    RootKind root = RootKind::System; // for the top level
    bool fetched = false;
    bool fetching = false;
    bool missing = false; // a library folder that is no longer there
    std::vector<std::unique_ptr<Node>> children;
};

FolderTreeModel::FolderTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

FolderTreeModel::~FolderTreeModel() = default;

FolderTreeModel::Node* FolderTreeModel::AddRoot(const std::filesystem::path& path, RootKind kind) {
    auto node = std::make_unique<Node>();
    node->id = nextId_++;
    node->root = kind;
    const std::filesystem::path name = path.filename();
    node->folder.path = path;
    node->folder.name = name.empty() ? PathText(path) : DisplayName(name);
    std::error_code error;
    node->missing = !std::filesystem::is_directory(path, error);
    node->folder.readable = !node->missing && CanList(path);
    if (node->folder.readable) {
        const NameFileLines lines = ReadNameFileLines(path);
        node->folder.title = lines.title;
        node->folder.note = lines.note;
    }
    byId_[node->id] = node.get();
    roots_.push_back(std::move(node));
    return roots_.back().get();
}

void FolderTreeModel::SetRoots(const std::filesystem::path& home, const QStringList& libraryRoots) {
    beginResetModel();
    roots_.clear();
    byId_.clear();
    if (!home.empty())
        AddRoot(home, RootKind::Home);
    for (const QString& root : libraryRoots)
        AddRoot(PathFromText(root), RootKind::Library);
    for (const QFileInfo& drive : QDir::drives())
        AddRoot(PathFromText(drive.absoluteFilePath()), RootKind::System);
    endResetModel();
}

QStringList FolderTreeModel::LibraryRoots() const {
    QStringList roots;
    for (const auto& node : roots_)
        if (node->root == RootKind::Library)
            roots << PathText(node->folder.path);
    return roots;
}

void FolderTreeModel::AddLibraryRoot(const std::filesystem::path& folder) {
    const QStringList roots = LibraryRoots();
    if (roots.contains(PathText(folder)))
        return;
    QStringList all = roots;
    all << PathText(folder);
    const std::filesystem::path home = roots_.empty() || roots_.front()->root != RootKind::Home
                                           ? std::filesystem::path()
                                           : roots_.front()->folder.path;
    SetRoots(home, all);
}

void FolderTreeModel::RemoveLibraryRoot(const QModelIndex& index) {
    Node* node = NodeOf(index);
    if (!node || node->parent || node->root != RootKind::Library)
        return;
    QStringList roots = LibraryRoots();
    roots.removeAll(PathText(node->folder.path));
    const std::filesystem::path home =
        roots_.front()->root == RootKind::Home ? roots_.front()->folder.path : std::filesystem::path();
    SetRoots(home, roots);
}

bool FolderTreeModel::IsLibraryRoot(const QModelIndex& index) const {
    const Node* node = NodeOf(index);
    return node && !node->parent && node->root == RootKind::Library;
}

std::filesystem::path FolderTreeModel::LibraryRootOf(const std::filesystem::path& path) const {
    const std::filesystem::path real = RealPath(path);
    std::filesystem::path best;
    std::size_t depth = 0;
    for (const auto& node : roots_) {
        if (node->root != RootKind::Library || node->missing)
            continue;
        const std::filesystem::path root = RealPath(node->folder.path);
        // The innermost of library folders inside each other.
        const auto parts = static_cast<std::size_t>(std::distance(root.begin(), root.end()));
        if (Holds(root, real) && parts >= depth) {
            best = node->folder.path;
            depth = parts;
        }
    }
    return best;
}

FolderTreeModel::Node* FolderTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::IndexOf(const Node* node) const {
    if (!node)
        return {};
    const auto& siblings = node->parent ? node->parent->children : roots_;
    const auto it =
        std::find_if(siblings.begin(), siblings.end(), [&](const auto& n) { return n.get() == node; });
    return createIndex(static_cast<int>(it - siblings.begin()), 0, const_cast<Node*>(node));
}

std::filesystem::path FolderTreeModel::PathOf(const QModelIndex& index) const {
    const Node* node = NodeOf(index);
    return node ? node->folder.path : std::filesystem::path();
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    const Node* node = NodeOf(parent);
    const auto& children = node ? node->children : roots_;
    if (static_cast<std::size_t>(row) >= children.size())
        return {};
    return createIndex(row, 0, children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const Node* node = NodeOf(child);
    return node ? IndexOf(node->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const Node* node = NodeOf(parent);
    return static_cast<int>(node ? node->children.size() : roots_.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const Node* node = NodeOf(index);
    if (!node)
        return {};
    const SubFolder& f = node->folder;
    switch (role) {
    case Qt::DisplayRole: {
        QString text = f.name;
        if (!node->parent && node->root == RootKind::Home)
            text = QStringLiteral("ホーム (%1)").arg(f.name);
        if (!f.title.isEmpty() && f.title != f.name)
            text += QStringLiteral(" — ") + f.title;
        if (node->missing)
            text += QStringLiteral(" (見つかりません)");
        return text;
    }
    case Qt::ToolTipRole: {
        QString tip = PathText(f.path);
        if (!f.note.isEmpty())
            tip = f.note + QLatin1Char('\n') + tip;
        if (node->missing)
            tip += QStringLiteral("\nこのフォルダは見つかりません。");
        else if (!f.readable)
            tip += QStringLiteral("\nこのフォルダは読めません。");
        return tip;
    }
    case Qt::DecorationRole:
        return QApplication::style()->standardIcon(
            node->parent || node->root != RootKind::Home ? QStyle::SP_DirIcon : QStyle::SP_DirHomeIcon);
    case Qt::ForegroundRole:
        if (node->missing || !f.readable)
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    default:
        return {};
    }
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = NodeOf(parent);
    if (!node)
        return !roots_.empty();
    if (!node->folder.readable)
        return false;
    return !node->fetched || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    const Node* node = NodeOf(parent);
    return node && node->folder.readable && !node->fetched && !node->fetching;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    if (Node* node = NodeOf(parent); node && canFetchMore(parent))
        Fetch(node);
}

void FolderTreeModel::Fetch(Node* node) {
    node->fetching = true;
    const std::uint64_t id = node->id;
    auto* watcher = new QFutureWatcher<std::vector<SubFolder>>(this);
    connect(watcher, &QFutureWatcher<std::vector<SubFolder>>::finished, this, [this, watcher, id] {
        watcher->deleteLater();
        Fetched(id, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(ReadSubFolders, node->folder.path));
}

void FolderTreeModel::Fetched(std::uint64_t id, std::vector<SubFolder> folders) {
    const auto found = byId_.find(id);
    if (found == byId_.end())
        return; // its root was removed meanwhile
    Node* node = found->second;
    node->fetching = false;
    const QModelIndex parent = IndexOf(node);
    if (!node->children.empty()) {
        beginRemoveRows(parent, 0, static_cast<int>(node->children.size()) - 1);
        for (const auto& child : node->children)
            byId_.erase(child->id); // their own children go with them; late answers for those find none
        node->children.clear();
        endRemoveRows();
    }
    node->fetched = true;
    if (!folders.empty()) {
        beginInsertRows(parent, 0, static_cast<int>(folders.size()) - 1);
        for (SubFolder& folder : folders) {
            auto child = std::make_unique<Node>();
            child->id = nextId_++;
            child->parent = node;
            child->folder = std::move(folder);
            byId_[child->id] = child.get();
            node->children.push_back(std::move(child));
        }
        endInsertRows();
    } else {
        emit dataChanged(parent, parent); // the expander goes
    }
    if (!reveal_.empty())
        ContinueReveal();
}

void FolderTreeModel::Refresh(const std::filesystem::path& folder) {
    const std::filesystem::path real = RealPath(folder);
    std::vector<Node*> stack;
    for (const auto& root : roots_)
        stack.push_back(root.get());
    while (!stack.empty()) {
        Node* node = stack.back();
        stack.pop_back();
        if (node->fetched && !node->fetching && RealPath(node->folder.path) == real) {
            Fetch(node);
            return;
        }
        for (const auto& child : node->children)
            stack.push_back(child.get());
    }
}

void FolderTreeModel::Reveal(const std::filesystem::path& folder) {
    reveal_ = RealPath(folder);
    ContinueReveal();
}

void FolderTreeModel::ContinueReveal() {
    // The deepest root that holds the folder: a library folder before the home folder before "/".
    Node* node = nullptr;
    std::size_t depth = 0;
    for (const auto& root : roots_) {
        if (root->missing)
            continue;
        const std::filesystem::path real = RealPath(root->folder.path);
        const auto parts = static_cast<std::size_t>(std::distance(real.begin(), real.end()));
        if (Holds(real, reveal_) && (!node || parts > depth)) {
            node = root.get();
            depth = parts;
        }
    }
    if (!node) {
        reveal_.clear();
        return;
    }
    const std::filesystem::path base = RealPath(node->folder.path);
    const std::filesystem::path rest = reveal_.lexically_relative(base);
    for (const std::filesystem::path& part : rest) {
        if (part.empty() || part == ".")
            continue;
        if (!node->fetched) {
            if (!node->fetching && node->folder.readable)
                Fetch(node);
            if (node->fetching)
                return; // goes on when the subfolders are in
            break;
        }
        const auto child = std::find_if(node->children.begin(), node->children.end(),
                                        [&](const auto& c) { return c->folder.path.filename() == part; });
        if (child == node->children.end())
            break; // a hidden folder, or one made since: the nearest folder shown
        node = child->get();
    }
    reveal_.clear();
    emit Revealed(IndexOf(node));
}

} // namespace plavik
