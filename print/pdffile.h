// A PDF file that appears only when its job ends well, and whose every write is checked.
#pragma once

#include "platform/outputfile.h"

#include <QString>

#include <filesystem>
#include <memory>

class QPdfWriter;

namespace plavik {

// Qt's PDF writer writes into the program's one writer of output files, which checks every write:
// Qt itself ignores a short write (a full disk, a file size limit). The target is replaced (or, when
// it is not a regular file, written) only by Commit; a job that is dropped or fails leaves it as it was
// and no temporary file behind.
class PdfFile {
public:
    explicit PdfFile(QString target);
    // The same for a path whose name need not be valid text: its bytes are kept.
    explicit PdfFile(const std::filesystem::path& target);
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // Gets the file ready and makes the PDF writer. False with Error() set when the target cannot be
    // written.
    bool Open();
    // The PDF writer to paint on; valid after Open succeeds.
    QPdfWriter& Writer() { return *writer_; }
    // Begins a new page. False with Error() set when the file cannot be written any more.
    bool NewPage();
    // Ends the PDF (the painter must have ended) and puts it in place. False with Error() set when any
    // write failed; the target is then as it was.
    bool Commit();
    // Whether a write has failed so far.
    bool Failed() const { return file_.Failed(); }
    // The message of a failure: for a failed write the file and the system's reason
    // ("%1 を書けません: %2").
    QString Error() const;
    // The system's reason of a failed write, empty when none failed.
    const QString& Reason() const { return file_.Error(); }

private:
    QString target_;
    OutputFile file_;
    std::unique_ptr<QPdfWriter> writer_; // after file_, so that it goes first

    QString error_; // a failure of the PDF writer itself
};

} // namespace plavik
