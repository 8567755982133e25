#include "app/listing.h"

#include "platform/folderscan.h"
#include "platform/sjis.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace plavik {

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

constexpr std::size_t kNameBytes = 8;

} // namespace

std::filesystem::path ToPath(const QString& text) {
#ifdef Q_OS_WIN
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

QString FolderNameFromBytes(std::string_view bytes) {
    bytes = bytes.substr(0, kNameBytes);
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    std::size_t whole = 0; // the bytes that make whole characters
    while (whole < bytes.size()) {
        const std::size_t width = IsLeadByte(static_cast<unsigned char>(bytes[whole])) ? 2 : 1;
        if (whole + width > bytes.size())
            break;
        whole += width;
    }
    return DecodeSjis(bytes.substr(0, whole));
}

FolderName ReadFolderName(const std::filesystem::path& folder) {
    const QString none = QStringLiteral("[無し]");
    const std::filesystem::path file = FindFileNoCase(folder, "Zu_name.dat");
    if (file.empty())
        return {none, std::nullopt};
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        return {none, DisplayName(file.filename()) + QStringLiteral(": ") + reason};
    }
    char bytes[kNameBytes] = {};
    in.read(bytes, kNameBytes);
    return {FolderNameFromBytes(std::string_view(bytes, static_cast<std::size_t>(in.gcount()))),
            std::nullopt};
}

QString ListingErrorText(const std::vector<ListingFailure>& failures, std::size_t shown) {
    QStringList lines;
    for (std::size_t i = 0; i < failures.size() && i < shown; ++i)
        lines << failures[i].fileName + QStringLiteral(": ") + failures[i].message;
    if (failures.size() > shown)
        lines << QStringLiteral("他 %1 件").arg(failures.size() - shown);
    return lines.join(QLatin1Char('\n'));
}

BusyWindow::BusyWindow(QWidget* window) : window_(window) {
    if (window_)
        window_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyWindow::~BusyWindow() {
    QApplication::restoreOverrideCursor();
    if (window_)
        window_->setEnabled(true);
}

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

bool FramePacer::Due() {
    if (timer_.elapsed() < kFrameMs)
        return false;
    timer_.restart();
    return true;
}

} // namespace plavik
