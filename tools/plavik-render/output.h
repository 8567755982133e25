// Writing the command's results: output files that appear whole or not at all, and one-line errors.
#pragma once

#include <QByteArray>

#include <filesystem>
#include <optional>
#include <string>

namespace plavik::tool {

// Writes bytes to a temporary file beside path and renames it over path, so that a reader never
// sees half a file. Returns the reason on failure (nothing of the new file is left behind).
std::optional<std::string> WriteFileWhole(const std::filesystem::path& path, const QByteArray& bytes);

// Why the file cannot be read: missing, a folder or not openable; nothing when it can be opened.
std::optional<std::string> CannotOpen(const std::filesystem::path& file);

// A path as text for messages (UTF-8; names in code page 932 decoded).
std::string ShowPath(const std::filesystem::path& path);

// Prints "plavik-render: message" on standard error as one line (line breaks and other control
// characters become spaces) and returns status.
int Fail(int status, const std::string& message);

} // namespace plavik::tool
