#include "print/pendingfile.h"

#include "platform/folderscan.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>
#include <utility>

namespace plavik {

PendingFile::PendingFile(QString target) : target_(std::move(target)) {}

PendingFile::~PendingFile() {
    Discard();
}

bool PendingFile::Open() {
    Discard();
    // A .pdf name keeps a QPrinter on its PDF writer when the name is handed to it.
    temp_ = std::make_unique<QTemporaryFile>(QFileInfo(target_).absolutePath() +
                                             QStringLiteral("/.plavik-XXXXXX.pdf"));
    if (!temp_->open()) {
        error_ = QStringLiteral("印刷用の一時ファイルを作れません: %1").arg(temp_->errorString());
        temp_.reset();
        return false;
    }
    // The writer opens the file by name; this object only keeps the name and removes the file.
    temp_->close();
    temp_->setAutoRemove(false);
    return true;
}

QString PendingFile::FileName() const {
    return temp_ ? temp_->fileName() : QString();
}

bool PendingFile::Commit() {
    if (!temp_) {
        error_ = QStringLiteral("%1 を書けません").arg(target_);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(PathFromText(temp_->fileName()), PathFromText(target_), ec);
    if (ec) {
        error_ = QStringLiteral("%1 を書けません: %2").arg(target_, QString::fromStdString(ec.message()));
        Discard();
        return false;
    }
    temp_.reset();
    return true;
}

void PendingFile::Discard() {
    if (temp_) {
        QFile::remove(temp_->fileName());
        temp_.reset();
    }
}

} // namespace plavik
