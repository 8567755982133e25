// The SQLite file that holds the search index: opened through Qt's QSQLITE driver with a write-ahead
// log and a busy timeout, so that two running programs share it; set aside and made anew when it is
// damaged or not ours, and kept in memory for the run when another program holds it locked.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <initializer_list>

namespace plavik {

// A statement that failed: SQLite's primary result code (or kForeign) and the driver's text.
struct IndexError {
    static constexpr int kForeign = -1;    // a database, but not an index of ours
    static constexpr int kConstraint = 19; // SQLITE_CONSTRAINT: a path indexed twice
    int code = 0;
    QString text;
    bool Locked() const { return code == 5 || code == 6; } // SQLITE_BUSY, SQLITE_LOCKED
    // SQLITE_CORRUPT, SQLITE_NOTADB, or not ours: the file itself is at fault.
    bool Damaged() const { return code == 11 || code == 26 || code == kForeign; }
};

class IndexFile {
public:
    // Opens file, or sets it aside and starts anew, or opens a database in memory; never throws.
    explicit IndexFile(const QString& file);
    ~IndexFile();
    IndexFile(const IndexFile&) = delete;
    IndexFile& operator=(const IndexFile&) = delete;

    bool InMemory() const { return inMemory_; }
    bool IsOpen() const { return db_.isOpen(); }
    const QString& File() const { return file_; }

    // After error: a damaged or foreign file set aside and made anew; otherwise (locked, full, or
    // failing again) the index in memory. Throws IndexError when not even that opens. Every query must be
    // gone.
    void Recover(const IndexError& error);
    // The index in memory for the rest of the run. Throws IndexError when even that fails.
    void UseMemory();
    // Ends a transaction that failed, whatever state it is in.
    void Rollback();

    // A statement prepared, or bound and run; each throws IndexError on failure.
    QSqlQuery Prepare(const QString& sql);
    static void Run(QSqlQuery& query, std::initializer_list<QVariant> values = {});
    void Run(const QString& sql);

private:
    void Open(const QString& name);
    void Close();
    void EnsureSchema();
    IndexError ErrorOf(const QSqlError& error) const;

    QString file_;
    QString connection_; // unique to this object: connections belong to one thread
    QSqlDatabase db_;
    bool inMemory_ = false;
};

} // namespace plavik
