// The library search: a full-text index of the figure and drawing files under a folder, kept in a
// SQLite file in the user's cache folder and brought up to date before every search.
#pragma once

#include "render/formats.h"
#include "search/treewalk.h"

#include <QString>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace plavik {

struct SearchHit {
    std::filesystem::path path; // the file
    FileFormat format;          // by its content
    // The title of the folder holding it: first line of that folder's own Zu_name.dat (not its
    // parents'), empty when none.
    QString title;
    // The text (name, title, memo or text as shown, decoded) in which the first word matched.
    QString match;
};

struct SearchResults {
    // Sorted as the list sorts: by file name shown (CaptionLess), equal names by folder path.
    std::vector<SearchHit> hits;
    std::vector<SearchFailure> failures;
    bool rootReadable = true; // false when root itself cannot be read
};

class SearchIndex {
public:
    // The index file in the user's cache folder (QStandardPaths::CacheLocation), e.g. .../search.sqlite.
    static QString DefaultFile();
    // Opens or creates the index; a damaged, locked or foreign file is set aside (renamed) and built anew,
    // never a crash.
    explicit SearchIndex(const QString& file = DefaultFile());
    ~SearchIndex();
    SearchIndex(const SearchIndex&) = delete;
    SearchIndex& operator=(const SearchIndex&) = delete;

    // Brings the index of root's tree up to date (a file is read again only when its size or modification
    // time changed; files gone from the tree leave the index) and returns the files under root matching every
    // word of query. pump is called on the calling thread at most once per frame (~16 ms) while it works, so
    // that a window stays painted. An empty query matches nothing.
    SearchResults Search(const std::filesystem::path& root, const QString& query,
                         const std::function<void()>& pump = {});

    // How many files the last Search read the contents of (new, changed or unreadable ones).
    std::size_t FilesRead() const;
    // Where the last Search spent its time, in milliseconds: the walk down the tree; the files'
    // stamps and words, with the rows of those read written meanwhile; the rows of files gone and the
    // commit; the query with the hits.
    struct Times {
        double walk = 0, read = 0, update = 0, query = 0;
    };
    const Times& LastTimes() const;
    // True when the index lives in memory for this run only: its file was locked by another program,
    // or could be neither opened nor set aside.
    bool InMemory() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace plavik
