#include "output.h"

#include "platform/folderscan.h"
#include "render/bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace plavik::tool {

std::optional<std::string> CannotOpen(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (error && error != std::errc::no_such_file_or_directory)
        return "cannot be opened: " + error.message();
    if (!std::filesystem::exists(status))
        return "no such file";
    if (std::filesystem::is_directory(status))
        return "is a folder, not a file";
    if (!std::filesystem::is_regular_file(status))
        return "not a regular file";
    // Opened as the readers open it: never waiting, regular files only.
    errno = 0;
    if (!FileBytes(file).IsOpen())
        return "cannot be opened" + (errno ? ": " + std::string(std::strerror(errno)) : std::string());
    return std::nullopt;
}

std::string ShowPath(const std::filesystem::path& path) {
    const std::u8string parent = path.parent_path().u8string();
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(parent.data()),
                                     static_cast<qsizetype>(parent.size()));
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('/')) && !text.endsWith(QLatin1Char('\\')))
        text += QLatin1Char('/');
    return (text + DisplayName(path)).toStdString();
}

std::string ShowOutput(const std::filesystem::path& path) {
    return path == "-" ? std::string("standard output") : ShowPath(path);
}

std::string CannotWrite(const std::filesystem::path& path, const QString& reason) {
    return ShowOutput(path) + ": cannot be written: " + reason.toStdString();
}

int Fail(int status, const std::string& message) {
    std::string line = "plavik-render: " + message;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    line += '\n';
    std::fflush(stdout);
    std::fwrite(line.data(), 1, line.size(), stderr);
    return status;
}

} // namespace plavik::tool
