// The SQLite file that holds the search index, used through SQLite's own interface: opened with a
// write-ahead log and a busy timeout, so that two running programs share it; set aside and made anew
// when it is damaged or not ours, and kept in memory for the run when another program holds it locked.
#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace plavik {

// A statement that failed: SQLite's primary result code (or kForeign) and its text.
struct IndexError {
    static constexpr int kForeign = -1;    // a database, but not an index of ours
    static constexpr int kOutdated = -2;   // an index of an earlier version of this program
    static constexpr int kConstraint = 19; // SQLITE_CONSTRAINT: a path indexed twice
    int code = 0;
    QString text;
    bool Locked() const { return code == 5 || code == 6; } // SQLITE_BUSY, SQLITE_LOCKED
    // SQLITE_CORRUPT, SQLITE_NOTADB, not ours or outdated: the file itself is at fault.
    bool Damaged() const { return code == 11 || code == 26 || code == kForeign || code == kOutdated; }
};

// One prepared statement, kept for many runs. Values are bound by position (from 1); texts are UTF-8
// and must outlive the run they are bound for. Every failure throws IndexError.
class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::int64_t value);
    Statement& BindText(int index, std::string_view text);
    Statement& BindBlob(int index, std::string_view bytes);
    // The next row: true when there is one, false (and the statement reset for the next run) at the end.
    bool Step();
    // Runs the statement to its end and resets it.
    void Run();
    // Ends a run early, so that its values may go.
    void Reset();

    // The current row's values, columns counted from 0; texts and blobs valid until the next Step.
    std::int64_t Int(int column) const;
    std::string_view Text(int column) const;
    std::string_view Blob(int column) const;

private:
    [[noreturn]] void Fail(int code) const;

    sqlite3_stmt* stmt_ = nullptr;
};

class IndexFile {
public:
    // Opens file, or sets it aside and starts anew, or opens a database in memory; never throws.
    explicit IndexFile(const QString& file);
    ~IndexFile();
    IndexFile(const IndexFile&) = delete;
    IndexFile& operator=(const IndexFile&) = delete;

    bool InMemory() const { return inMemory_; }
    bool IsOpen() const { return db_ != nullptr; }
    const QString& File() const { return file_; }
    sqlite3* Handle() const { return db_; }

    // After error: a damaged or foreign file set aside and made anew, an outdated one made anew;
    // otherwise (locked, full, or failing again) the index in memory. Throws IndexError when not even that
    // opens. Every statement must be gone.
    void Recover(const IndexError& error);
    // The index in memory for the rest of the run. Throws IndexError when even that fails.
    void UseMemory();
    // Ends a transaction that failed, whatever state it is in.
    void Rollback();

    // While no other program has the file open: writes the changes of a large update straight into the
    // file, with a rollback journal, rather than once into the write-ahead log and again into the file;
    // true when it does. A crash leaves the file as it was before, as the log does.
    bool WriteDirectly();
    // Back to the write-ahead log, so that other programs may read and write meanwhile again.
    void WriteThroughLog();

    // Runs sql (one or more statements without values); throws IndexError on failure.
    void Run(const char* sql);
    // The row id of the last row added.
    std::int64_t LastInsertId() const;

private:
    void Open(const QString& name);
    void Close();
    void EnsureSchema();

    QString file_;
    sqlite3* db_ = nullptr;
    bool inMemory_ = false;
};

} // namespace plavik
