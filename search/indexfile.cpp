#include "search/indexfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace plavik {

namespace {

// Kept in the meta table: a file of another schema (or of another program) is set aside, one of an
// earlier schema of ours made anew.
constexpr std::string_view kSchemaName = "plavik-search ";
constexpr std::string_view kSchema = "plavik-search 2";

// files: one row per file read, with its stamp; format -1 for a file that is no figure or drawing, so
// that it is not read again while it stays as it is. shown: the memo and the texts as shown, separated
// by U+001F; norm: the name, memo and texts normalised, separated so too. grams indexes the pairs of
// neighbouring characters of each field (and its last character) as tokens, without positions: a word
// of one character is found by the tokens it starts, a longer one by all its pairs, checked against
// norm.
const char* const kCreate =
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
    "CREATE TABLE files(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE, size INTEGER NOT NULL, "
    "mtime INTEGER NOT NULL, format INTEGER NOT NULL, shown TEXT, norm TEXT);"
    "CREATE VIRTUAL TABLE grams USING fts5(tokens, content='', columnsize=0, detail=none, "
    "tokenize='ascii');";

// How long a statement waits for another program's write to end.
constexpr int kBusyMs = 5000;

// Pages of twice SQLite's usual size: fewer of them to split and to link while the index is built.
constexpr const char* kPageSize = "PRAGMA page_size=8192";

// How much of the file is read through memory mapping rather than copied page by page.
constexpr const char* kMapSize = "PRAGMA mmap_size=268435456";

IndexError ErrorOf(sqlite3* db, int code) {
    return {code & 0xFF,
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code))};
}

QByteArray NameOf(const QString& file) {
#ifdef _WIN32
    return file.toUtf8(); // SQLite's Windows layer takes UTF-8
#else
    return QFile::encodeName(file);
#endif
}

} // namespace

Statement::Statement(sqlite3* db, std::string_view sql) {
    const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &stmt_, nullptr);
    if (rc != SQLITE_OK)
        throw ErrorOf(db, rc);
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::Fail(int code) const {
    sqlite3* db = sqlite3_db_handle(stmt_);
    const IndexError error = ErrorOf(db, code);
    sqlite3_reset(stmt_);
    throw error;
}

Statement& Statement::Bind(int index, std::int64_t value) {
    if (const int rc = sqlite3_bind_int64(stmt_, index, value); rc != SQLITE_OK)
        Fail(rc);
    return *this;
}

Statement& Statement::BindText(int index, std::string_view text) {
    if (const int rc =
            sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        rc != SQLITE_OK)
        Fail(rc);
    return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
    if (const int rc =
            sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
        rc != SQLITE_OK)
        Fail(rc);
    return *this;
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        Fail(rc);
    sqlite3_reset(stmt_);
    return false;
}

void Statement::Run() {
    while (Step()) {
    }
}

void Statement::Reset() {
    sqlite3_reset(stmt_);
}

std::int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::string_view Statement::Text(int column) const {
    // As a blob: the UTF-8 bytes where they lie, without the copy that a terminating zero would need.
    return Blob(column);
}

std::string_view Statement::Blob(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return bytes ? std::string_view(bytes, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string_view();
}

IndexFile::IndexFile(const QString& file) : file_(file) {
    try {
        if (!file_.isEmpty())
            QDir().mkpath(QFileInfo(file_).absolutePath());
        Open(file_);
    } catch (const IndexError& error) {
        try {
            Recover(error);
        } catch (const IndexError&) {
            Close(); // searches report that the index cannot be opened
        }
    }
}

IndexFile::~IndexFile() {
    Close();
}

void IndexFile::Close() {
    sqlite3_close(db_); // every statement is gone: nothing keeps it open
    db_ = nullptr;
}

void IndexFile::Open(const QString& name) {
    Close();
    const int rc = sqlite3_open_v2(NameOf(name).constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const IndexError error = ErrorOf(db_, rc);
        Close();
        throw error;
    }
    sqlite3_busy_timeout(db_, kBusyMs);
    Run(kPageSize); // a new file's pages only: it is fixed once the file has any
    WriteThroughLog();
    Run(kMapSize);
    EnsureSchema();
}

bool IndexFile::WriteDirectly() {
    if (inMemory_)
        return false;
    // Another connection keeps the log in use: the mode stays as it is, at once rather than after
    // waiting for it to close.
    sqlite3_busy_timeout(db_, 0);
    bool direct = false;
    try {
        Statement mode(db_, "PRAGMA journal_mode=DELETE");
        direct = mode.Step() && mode.Text(0) == "delete";
        mode.Reset();
    } catch (const IndexError& error) {
        if (!error.Locked()) {
            sqlite3_busy_timeout(db_, kBusyMs);
            throw;
        }
    }
    sqlite3_busy_timeout(db_, kBusyMs);
    if (direct)
        Run("PRAGMA synchronous=FULL"); // the journal reaches the disk before the file is changed
    return direct;
}

void IndexFile::WriteThroughLog() {
    Run("PRAGMA journal_mode=WAL");
    Run("PRAGMA synchronous=NORMAL");
}

void IndexFile::Run(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw ErrorOf(db_, rc);
}

std::int64_t IndexFile::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

void IndexFile::Rollback() {
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void IndexFile::UseMemory() {
    inMemory_ = true;
    Open(QStringLiteral(":memory:"));
}

void IndexFile::EnsureSchema() {
    bool empty = false;
    {
        Statement tables(db_, "SELECT count(*) FROM sqlite_master");
        tables.Step();
        empty = tables.Int(0) == 0;
        tables.Reset();
    }
    if (empty) {
        Run("BEGIN IMMEDIATE");
        try {
            Run(kCreate);
            Statement meta(db_, "INSERT INTO meta VALUES('schema', ?)");
            meta.BindText(1, kSchema).Run();
            Run("COMMIT");
        } catch (const IndexError&) {
            Rollback();
            throw;
        }
        return;
    }
    std::string schema;
    try {
        Statement meta(db_, "SELECT value FROM meta WHERE key = 'schema'");
        if (meta.Step())
            schema = meta.Text(0);
        meta.Reset();
    } catch (const IndexError& error) {
        if (error.Damaged() || error.Locked())
            throw;
    }
    if (schema == kSchema)
        return;
    if (schema.starts_with(kSchemaName))
        throw IndexError{IndexError::kOutdated, QStringLiteral("an index of an earlier version")};
    throw IndexError{IndexError::kForeign, QStringLiteral("not a search index of this program")};
}

void IndexFile::Recover(const IndexError& error) {
    if (inMemory_ || !error.Damaged()) {
        UseMemory();
        return;
    }
    Close();
    // The file, its log, its journal and its shared memory go together: they belong to that file only.
    // Our own outdated index goes; anything else is set aside, never destroyed.
    bool moved = !QFile::exists(file_);
    if (!moved && error.code == IndexError::kOutdated) {
        moved = QFile::remove(file_);
    } else if (!moved) {
        const QString aside = file_ + QStringLiteral(".damaged");
        QFile::remove(aside);
        moved = QFile::rename(file_, aside);
    }
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(file_ + QString::fromLatin1(suffix));
    try {
        if (!moved)
            throw IndexError{0, QStringLiteral("cannot be set aside")};
        Open(file_);
    } catch (const IndexError&) {
        UseMemory();
    }
}

} // namespace plavik
