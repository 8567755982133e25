#include "print/pdffile.h"

#include "platform/folderscan.h"
#include "print/printcore.h"

#include <QDir>
#include <QPdfWriter>

#include <utility>

namespace plavik {

PdfFile::PdfFile(QString target) : target_(std::move(target)), file_(PathFromText(target_)) {}

PdfFile::PdfFile(const std::filesystem::path& target) : target_(PathText(target)), file_(target) {}

QString PdfFile::Error() const {
    if (file_.Failed())
        return QStringLiteral("%1 を書けません: %2").arg(QDir::toNativeSeparators(target_), file_.Error());
    return error_;
}

bool PdfFile::Open() {
    // A job to a device or a pipe is held back until it ends, so that a dropped job sends nothing.
    if (!file_.Open(true))
        return false;
    // Earlier versions wrote a job to a hidden ".plavik-XXXXXX.pdf" and left it when they were killed.
    RemoveEarlierTemporaries(file_.Target().parent_path(), ".plavik-", ".pdf");
    writer_ = std::make_unique<QPdfWriter>(&file_.Device());
    return true;
}

bool PdfFile::NewPage() {
    // A full disk stops the job here rather than after every remaining sheet is drawn.
    if (file_.Failed())
        return false;
    if (!writer_->newPage()) {
        error_ = CannotFeedText();
        return false;
    }
    return true;
}

bool PdfFile::Commit() {
    writer_.reset();
    return file_.Commit();
}

} // namespace plavik
