#include "search/searchindex.h"

#include "listing/workers.h"
#include "platform/filetexts.h"
#include "platform/folderscan.h"
#include "platform/sjis.h"
#include "render/filewords.h"
#include "search/indexfile.h"
#include "search/normalize.h"

#include <QElapsedTimer>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <unordered_map>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace plavik {

namespace {

// Separates the memo and the texts in the shown column.
constexpr QChar kFieldSeparator(0x1F);
constexpr int kNotOurs = -1; // the format column of a file that is no figure or drawing

struct Stamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const Stamp&) const = default;
};

// The file's size and time as FileBytes tells them, without opening it.
std::optional<Stamp> StatFile(const std::filesystem::path& path) {
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
QByteArray KeyOf(const std::filesystem::path& path) {
    const auto& native = path.native();
    return QByteArray(reinterpret_cast<const char*>(native.data()),
                      static_cast<qsizetype>(native.size() * sizeof(native[0])));
}

// The first key after every key that starts with prefix.
QByteArray PrefixEnd(QByteArray prefix) {
    while (!prefix.isEmpty() && static_cast<unsigned char>(prefix.back()) == 0xFF)
        prefix.chop(1);
    if (!prefix.isEmpty())
        prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
    return prefix;
}

// The text's characters, each as its hexadecimal code and one a token: the letters index.
QString Letters(const QString& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    QString codes;
    codes.reserve(text.size() * 5);
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), text.at(++i).unicode());
        if (!codes.isEmpty())
            codes += u' ';
        char digits[8];
        int n = 0;
        do {
            digits[n++] = kHex[c & 15];
            c >>= 4;
        } while (c != 0);
        while (n > 0)
            codes += QLatin1Char(digits[--n]);
    }
    return codes;
}

// The FTS5 query that finds the word as it stands.
QString MatchOf(const QString& word) {
    if (word.toUcs4().size() >= 3)
        return u'"' + QString(word).replace(u'"', QStringLiteral("\"\"")) + u'"';
    return u'"' + Letters(word) + u'"';
}

// What reading one file of the tree came to.
struct FileState {
    enum Kind { Unchanged, Indexed, NotOurs, Failed, Gone } kind = Gone;
    Stamp stamp;
    FileFormat format = FileFormat::Jwk;
    QString shown;   // Indexed: the memo and the texts as shown
    QString norm;    // Indexed: the name, memo and texts normalised
    QString letters; // Indexed: Letters(norm)
    QString error;   // Failed
};

// A file with a row is looked at first and read only when its stamp changed; a new file is read
// straight away, its stamp taken from the open file.
FileState ReadState(const LibraryFile& file, const Stamp* known) {
    FileState state;
    if (known) {
        const std::optional<Stamp> stamp = StatFile(file.path);
        if (!stamp)
            return state; // gone since the walk
        if (*known == *stamp) {
            state.kind = FileState::Unchanged;
            return state;
        }
    }
    try {
        FileBytes bytes(file.path);
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
        const auto field = [](const std::string& bytes) {
            return DecodeSjis(bytes).replace(kFieldSeparator, u' ').trimmed();
        };
        QStringList shown{field(words->memo)};
        QStringList norm{NormalizeForSearch(QString(file.name).replace(kFieldSeparator, u' ')),
                         NormalizeForSearch(shown.front())};
        for (const std::string& text : words->texts) {
            shown << field(text);
            norm << NormalizeForSearch(shown.back());
        }
        state.shown = shown.join(kFieldSeparator);
        state.norm = norm.join(kFieldSeparator);
        state.letters = Letters(state.norm);
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

// Where a word was found first in a file's own words.
struct OwnMatch {
    bool inName = false;
    QString shown; // else the memo or text as shown
};

struct Row {
    qint64 id = 0;
    Stamp stamp;
    int format = kNotOurs;
    bool inTree = false; // still in the tree: the rows left without it are gone
};

// The field of that number in fields joined by kFieldSeparator; empty beyond the last.
QString FieldOf(const QString& fields, qsizetype number) {
    qsizetype start = 0;
    for (; number > 0; --number) {
        start = fields.indexOf(kFieldSeparator, start);
        if (start < 0)
            return {};
        ++start;
    }
    const qsizetype end = fields.indexOf(kFieldSeparator, start);
    return fields.mid(start, end < 0 ? -1 : end - start);
}

} // namespace

struct SearchIndex::Impl {
    explicit Impl(const QString& file) : index(file) {}

    // Brings the rows of the tree's files up to date; the row id of each file of the tree, -1 for those
    // that are not indexed, and their formats.
    void Update(const LibraryTree& tree, const std::filesystem::path& root,
                const std::function<void()>& paced, std::vector<qint64>& ids, std::vector<int>& formats,
                std::vector<SearchFailure>& failures);
    // Removes the row of the path, with what the full-text tables hold of it.
    void Remove(QSqlQuery& find, QSqlQuery& removeRow, QSqlQuery& trigrams, QSqlQuery& letters,
                const QByteArray& key);
    // Row ids of the files whose own words (name, memo, texts) hold the word.
    std::vector<qint64> Matching(const QString& word);
    // Where the word is in the files' own words: for each of ids that holds it, the first of the name,
    // the memo and the texts.
    std::unordered_map<qint64, OwnMatch> OwnMatches(const std::vector<qint64>& ids, const QString& word);

    IndexFile index;
    std::size_t filesRead = 0;
    Times times;
};

void SearchIndex::Impl::Remove(QSqlQuery& find, QSqlQuery& removeRow, QSqlQuery& trigrams, QSqlQuery& letters,
                               const QByteArray& key) {
    IndexFile::Run(find, {key});
    if (!find.next())
        return;
    const qint64 id = find.value(0).toLongLong();
    const int format = find.value(1).toInt();
    const QString norm = find.value(2).toString();
    find.finish();
    if (format != kNotOurs) {
        IndexFile::Run(trigrams, {id, norm});
        IndexFile::Run(letters, {id, Letters(norm)});
    }
    IndexFile::Run(removeRow, {id});
}

void SearchIndex::Impl::Update(const LibraryTree& tree, const std::filesystem::path& root,
                               const std::function<void()>& paced, std::vector<qint64>& ids,
                               std::vector<int>& formats, std::vector<SearchFailure>& failures) {
    QElapsedTimer clock;
    clock.start();
    QByteArray prefix = KeyOf(root / "");
    std::unordered_map<QByteArray, Row> rows;
    {
        QSqlQuery known = index.Prepare(
            QStringLiteral("SELECT id, path, size, mtime, format FROM files WHERE path >= ? AND path < ?"));
        IndexFile::Run(known, {prefix, PrefixEnd(prefix)});
        while (known.next())
            rows.emplace(known.value(1).toByteArray(),
                         Row{known.value(0).toLongLong(),
                             {known.value(2).toLongLong(), known.value(3).toLongLong()},
                             known.value(4).toInt()});
    }

    // Stamps and words on the workers; the rows stay with this thread.
    const std::size_t count = tree.files.size();
    std::vector<QByteArray> keys(count);
    std::vector<Row*> rowOf(count, nullptr);
    for (std::size_t i = 0; i < count; ++i) {
        keys[i] = KeyOf(tree.files[i].path);
        if (const auto it = rows.find(keys[i]); it != rows.end())
            rowOf[i] = &it->second;
    }
    QSqlQuery find = index.Prepare(QStringLiteral("SELECT id, format, norm FROM files WHERE path = ?"));
    QSqlQuery removeRow = index.Prepare(QStringLiteral("DELETE FROM files WHERE id = ?"));
    QSqlQuery removeTrigrams =
        index.Prepare(QStringLiteral("INSERT INTO trigrams(trigrams, rowid, norm) VALUES('delete', ?, ?)"));
    QSqlQuery removeLetters =
        index.Prepare(QStringLiteral("INSERT INTO letters(letters, rowid, codes) VALUES('delete', ?, ?)"));
    QSqlQuery addRow = index.Prepare(
        QStringLiteral("INSERT INTO files(path, size, mtime, format, shown, norm) VALUES(?, ?, ?, ?, ?, ?)"));
    QSqlQuery addTrigrams = index.Prepare(QStringLiteral("INSERT INTO trigrams(rowid, norm) VALUES(?, ?)"));
    QSqlQuery addLetters = index.Prepare(QStringLiteral("INSERT INTO letters(rowid, codes) VALUES(?, ?)"));
    const auto remove = [&](const QByteArray& key) {
        Remove(find, removeRow, removeTrigrams, removeLetters, key);
    };

    // One transaction for every change, begun with the first: a search that changes nothing never
    // waits for another program's writing.
    bool inTransaction = false;
    const auto begin = [&] {
        if (!inTransaction)
            index.Run(QStringLiteral("BEGIN IMMEDIATE"));
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
            remove(keys[i]);
        if (state.kind != FileState::Indexed && state.kind != FileState::NotOurs)
            return;
        const int format = state.kind == FileState::Indexed ? static_cast<int>(state.format) : kNotOurs;
        const auto add = [&] {
            IndexFile::Run(
                addRow, {keys[i], state.stamp.size, state.stamp.modifiedNs, format, state.shown, state.norm});
        };
        try {
            add();
        } catch (const IndexError& error) {
            if (error.code != IndexError::kConstraint)
                throw;
            remove(keys[i]);
            add();
        }
        const qint64 id = addRow.lastInsertId().toLongLong();
        if (state.kind == FileState::Indexed) {
            IndexFile::Run(addTrigrams, {id, state.norm});
            IndexFile::Run(addLetters, {id, state.letters});
            ids[i] = id;
            formats[i] = format;
        }
        state.shown = state.norm = state.letters = QString();
    };

    // Stamps and words on the workers; this thread writes the rows of the files they finish meanwhile.
    std::atomic<std::size_t> read{0};
    std::optional<IndexError> failed;
    WorkerReports reports;
    reports.pump = paced;
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
            count, WorkerCount(),
            [&](std::size_t i, int) {
                states[i] = ReadState(tree.files[i], rowOf[i] ? &rowOf[i]->stamp : nullptr);
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
                remove(key);
            }
        if (inTransaction)
            index.Run(QStringLiteral("COMMIT"));
        times.update = Lap(clock);
    } catch (const IndexError&) {
        if (inTransaction)
            index.Rollback();
        throw;
    }
    for (std::size_t i = 0; i < count; ++i)
        if (states[i].kind == FileState::Failed)
            failures.push_back({ShownPath(tree.files[i].path), states[i].error});
}

std::vector<qint64> SearchIndex::Impl::Matching(const QString& word) {
    const bool longWord = word.toUcs4().size() >= 3;
    QSqlQuery query =
        index.Prepare(longWord ? QStringLiteral("SELECT rowid FROM trigrams WHERE trigrams MATCH ?")
                               : QStringLiteral("SELECT rowid FROM letters WHERE letters MATCH ?"));
    IndexFile::Run(query, {MatchOf(word)});
    std::vector<qint64> ids;
    while (query.next())
        ids.push_back(query.value(0).toLongLong());
    return ids;
}

std::unordered_map<qint64, OwnMatch> SearchIndex::Impl::OwnMatches(const std::vector<qint64>& ids,
                                                                   const QString& word) {
    std::unordered_map<qint64, OwnMatch> matches;
    constexpr std::size_t kBatch = 500;
    for (std::size_t from = 0; from < ids.size(); from += kBatch) {
        QStringList list;
        for (std::size_t i = from; i < std::min(ids.size(), from + kBatch); ++i)
            list << QString::number(ids[i]);
        QSqlQuery query = index.Prepare(
            QStringLiteral("SELECT id, norm, shown FROM files WHERE id IN (%1)").arg(list.join(u',')));
        IndexFile::Run(query);
        while (query.next()) {
            // The first field that holds the word is the one its first place lies in: no word holds
            // the separator.
            const QString norm = query.value(1).toString();
            const qsizetype at = norm.indexOf(word);
            if (at < 0)
                continue;
            const qsizetype field = QStringView(norm).left(at).count(kFieldSeparator);
            OwnMatch& match = matches[query.value(0).toLongLong()];
            if (field == 0)
                match.inName = true;
            else
                match.shown = FieldOf(query.value(2).toString(), field - 1);
        }
    }
    return matches;
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
    std::vector<qint64> found;
    const QStringList words = SearchWords(query);
    std::vector<std::vector<qint64>> matching;
    // A damaged or foreign file found while working is set aside and the work done again, at most
    // twice: on the new file, then in memory.
    for (int attempt = 0;; ++attempt) {
        try {
            if (!d_->index.IsOpen())
                throw IndexError{0, QStringLiteral("cannot be opened")};
            fileFailures.clear();
            d_->Update(tree, base, paced, ids, formats, fileFailures);
            clock.start();
            matching.clear();
            for (const QString& word : words)
                matching.push_back(d_->Matching(word));
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

    // Each word must be in the file's own words or in its folder's title.
    std::unordered_map<qint64, std::size_t> fileOfId;
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (ids[i] >= 0)
            fileOfId.emplace(ids[i], i);
    std::vector<QString> titles;
    titles.reserve(tree.folders.size());
    for (const LibraryFolder& folder : tree.folders)
        titles.push_back(NormalizeForSearch(folder.title));
    std::vector<char> candidate(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        candidate[i] = ids[i] >= 0;
    for (qsizetype w = 0; w < words.size(); ++w) {
        std::vector<char> has(ids.size(), 0);
        for (const qint64 id : matching[static_cast<std::size_t>(w)])
            if (const auto it = fileOfId.find(id); it != fileOfId.end())
                has[it->second] = 1;
        std::vector<char> titled(tree.folders.size());
        for (std::size_t f = 0; f < titles.size(); ++f)
            titled[f] = !titles[f].isEmpty() && titles[f].contains(words[w]);
        for (std::size_t i = 0; i < ids.size(); ++i)
            candidate[i] = candidate[i] && (has[i] || titled[tree.files[i].folder]);
    }

    std::vector<std::size_t> hits;
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (candidate[i])
            hits.push_back(i);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(hits.size());
    for (const std::size_t i : hits)
        keys.push_back(CaptionKey(tree.files[i].name));
    std::vector<std::size_t> order(hits.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (const int c = keys[a].compare(keys[b]); c != 0)
            return c < 0;
        return tree.files[hits[a]].path.parent_path() < tree.files[hits[b]].path.parent_path();
    });

    const QString& first = words.front();
    std::vector<qint64> hitIds;
    hitIds.reserve(hits.size());
    for (const std::size_t i : hits)
        hitIds.push_back(ids[i]);
    const std::unordered_map<qint64, OwnMatch> own = d_->OwnMatches(hitIds, first);
    for (const std::size_t k : order) {
        const std::size_t i = hits[k];
        const LibraryFile& file = tree.files[i];
        const QString& title = tree.folders[file.folder].title;
        SearchHit hit{file.path, static_cast<FileFormat>(formats[i]), title, {}};
        const auto it = own.find(ids[i]);
        if (it != own.end() && it->second.inName)
            hit.match = file.name;
        else if (titles[file.folder].contains(first))
            hit.match = title;
        else if (it != own.end())
            hit.match = it->second.shown;
        results.hits.push_back(std::move(hit));
    }
    d_->times.query = Lap(clock);
    return results;
}

} // namespace plavik
