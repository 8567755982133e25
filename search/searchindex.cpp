#include "search/searchindex.h"

#include "listing/workers.h"
#include "platform/filetexts.h"
#include "platform/folderscan.h"
#include "render/bytes.h"
#include "render/filewords.h"
#include "search/indexfile.h"
#include "search/indexwords.h"
#include "search/normalize.h"

#include <QElapsedTimer>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace plavik {

namespace {

constexpr int kNotOurs = -1; // the format column of a file that is no figure or drawing

struct Stamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const Stamp&) const = default;
};

// The file's size and time as FileBytes tells them, without opening it.
std::optional<Stamp> StatFile(const NativeName& path) {
#ifdef _WIN32
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return std::nullopt;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error)
        return std::nullopt;
    const auto sinceEpoch = std::chrono::clock_cast<std::chrono::system_clock>(written).time_since_epoch();
    return Stamp{static_cast<qint64>(size),
                 std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count()};
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return Stamp{static_cast<qint64>(st.st_size),
                 static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
#endif
}

// A path as the index keys it: the bytes of its native form, which also sort a folder's files
// together after the folder's own path and its separator.
std::string KeyOf(const NativeName& native) {
    return std::string(reinterpret_cast<const char*>(native.data()), native.size() * sizeof(native[0]));
}

// The first key after every key that starts with prefix.
std::string PrefixEnd(std::string prefix) {
    while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF)
        prefix.pop_back();
    if (!prefix.empty())
        prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
    return prefix;
}

// What reading one file of the tree came to.
struct FileState {
    enum Kind { Unchanged, Indexed, NotOurs, Failed, Gone } kind = Gone;
    Stamp stamp;
    FileFormat format = FileFormat::Jwk;
    IndexedWords words; // Indexed
    std::string tokens; // Indexed: TokensOf(words.norm)
    QString error;      // Failed
};

// A file with a row is looked at first and read only when its stamp changed; a new file is read
// straight away, its stamp taken from the open file.
FileState ReadState(const LibraryTree& tree, const LibraryFile& file, const Folder& folder,
                    const Stamp* known) {
    FileState state;
    if (known) {
        const std::optional<Stamp> stamp = StatFile(tree.NativePathOf(file));
        if (!stamp)
            return state; // gone since the walk
        if (*known == *stamp) {
            state.kind = FileState::Unchanged;
            return state;
        }
    }
    try {
        FileBytes bytes(folder, file.fileName);
        state.stamp = {static_cast<qint64>(bytes.Size()), bytes.Stamp().modifiedNs};
        if (!bytes.IsOpen()) {
            if (bytes.OpenError() == ENOENT)
                return state; // gone since the walk
            state.kind = FileState::Failed;
            state.error = CannotOpenText(bytes.OpenError());
            return state;
        }
        const std::optional<FileWords> words = ReadFileWords(bytes);
        if (!words) {
            state.kind = FileState::NotOurs;
            return state;
        }
        state.kind = FileState::Indexed;
        state.format = words->format;
        state.words = WordsOf(file.name, *words);
        state.tokens = TokensOf(state.words.norm);
    } catch (const std::exception& error) {
        state.kind = FileState::Failed;
        state.error = QString::fromUtf8(error.what());
    }
    return state;
}

// Milliseconds since the clock started; the clock starts again.
double Lap(QElapsedTimer& clock) {
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    clock.start();
    return ms;
}

struct Row {
    qint64 id = 0;
    Stamp stamp;
    int format = kNotOurs;
    bool inTree = false; // still in the tree: the rows left without it are gone
};

// The statements that change rows, prepared once per update.
struct Writer {
    explicit Writer(sqlite3* db)
        : find(db, "SELECT id, format, norm FROM files WHERE path = ?"),
          removeRow(db, "DELETE FROM files WHERE id = ?"),
          removeTokens(db, "INSERT INTO grams(grams, rowid, tokens) VALUES('delete', ?, ?)"),
          addRow(db, "INSERT INTO files(path, size, mtime, format, shown, norm) VALUES(?, ?, ?, ?, ?, ?)"),
          addTokens(db, "INSERT INTO grams(rowid, tokens) VALUES(?, ?)") {}

    // Removes the row of the path, with the tokens the full-text table holds of it.
    void Remove(const std::string& key) {
        find.BindBlob(1, key);
        if (!find.Step())
            return;
        const qint64 id = find.Int(0);
        const int format = static_cast<int>(find.Int(1));
        const std::string tokens = format == kNotOurs ? std::string() : TokensOf(find.Text(2));
        find.Reset();
        if (format != kNotOurs)
            removeTokens.Bind(1, id).BindText(2, tokens).Run();
        removeRow.Bind(1, id).Run();
    }

    Statement find, removeRow, removeTokens, addRow, addTokens;
};

// Where each row id's file is in the tree: a table as long as the largest id when the ids are dense
// enough, else a map.
class FileOfId {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    explicit FileOfId(const std::vector<qint64>& ids) {
        const qint64 largest = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
        const bool dense = largest <= static_cast<qint64>(4 * ids.size() + 65536);
        if (dense)
            table_.assign(static_cast<std::size_t>(std::max<qint64>(largest, 0)) + 1, kNone);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (ids[i] < 0)
                continue;
            if (dense)
                table_[static_cast<std::size_t>(ids[i])] = i;
            else
                map_.emplace(ids[i], i);
        }
    }

    std::size_t operator()(qint64 id) const {
        if (!table_.empty())
            return id >= 0 && static_cast<std::size_t>(id) < table_.size()
                       ? table_[static_cast<std::size_t>(id)]
                       : kNone;
        const auto it = map_.find(id);
        return it == map_.end() ? kNone : it->second;
    }

private:
    std::vector<std::size_t> table_;
    std::unordered_map<qint64, std::size_t> map_;
};

} // namespace

struct SearchIndex::Impl {
    explicit Impl(const QString& file) : index(file) {}

    // Brings the rows of the tree's files up to date; the row id of each file of the tree, -1 for those
    // that are not indexed, and their formats.
    void Update(const LibraryTree& tree, const std::filesystem::path& root,
                const std::function<void()>& paced, std::vector<qint64>& ids, std::vector<int>& formats,
                std::vector<SearchFailure>& failures);
    // The files of the tree (by their row ids) that hold every word in their own words or their
    // folder's title, unsorted, each with the text shown for the first word.
    std::vector<std::pair<std::size_t, QString>> Find(const LibraryTree& tree, const std::vector<qint64>& ids,
                                                      const QStringList& words);
    // Row ids of the files whose tokens hold those of the word (a superset of those holding it).
    std::vector<qint64> Matching(const std::string& word);

    IndexFile index;
    std::size_t filesRead = 0;
    Times times;
};

void SearchIndex::Impl::Update(const LibraryTree& tree, const std::filesystem::path& root,
                               const std::function<void()>& paced, std::vector<qint64>& ids,
                               std::vector<int>& formats, std::vector<SearchFailure>& failures) {
    QElapsedTimer clock;
    clock.start();
    NativeName rootPath = root.native();
    if (rootPath.empty() || rootPath.back() != std::filesystem::path::preferred_separator)
        rootPath += std::filesystem::path::preferred_separator;
    const std::string prefix = KeyOf(rootPath);
    std::unordered_map<std::string, Row> rows;
    {
        Statement known(index.Handle(),
                        "SELECT id, path, size, mtime, format FROM files WHERE path >= ? AND path < ?");
        const std::string end = PrefixEnd(prefix);
        known.BindBlob(1, prefix).BindBlob(2, end);
        while (known.Step())
            rows.emplace(std::string(known.Blob(1)),
                         Row{known.Int(0), {known.Int(2), known.Int(3)}, static_cast<int>(known.Int(4))});
    }

    const std::size_t count = tree.files.size();
    std::vector<std::string> keys(count);
    std::vector<Row*> rowOf(count, nullptr);
    for (std::size_t i = 0; i < count; ++i) {
        keys[i] = KeyOf(tree.NativePathOf(tree.files[i]));
        if (const auto it = rows.find(keys[i]); it != rows.end())
            rowOf[i] = &it->second;
    }
    Writer writer(index.Handle());

    // An index of no files at all is being built: its rows go straight into the file.
    bool direct = false;
    if (rows.empty() && count > 0) {
        Statement any(index.Handle(), "SELECT EXISTS (SELECT 1 FROM files)");
        const bool empty = any.Step() && any.Int(0) == 0;
        any.Reset();
        direct = empty && index.WriteDirectly();
    }
    // One transaction for every change, begun with the first: a search that changes nothing never
    // waits for another program's writing.
    bool inTransaction = false;
    const auto begin = [&] {
        if (!inTransaction)
            index.Run("BEGIN IMMEDIATE");
        inTransaction = true;
    };
    ids.assign(count, -1);
    formats.assign(count, kNotOurs);
    std::vector<FileState> states(count);
    std::size_t written = 0;
    // The row of one file whose state is known; its words are let go once written.
    const auto write = [&](std::size_t i) {
        FileState& state = states[i];
        if (rowOf[i])
            rowOf[i]->inTree = true;
        if (state.kind == FileState::Unchanged) {
            if (rowOf[i]->format != kNotOurs) {
                ids[i] = rowOf[i]->id;
                formats[i] = rowOf[i]->format;
            }
            return;
        }
        if (++written % 256 == 0)
            paced();
        begin();
        // A file without a row needs no look: unless another program added it meanwhile, which the
        // path's uniqueness tells.
        if (rowOf[i] || (state.kind != FileState::Indexed && state.kind != FileState::NotOurs))
            writer.Remove(keys[i]);
        if (state.kind != FileState::Indexed && state.kind != FileState::NotOurs)
            return;
        const int format = state.kind == FileState::Indexed ? static_cast<int>(state.format) : kNotOurs;
        const auto add = [&] {
            writer.addRow.BindBlob(1, keys[i])
                .Bind(2, state.stamp.size)
                .Bind(3, state.stamp.modifiedNs)
                .Bind(4, format)
                .BindText(5, state.words.shown)
                .BindText(6, state.words.norm)
                .Run();
        };
        try {
            add();
        } catch (const IndexError& error) {
            if (error.code != IndexError::kConstraint)
                throw;
            writer.Remove(keys[i]);
            add();
        }
        const qint64 id = index.LastInsertId();
        if (state.kind == FileState::Indexed) {
            writer.addTokens.Bind(1, id).BindText(2, state.tokens).Run();
            ids[i] = id;
            formats[i] = format;
        }
        state.words = {};
        state.tokens = {};
    };

    // Stamps and words on the workers, each keeping the folder it reads from open; this thread writes
    // the rows of the files they finish meanwhile.
    const int workers = WorkerCount();
    std::vector<std::unique_ptr<Folder>> folders(static_cast<std::size_t>(workers));
    std::vector<std::uint32_t> folderIndex(static_cast<std::size_t>(workers));
    std::atomic<std::size_t> read{0};
    std::optional<IndexError> failed;
    WorkerReports reports;
    reports.pump = paced;
    // Written in small batches, so that few are left to write when the workers are done.
    reports.every = std::chrono::milliseconds(2);
    reports.finished = [&](const std::vector<std::size_t>& done) {
        try {
            for (const std::size_t i : done)
                if (!failed)
                    write(i);
        } catch (const IndexError& error) {
            failed = error; // the workers finish before it is thrown
        }
    };
    try {
        RunOnWorkers(
            count, workers,
            [&](std::size_t i, int worker) {
                const LibraryFile& file = tree.files[i];
                const auto w = static_cast<std::size_t>(worker);
                std::unique_ptr<Folder>& folder = folders[w];
                if (!folder || folderIndex[w] != file.folder) {
                    folder = std::make_unique<Folder>(tree.folders[file.folder].path);
                    folderIndex[w] = file.folder;
                }
                states[i] = ReadState(tree, file, *folder, rowOf[i] ? &rowOf[i]->stamp : nullptr);
                if (states[i].kind != FileState::Unchanged && states[i].kind != FileState::Gone)
                    ++read;
            },
            reports);
        filesRead = read;
        times.read = Lap(clock);
        if (failed)
            throw *failed;
        for (const auto& [key, row] : rows)
            if (!row.inTree) {
                begin();
                writer.Remove(key);
            }
        if (inTransaction)
            index.Run("COMMIT");
        if (direct)
            index.WriteThroughLog();
        times.update = Lap(clock);
    } catch (const IndexError&) {
        if (inTransaction)
            index.Rollback();
        throw; // the file is opened anew, with its log, or the index kept in memory
    }
    for (std::size_t i = 0; i < count; ++i)
        if (states[i].kind == FileState::Failed)
            failures.push_back({ShownPath(tree.PathOf(tree.files[i])), states[i].error});
}

std::vector<qint64> SearchIndex::Impl::Matching(const std::string& word) {
    Statement query(index.Handle(), "SELECT rowid FROM grams WHERE grams MATCH ?");
    const std::string match = QueryOf(word);
    query.BindText(1, match);
    std::vector<qint64> ids;
    while (query.Step())
        ids.push_back(query.Int(0));
    return ids;
}

std::vector<std::pair<std::size_t, QString>>
SearchIndex::Impl::Find(const LibraryTree& tree, const std::vector<qint64>& ids, const QStringList& words) {
    const std::size_t count = ids.size();
    const FileOfId fileOf(ids);
    std::vector<QString> titles;
    titles.reserve(tree.folders.size());
    for (const LibraryFolder& folder : tree.folders)
        titles.push_back(NormalizeForSearch(folder.title));

    // Each word must be in the file's own words (as far as the tokens tell) or in its folder's title.
    std::vector<std::string> wordBytes;
    std::vector<std::vector<char>> has, titled;
    std::vector<char> candidate(count);
    for (std::size_t i = 0; i < count; ++i)
        candidate[i] = ids[i] >= 0;
    for (const QString& word : words) {
        wordBytes.push_back(word.toUtf8().toStdString());
        std::vector<char>& found = has.emplace_back(count, 0);
        for (const qint64 id : Matching(wordBytes.back()))
            if (const std::size_t i = fileOf(id); i != FileOfId::kNone)
                found[i] = 1;
        std::vector<char>& inTitle = titled.emplace_back(tree.folders.size(), 0);
        for (std::size_t f = 0; f < titles.size(); ++f)
            inTitle[f] = !titles[f].isEmpty() && titles[f].contains(word);
        for (std::size_t i = 0; i < count; ++i)
            candidate[i] = candidate[i] && (found[i] || inTitle[tree.files[i].folder]);
    }

    // Each word the tokens found is checked against the file's words, and the first word's text taken:
    // the name, else the folder's title, else the first memo or text that holds it. The rows are read
    // in the order of their ids, which is the order the table keeps them in.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < count; ++i)
        if (candidate[i])
            order.push_back(i);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return ids[a] < ids[b]; });
    std::vector<std::pair<std::size_t, QString>> hits;
    hits.reserve(order.size());
    Statement row(index.Handle(), "SELECT norm, shown FROM files WHERE id = ?");
    for (const std::size_t i : order) {
        const LibraryFile& file = tree.files[i];
        bool holds = true;
        int field = -1;
        QString shown;
        if (std::any_of(has.begin(), has.end(),
                        [&](const std::vector<char>& found) { return found[i] != 0; })) {
            row.Bind(1, ids[i]);
            holds = row.Step();
            const std::string_view norm = holds ? row.Text(0) : std::string_view();
            for (std::size_t w = 0; holds && w < wordBytes.size(); ++w)
                holds = titled[w][file.folder] || norm.find(wordBytes[w]) != std::string_view::npos;
            if (holds && has[0][i]) {
                field = FieldHolding(norm, wordBytes[0]);
                if (field > 0)
                    shown = QString::fromUtf8(FieldOf(row.Text(1), field - 1));
            }
            row.Reset();
        }
        if (!holds)
            continue;
        if (field == 0)
            hits.emplace_back(i, file.name);
        else if (titled[0][file.folder])
            hits.emplace_back(i, tree.folders[file.folder].title);
        else
            hits.emplace_back(i, shown);
    }
    return hits;
}

QString SearchIndex::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/search.sqlite");
}

SearchIndex::SearchIndex(const QString& file) : d_(std::make_unique<Impl>(file)) {}

SearchIndex::~SearchIndex() = default;

std::size_t SearchIndex::FilesRead() const {
    return d_->filesRead;
}

const SearchIndex::Times& SearchIndex::LastTimes() const {
    return d_->times;
}

bool SearchIndex::InMemory() const {
    return d_->index.InMemory();
}

SearchResults SearchIndex::Search(const std::filesystem::path& root, const QString& query,
                                  const std::function<void()>& pump) {
    d_->filesRead = 0;
    d_->times = {};
    QElapsedTimer clock;
    clock.start();
    FramePacer pacer;
    const auto paced = [&] {
        if (pump && pacer.Due())
            pump();
    };
    std::error_code error;
    std::filesystem::path base = std::filesystem::absolute(root, error).lexically_normal();
    if (!base.has_filename() && base.has_relative_path())
        base = base.parent_path(); // no trailing separator

    SearchResults results;
    LibraryTree tree = WalkLibrary(base, paced);
    d_->times.walk = Lap(clock);
    results.rootReadable = tree.rootReadable;
    results.failures = std::move(tree.failures);
    if (!tree.rootReadable)
        return results;

    std::vector<qint64> ids;
    std::vector<int> formats;
    std::vector<SearchFailure> fileFailures;
    std::vector<std::pair<std::size_t, QString>> found;
    const QStringList words = SearchWords(query);
    // A damaged or foreign file found while working is set aside and the work done again, at most
    // twice: on the new file, then in memory.
    for (int attempt = 0;; ++attempt) {
        try {
            if (!d_->index.IsOpen())
                throw IndexError{0, QStringLiteral("cannot be opened")};
            fileFailures.clear();
            d_->Update(tree, base, paced, ids, formats, fileFailures);
            clock.start();
            if (!words.isEmpty()) {
                // One snapshot for every look-up, which also spares each its own locking.
                d_->index.Run("BEGIN");
                try {
                    found = d_->Find(tree, ids, words);
                    d_->index.Run("COMMIT");
                } catch (const IndexError&) {
                    d_->index.Rollback();
                    throw;
                }
            }
            break;
        } catch (const IndexError& failure) {
            try {
                if (attempt == 2)
                    throw failure;
                if (attempt == 0)
                    d_->index.Recover(failure);
                else
                    d_->index.UseMemory();
            } catch (const IndexError& last) {
                results.failures.push_back({d_->index.File(), last.text});
                return results;
            }
        }
    }
    results.failures.insert(results.failures.end(), fileFailures.begin(), fileFailures.end());
    if (words.isEmpty())
        return results;

    // Sorted by the name shown, equal names by their folders' paths.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(found.size());
    for (const auto& hit : found)
        keys.push_back(CaptionKey(tree.files[hit.first].name));
    std::vector<std::size_t> order(found.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (const int c = keys[a].compare(keys[b]); c != 0)
            return c < 0;
        const std::uint32_t folderA = tree.files[found[a].first].folder;
        const std::uint32_t folderB = tree.files[found[b].first].folder;
        return folderA != folderB && tree.folders[folderA].path < tree.folders[folderB].path;
    });
    results.hits.reserve(found.size());
    for (const std::size_t k : order) {
        const std::size_t i = found[k].first;
        const LibraryFile& file = tree.files[i];
        results.hits.push_back({tree.PathOf(file), static_cast<FileFormat>(formats[i]),
                                tree.folders[file.folder].title, std::move(found[k].second)});
    }
    d_->times.query = Lap(clock);
    return results;
}

} // namespace plavik
