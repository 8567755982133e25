// Whole-file and partial reads of the files the readers recognise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace plavik {

using Bytes = std::vector<std::uint8_t>;

// Figure and drawing files are both recognised by their first 40 bytes.
inline constexpr std::size_t kRecognitionBytes = 40;

// True when data holds at least kRecognitionBytes bytes and starts with magic, byte for byte.
bool StartsWithMagic(std::span<const std::uint8_t> data, std::string_view magic);

// The first `count` bytes of the file (fewer when it is shorter), or nothing when it cannot be opened
// or is not a regular file.
std::optional<Bytes> ReadFilePrefix(const std::filesystem::path& path, std::size_t count);

// What one status call tells of an open file.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modifiedMs = 0; // last write, milliseconds since 1970 (UTC)
    std::int64_t modifiedNs = 0; // the same in nanoseconds, as finely as the file system keeps it
};

// A folder held open, so that opening many of its files looks its path up once.
class Folder {
public:
    explicit Folder(std::filesystem::path path);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    friend class FileBytes;
    std::filesystem::path path_;
#ifndef _WIN32
    int fd_ = -1; // -1 when the folder could not be opened: its files are opened by their paths
#endif
};

// A file opened once and read from its start only as far as asked, so that recognising, reading the
// header and reading the records of one file cost one open and one status call. Only regular files
// open; the open never waits (a named pipe or a device is not opened at all).
class FileBytes {
public:
    explicit FileBytes(const std::filesystem::path& path);
    // The file of that name in the folder.
    FileBytes(const Folder& folder, const std::filesystem::path& name);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    bool IsOpen() const { return open_; }
    // Why the file did not open: the system's error number; 0 when it opened or is not a regular file.
    int OpenError() const { return openError_; }
    // The file's size and time when it was opened.
    std::uint64_t Size() const { return stamp_.size; }
    const FileStamp& Stamp() const { return stamp_; }
    // The first n bytes, fewer when the file is shorter; reads what is still missing.
    std::span<const std::uint8_t> Prefix(std::size_t n);
    // All the file's bytes when the reads so far took it whole (a small file comes whole with its first
    // bytes); nothing otherwise.
    std::optional<std::span<const std::uint8_t>> Whole() const;
    // The n bytes from offset (fewer where the file ends), read on their own, so that a far part of a
    // large file costs no more than its own bytes. Valid until the next call of At.
    std::span<const std::uint8_t> At(std::uint64_t offset, std::size_t n);

private:
#ifndef _WIN32
    // Takes the descriptor of a file just opened.
    void Take(int fd);
#endif
    // Reads n bytes from offset into out; returns how many were read.
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t n);

#ifdef _WIN32
    std::ifstream in_;
#else
    int fd_ = -1;
#endif
    bool open_ = false;
    int openError_ = 0;
    FileStamp stamp_;
    Bytes bytes_;
    Bytes window_; // the bytes of the last At beyond the prefix read
};

} // namespace plavik
