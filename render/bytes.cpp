#include "render/bytes.h"

#include "render/bytecursor.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace plavik {

bool StartsWithMagic(std::span<const std::uint8_t> data, std::string_view magic) {
    return data.size() >= kRecognitionBytes && data.size() >= magic.size() &&
           std::equal(magic.begin(), magic.end(), data.begin(),
                      [](char m, std::uint8_t b) { return static_cast<std::uint8_t>(m) == b; });
}

std::optional<Bytes> ReadFilePrefix(const std::filesystem::path& path, std::size_t count) {
    FileBytes file(path);
    if (!file.IsOpen())
        return std::nullopt;
    const std::span<const std::uint8_t> prefix = file.Prefix(count);
    return Bytes(prefix.begin(), prefix.end());
}

#ifdef _WIN32

FileBytes::FileBytes(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return;
    in_.open(path, std::ios::binary);
    stamp_.size = std::filesystem::file_size(path, error);
    open_ = in_.is_open() && !error;
    if (!open_)
        openError_ = error ? error.value() : EACCES;
    const auto written = std::filesystem::last_write_time(path, error);
    if (!error) {
        const auto sinceEpoch =
            std::chrono::clock_cast<std::chrono::system_clock>(written).time_since_epoch();
        stamp_.modifiedMs = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
        stamp_.modifiedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count();
    }
}

FileBytes::FileBytes(const Folder& folder, const std::filesystem::path& name)
    : FileBytes(folder.Path() / name) {}

FileBytes::~FileBytes() = default;

Folder::Folder(std::filesystem::path path) : path_(std::move(path)) {}

Folder::~Folder() = default;

std::span<const std::uint8_t> FileBytes::Prefix(std::size_t n) {
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(n, stamp_.size));
    if (open_ && bytes_.size() < wanted && in_) {
        const std::size_t have = bytes_.size();
        bytes_.resize(wanted);
        in_.read(reinterpret_cast<char*>(bytes_.data() + have), static_cast<std::streamsize>(wanted - have));
        bytes_.resize(have + static_cast<std::size_t>(in_.gcount()));
    }
    return std::span<const std::uint8_t>(bytes_).first(std::min(n, bytes_.size()));
}

std::size_t FileBytes::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
    return static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
}

#else

namespace {
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
#ifdef O_PATH
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC; // needs no right to read the folder
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
} // namespace

Folder::Folder(std::filesystem::path path)
    : path_(std::move(path)), fd_(::open(path_.c_str(), kFolderFlags)) {}

Folder::~Folder() {
    if (fd_ >= 0)
        ::close(fd_);
}

FileBytes::FileBytes(const std::filesystem::path& path) {
    Take(::open(path.c_str(), kOpenFlags));
}

FileBytes::FileBytes(const Folder& folder, const std::filesystem::path& name) {
    Take(folder.fd_ >= 0 ? ::openat(folder.fd_, name.c_str(), kOpenFlags)
                         : ::open((folder.Path() / name).c_str(), kOpenFlags));
}

void FileBytes::Take(int fd) {
    fd_ = fd;
    if (fd_ < 0)
        openError_ = errno;
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    open_ = true;
    stamp_.size = static_cast<std::uint64_t>(st.st_size);
    stamp_.modifiedMs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    stamp_.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

FileBytes::~FileBytes() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::span<const std::uint8_t> FileBytes::Prefix(std::size_t n) {
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(n, stamp_.size));
    if (open_ && bytes_.size() < wanted) {
        // Reads ahead a little, so that the magic, the header and a small file's records come in
        // one call.
        const std::size_t ask = std::min<std::uint64_t>(std::max<std::size_t>(wanted, 16384), stamp_.size);
        const std::size_t have = bytes_.size();
        bytes_.resize(ask);
        std::size_t got = have;
        while (got < ask) {
            const ssize_t r = ::read(fd_, bytes_.data() + got, ask - got);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                break;
            got += static_cast<std::size_t>(r);
        }
        bytes_.resize(got);
    }
    return std::span<const std::uint8_t>(bytes_).first(std::min(n, bytes_.size()));
}

std::size_t FileBytes::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd_, out + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

#endif

std::optional<std::span<const std::uint8_t>> FileBytes::Whole() const {
    if (!open_ || bytes_.size() != stamp_.size)
        return std::nullopt;
    return std::span<const std::uint8_t>(bytes_);
}

std::span<const std::uint8_t> FileBytes::At(std::uint64_t offset, std::size_t n) {
    if (!open_ || offset >= stamp_.size)
        return {};
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(n, stamp_.size - offset));
    // A small file was read whole with its first bytes.
    if (wanted <= bytes_.size() && offset <= bytes_.size() - wanted)
        return std::span<const std::uint8_t>(bytes_).subspan(static_cast<std::size_t>(offset), wanted);
    // The buffer only grows, so that reading a large file window by window fills no memory twice.
    if (window_.size() < wanted)
        window_.resize(wanted);
    return std::span<const std::uint8_t>(window_).first(ReadAt(offset, window_.data(), wanted));
}

void ByteCursor::Fetch(std::size_t n) {
    if (!file_ || !CanRead(n))
        throw ReadError();
    data_ = file_->At(pos_, std::max(n, kWindow));
    base_ = pos_;
    if (data_.size() < n)
        throw ReadError(); // the file became shorter
}

} // namespace plavik
