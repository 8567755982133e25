// Naming the command's files in messages, and one-line errors.
#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <string>

namespace plavik::tool {

// Why the file cannot be read: missing, a folder or not openable; nothing when it can be opened.
std::optional<std::string> CannotOpen(const std::filesystem::path& file);

// A path as text for messages (UTF-8; names in code page 932 decoded).
std::string ShowPath(const std::filesystem::path& path);
// An output path as text for messages: "-" is standard output.
std::string ShowOutput(const std::filesystem::path& path);
// The one-line message of an output that cannot be written: the file and the system's reason.
std::string CannotWrite(const std::filesystem::path& path, const QString& reason);

// Prints "plavik-render: message" on standard error as one line (line breaks and other control
// characters become spaces) and returns status.
int Fail(int status, const std::string& message);

} // namespace plavik::tool
