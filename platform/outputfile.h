// The one writer of every output file: thumbnails, PDFs and the settings file.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class QFileDevice;
class QIODevice;

namespace plavik {

// Writes one output file so that it appears whole or not at all. Every write and the final flush
// and close are checked; on a failure the target keeps its old bytes and no temporary file is left.
// - A regular file (or none yet) is written to a temporary file beside it, ".NAME.plavik-PID-XXXXXX",
//   which is renamed over it: the replaced file's mode is kept, a new file gets the umask's mode.
// - Symbolic links are followed, even dangling ones: the link stays, its target is written.
// - What is not a regular file (standard output, a pipe, a device) is written directly.
// - A target without write permission is refused, even for root.
// - "-" is standard output.
class OutputFile {
public:
    explicit OutputFile(std::filesystem::path target);
    // Discards what was not committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Gets ready to write. With holdForDevices, the bytes for a target that is not a regular file are
    // held in an unnamed temporary file until Commit, so that a discarded job sends nothing. False
    // with Error() set when the target cannot be written.
    bool Open(bool holdForDevices = false);
    // Writes all bytes. False with Error() set on the first failure; every later write fails too.
    bool Write(const char* data, qint64 size);
    // Flushes and closes the output and puts it in place. False with Error() set when anything failed
    // since Open; the target is then as it was.
    bool Commit();
    // Drops what was written; the target stays as it was.
    void Discard();

    // A device whose writes go to Write(), for writers that take a QIODevice (QPdfWriter). It keeps
    // no error of its own: Commit tells.
    QIODevice& Device();
    bool Failed() const { return !error_.isEmpty(); }
    // The path the writer was made for.
    const std::filesystem::path& Target() const { return target_; }
    // The system's text of the first failure ("No space left on device").
    const QString& Error() const { return error_; }

private:
    friend class OutputBatch;
    enum class Output { None, Temporary, Direct, Held };
    bool Fail(int error);
    // For a batch: closes a temporary file without flushing it to the disk or putting it in place,
    // and hands over its path and the target's (links followed); other outputs are committed and
    // temp is left empty. False with Error() set on a failure, the target then as it was.
    bool CloseForBatch(std::filesystem::path& temp, std::filesystem::path& final);
    bool CopyHeldToTarget();

    std::filesystem::path target_;
    std::filesystem::path final_; // the target with its links followed
    std::filesystem::path temp_;  // the temporary file beside final_
    Output output_ = Output::None;
    int fd_ = -1;
    bool ownsFd_ = true;
    QString error_;
    std::unique_ptr<QIODevice> device_;
    std::unique_ptr<QFileDevice> qtFile_; // the file on Windows, where Qt writes it
};

// Writes many output files, each whole or not at all as OutputFile writes it, with one flush to the
// disk for them all: each goes to its temporary file, and Commit syncs the file systems they are on
// once, then renames each into place. A folder export then waits for the disk once rather than once a
// file. Add may be called from several threads at once.
class OutputBatch {
public:
    OutputBatch() = default;
    // Removes the temporary files not committed.
    ~OutputBatch();
    OutputBatch(const OutputBatch&) = delete;
    OutputBatch& operator=(const OutputBatch&) = delete;

    // Writes bytes for target, to be put in place by Commit (what is not a regular file is written at
    // once). The system's text of the failure, or nothing.
    std::optional<QString> Add(const std::filesystem::path& target, QByteArrayView bytes);
    // Syncs what was added and puts each file in place: the targets that failed, with the system's
    // text; each of them is as it was.
    std::vector<std::pair<std::filesystem::path, QString>> Commit();

private:
    struct Pending {
        std::filesystem::path target, temp, final;
    };
    std::mutex mutex_;
    std::vector<Pending> pending_;
};

// Writes bytes to target as OutputFile does. With inPlace, an existing regular file is rewritten in
// place instead of replaced, so that a reader holding it open sees the new bytes (room for them is
// reserved first, so that a full disk leaves it as it was). The system's text of the failure, or nothing.
std::optional<QString> WriteWholeFile(const std::filesystem::path& target, QByteArrayView bytes,
                                      bool inPlace = false);

// Makes an empty temporary file beside target, named as OutputFile names its own, after removing the
// stale ones of target (of processes that have ended, or older than this process). Its path, or an
// empty path with the system's text in error.
std::filesystem::path MakeTemporaryBeside(const std::filesystem::path& target, QString& error);

// Removes the temporary files that earlier versions left beside their outputs when they were killed:
// files of folder named prefix, six random letters and digits, then suffix, older than this process.
void RemoveEarlierTemporaries(const std::filesystem::path& folder, std::string_view prefix,
                              std::string_view suffix);

// Lets a write beyond the process's file size limit (ulimit -f) fail with "File too large", which the
// writer reports and recovers from, instead of ending the program with SIGXFSZ mid-file.
void ReportFileSizeLimitAsError();

} // namespace plavik
