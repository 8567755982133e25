#include "search/indexfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>

#include <atomic>

namespace plavik {

namespace {

// Kept in the meta table: a file of another schema (or of another program) is set aside.
const QString kSchema = QStringLiteral("plavik-search 1");

// files: one row per file read, with its stamp; format -1 for a file that is no figure or drawing, so
// that it is not read again while it stays as it is. shown: the memo and the texts as shown, separated
// by U+001F; norm: the name, memo and texts normalised, separated so too. trigrams indexes norm for words of
// three characters and more; letters indexes norm's characters one by one (each as its hexadecimal
// code), so that a word of one or two characters is a phrase of one or two of them.
const char* const kCreate[] = {
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL)",
    "CREATE TABLE files(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE, size INTEGER NOT NULL, "
    "mtime INTEGER NOT NULL, format INTEGER NOT NULL, shown TEXT, norm TEXT)",
    "CREATE VIRTUAL TABLE trigrams USING fts5(norm, content='files', content_rowid='id', "
    "tokenize='trigram case_sensitive 1')",
    "CREATE VIRTUAL TABLE letters USING fts5(codes, content='', columnsize=0, tokenize='ascii')",
};

// How long a statement waits for another program's write to end.
constexpr int kBusyMs = 5000;

} // namespace

IndexFile::IndexFile(const QString& file) : file_(file) {
    static std::atomic<int> serial{0};
    connection_ = QStringLiteral("plavik-search-%1").arg(serial++);
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
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
}

void IndexFile::Open(const QString& name) {
    Close();
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setDatabaseName(name);
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyMs));
    if (!db_.open())
        throw ErrorOf(db_.lastError());
    Run(QStringLiteral("PRAGMA journal_mode=WAL"));
    Run(QStringLiteral("PRAGMA synchronous=NORMAL"));
    EnsureSchema();
}

void IndexFile::Rollback() {
    QSqlQuery query(db_);
    query.exec(QStringLiteral("ROLLBACK"));
}

void IndexFile::UseMemory() {
    inMemory_ = true;
    Open(QStringLiteral(":memory:"));
}

void IndexFile::EnsureSchema() {
    QSqlQuery tables = Prepare(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    Run(tables);
    const bool empty = tables.next() && tables.value(0).toLongLong() == 0;
    tables.finish();
    if (empty) {
        Run(QStringLiteral("BEGIN IMMEDIATE"));
        for (const char* sql : kCreate)
            Run(QString::fromLatin1(sql));
        QSqlQuery meta = Prepare(QStringLiteral("INSERT INTO meta VALUES('schema', ?)"));
        Run(meta, {kSchema});
        Run(QStringLiteral("COMMIT"));
        return;
    }
    QSqlQuery schema(db_);
    if (!schema.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'schema'")) || !schema.next() ||
        schema.value(0).toString() != kSchema)
        throw IndexError{IndexError::kForeign, QStringLiteral("not a search index of this program")};
}

void IndexFile::Recover(const IndexError& error) {
    if (inMemory_ || !error.Damaged()) {
        UseMemory();
        return;
    }
    Close();
    // The file, its log and its shared memory go aside together: the log belongs to that file only.
    const QString aside = file_ + QStringLiteral(".damaged");
    QFile::remove(aside);
    const bool moved = !QFile::exists(file_) || QFile::rename(file_, aside);
    QFile::remove(file_ + QStringLiteral("-wal"));
    QFile::remove(file_ + QStringLiteral("-shm"));
    try {
        if (!moved)
            throw IndexError{0, QStringLiteral("cannot be set aside")};
        Open(file_);
    } catch (const IndexError&) {
        UseMemory();
    }
}

QSqlQuery IndexFile::Prepare(const QString& sql) {
    QSqlQuery query(db_);
    query.setForwardOnly(true); // every result is read once, in order: no row is cached
    if (!query.prepare(sql))
        throw ErrorOf(query.lastError());
    return query;
}

void IndexFile::Run(QSqlQuery& query, std::initializer_list<QVariant> values) {
    int i = 0;
    for (const QVariant& value : values)
        query.bindValue(i++, value);
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        throw IndexError{error.nativeErrorCode().toInt() & 0xFF, error.text()};
    }
}

void IndexFile::Run(const QString& sql) {
    QSqlQuery query(db_);
    if (!query.exec(sql))
        throw ErrorOf(query.lastError());
}

IndexError IndexFile::ErrorOf(const QSqlError& error) const {
    return {error.nativeErrorCode().toInt() & 0xFF, error.text()};
}

} // namespace plavik
