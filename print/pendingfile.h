// An output file that appears only when it is complete.
#pragma once

#include <QString>

#include <memory>

class QTemporaryFile;

namespace plavik {

// The output is written to a temporary file beside the target and renamed over it when the job
// ends well, so that an aborted or failed job leaves no partial file and keeps a target from before.
// The rename stays on one disk because the temporary file lies in the target's folder.
class PendingFile {
public:
    explicit PendingFile(QString target);
    // Discards the temporary file unless it was committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file (a hidden name ending in .pdf). False with Error() set when it
    // cannot be made.
    bool Open();
    // The temporary file to write to; empty until Open succeeds.
    QString FileName() const;
    const QString& Target() const { return target_; }
    // Renames the temporary file over the target. False with Error() set when that fails; the
    // temporary file is gone either way.
    bool Commit();
    // Deletes the temporary file; the target stays as it was.
    void Discard();
    const QString& Error() const { return error_; }

private:
    QString target_;
    std::unique_ptr<QTemporaryFile> temp_;
    QString error_;
};

} // namespace plavik
