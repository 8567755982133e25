// The folder pane's model: the home folder, the library folders the user added and the file system's
// roots, each with its subfolders, read lazily on a worker thread. Folders show their title, the first
// line of their Zu_name.dat, beside their name.
#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

namespace plavik {

// One subfolder as the pane shows it.
struct SubFolder {
    std::filesystem::path path;
    QString name;  // the folder's name as shown
    QString title; // the first line of its name file; empty without one
    QString note;  // the name file's second line
    bool readable = true;
};

// The subfolders of folder as the folder scan finds them (neither hidden nor links, so that the pane
// never loops), sorted by name in the user's locale, with their titles. An unreadable folder gives none.
std::vector<SubFolder> ReadSubFolders(const std::filesystem::path& folder);

class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // The top level: home, then the library folders, then the file system's roots.
    void SetRoots(const std::filesystem::path& home, const QStringList& libraryRoots);
    QStringList LibraryRoots() const;
    void AddLibraryRoot(const std::filesystem::path& folder);
    void RemoveLibraryRoot(const QModelIndex& index);
    bool IsLibraryRoot(const QModelIndex& index) const;
    // The library folder that holds path (the innermost); empty when none does.
    std::filesystem::path LibraryRootOf(const std::filesystem::path& path) const;

    std::filesystem::path PathOf(const QModelIndex& index) const;
    // Finds the folder's item, reading the subfolders on the way down as needed; Revealed is emitted
    // with the deepest item found. A later call replaces an earlier one still under way.
    void Reveal(const std::filesystem::path& folder);
    // Reads the folder's subfolders again, when it has been read.
    void Refresh(const std::filesystem::path& folder);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    void Revealed(const QModelIndex& index);

private:
    struct Node;
    enum class RootKind { Home, Library, System };
    Node* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const Node* node) const;
    Node* AddRoot(const std::filesystem::path& path, RootKind kind);
    void Fetch(Node* node);
    void Fetched(std::uint64_t id, std::vector<SubFolder> folders);
    void ContinueReveal();

    std::vector<std::unique_ptr<Node>> roots_;
    std::map<std::uint64_t, Node*> byId_; // nodes by id, so that a late answer finds its node or none
    std::uint64_t nextId_ = 1;
    std::filesystem::path reveal_; // the folder a Reveal is still looking for
};

} // namespace plavik
