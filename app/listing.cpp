#include "app/listing.h"

#include <QApplication>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace plavik {

QString ListingErrorText(const std::vector<ListingFailure>& failures, std::size_t shown) {
    QStringList lines;
    for (std::size_t i = 0; i < failures.size() && i < shown; ++i)
        lines << failures[i].fileName + QStringLiteral(": ") + failures[i].message;
    if (failures.size() > shown)
        lines << QStringLiteral("他 %1 件").arg(failures.size() - shown);
    return lines.join(QLatin1Char('\n'));
}

namespace {

QString ReasonOf(int error) {
    switch (error) {
    case ENOENT:
        return QStringLiteral("見つかりません。");
    case EACCES:
    case EPERM:
        return QStringLiteral("読み取る権限がありません。");
    case ENOTDIR:
        return QStringLiteral("フォルダではありません。");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

std::optional<QString> PathProblem(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status))
        return ReasonOf(error && error.value() != ENOENT ? error.value() : ENOENT);
    if (std::filesystem::is_directory(status)) {
        std::filesystem::directory_iterator it(path, error);
        if (error)
            return ReasonOf(error.value());
        return std::nullopt;
    }
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return ReasonOf(errno ? errno : EACCES);
    return std::nullopt;
}

QString PathProblemText(const QString& path, const QString& why) {
    return QStringLiteral("「%1」を開けません。\n%2").arg(path, why);
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

} // namespace plavik
