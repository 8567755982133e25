#include "platform/outputfile.h"

#include "platform/folderscan.h"

#include <QFileDevice>
#include <QIODevice>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#ifndef _WIN32
#include <QRandomGenerator>

#include <cctype>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#endif

namespace plavik {

namespace {

QString SystemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A write-only device over an output file.
class OutputDevice final : public QIODevice {
public:
    explicit OutputDevice(OutputFile& file) : file_(file) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override { return file_.Write(data, size) ? size : -1; }

private:
    OutputFile& file_;
};

} // namespace

OutputFile::OutputFile(std::filesystem::path target) : target_(std::move(target)) {}

OutputFile::~OutputFile() {
    Discard();
}

bool OutputFile::Fail(int error) {
    if (error_.isEmpty())
        error_ = SystemText(error ? error : EIO);
    return false;
}

QIODevice& OutputFile::Device() {
    if (!device_)
        device_ = std::make_unique<OutputDevice>(*this);
    return *device_;
}

#ifndef _WIN32

namespace {

// Set when the program starts: a temporary file older than this cannot be one this process is writing.
const auto kProcessStart = std::chrono::system_clock::now();

// The file a path leads to: symbolic links followed one by one, so that a dangling link leads to the
// file it names (which a write creates). Sets errno to ELOOP on a loop of links.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0)
            return path;
        link.resize(static_cast<std::size_t>(n));
        const std::filesystem::path next(link);
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    errno = ELOOP;
    return {};
}

// The name that a temporary file of target begins with: ".NAME.plavik-".
std::string TemporaryPrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + ".plavik-";
}

bool ProcessAlive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// The temporary files of a folder that no running writer owns, by the prefix of their target
// (".NAME.plavik-"): those of processes that have ended and those older than this process (their
// process id was taken again). This process's own are not among them.
std::map<std::string, std::vector<std::filesystem::path>> StaleTemporaries(const std::filesystem::path& folder) {
    std::map<std::string, std::vector<std::filesystem::path>> stale;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return stale;
    const auto started = std::chrono::system_clock::to_time_t(kProcessStart);
    static constexpr std::string_view kMark = ".plavik-";
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::size_t mark = name.rfind(kMark);
        if (name.size() < 2 || name[0] != '.' || mark == std::string::npos || mark == 0)
            continue;
        const std::size_t digits = mark + kMark.size();
        std::size_t end = digits;
        while (end < name.size() && name[end] >= '0' && name[end] <= '9')
            ++end;
        if (end == digits || end - digits > 9 || end == name.size() || name[end] != '-')
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(name.substr(digits, end - digits)));
        if (pid == ::getpid())
            continue;
        const std::filesystem::path path = folder / name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        if (!ProcessAlive(pid) || st.st_mtime < started)
            stale[name.substr(0, digits)].push_back(path);
    }
    ::closedir(dir);
    return stale;
}

// Removes target's stale temporary files. A folder is read once per process, so that writing many
// files into one folder does not read it again for each of them.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& prefix) {
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::map<std::string, std::vector<std::filesystem::path>>> folders;
    const std::lock_guard<std::mutex> lock(mutex);
    auto known = folders.find(folder);
    if (known == folders.end())
        known = folders.emplace(folder, StaleTemporaries(folder)).first;
    const auto files = known->second.find(prefix);
    if (files == known->second.end())
        return;
    for (const std::filesystem::path& path : files->second)
        ::unlink(path.c_str());
    known->second.erase(files);
}

// Creates a temporary file beside target with the umask's mode; its descriptor, or -1 with errno set.
int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temp) {
    const std::filesystem::path folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    const std::string prefix = TemporaryPrefix(target);
    RemoveStaleTemporaries(folder, prefix);
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + std::to_string(::getpid()) + "-";
        for (int i = 0; i < 6; ++i)
            name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        temp = folder / name;
        const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// An unnamed file in the temporary folder, gone when it is closed; -1 with errno set.
int CreateUnnamedTemporary() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = tmp && *tmp ? tmp : "/tmp";
#ifdef O_TMPFILE
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
#endif
    std::string name = folder + "/.plavik-held-XXXXXX";
    const int named = ::mkstemp(name.data());
    if (named >= 0)
        ::unlink(name.c_str());
    return named;
}

// Writes all bytes to fd; false with errno set.
bool WriteAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<std::size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Whether an existing file may be written: its permissions, and for root (whom they do not stop) a
// write bit at all. False with errno set.
bool MayWrite(const std::filesystem::path& file, const struct stat& st) {
    if (::access(file.c_str(), W_OK) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

} // namespace

bool OutputFile::Open(bool holdForDevices) {
    Discard();
    error_.clear();
    if (target_ == "-") {
        fd_ = STDOUT_FILENO;
        ownsFd_ = false;
        output_ = Output::Direct;
        return true;
    }
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode))
            return Fail(EISDIR);
        if (holdForDevices) {
            fd_ = CreateUnnamedTemporary();
            output_ = Output::Held;
        } else {
            fd_ = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            output_ = Output::Direct;
        }
        if (fd_ < 0) {
            output_ = Output::None;
            return Fail(errno);
        }
        return true;
    }
    errno = 0;
    final_ = FollowLinks(target_);
    if (final_.empty())
        return Fail(errno);
    const bool exists = ::stat(final_.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return Fail(errno);
    if (exists && !MayWrite(final_, st))
        return Fail(errno);
    fd_ = CreateTemporaryBeside(final_, temp_);
    if (fd_ < 0) {
        temp_.clear();
        return Fail(errno);
    }
    output_ = Output::Temporary;
    if (exists) {
        // The replaced file's mode, and its owner where that is allowed (root); otherwise the file
        // becomes the writer's own, as a new one would.
        if (::fchmod(fd_, st.st_mode & 07777) != 0) {
            const int error = errno;
            Discard();
            return Fail(error);
        }
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
            [[maybe_unused]] const int owned = ::fchown(fd_, st.st_uid, st.st_gid);
        }
    }
    return true;
}

bool OutputFile::Write(const char* data, qint64 size) {
    if (Failed())
        return false;
    if (fd_ < 0)
        return Fail(EBADF);
    return WriteAll(fd_, data, size) || Fail(errno);
}

bool OutputFile::Commit() {
    if (output_ == Output::None && !Failed())
        Fail(EBADF);
    if (output_ == Output::Held && !Failed())
        CopyHeldToTarget();
    if (output_ == Output::Temporary && !Failed() && ::fsync(fd_) != 0)
        Fail(errno);
    if (ownsFd_ && fd_ >= 0) {
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0)
            Fail(errno);
    }
    if (output_ == Output::Temporary && !Failed() && ::rename(temp_.c_str(), final_.c_str()) != 0)
        Fail(errno);
    if (Failed()) {
        Discard();
        return false;
    }
    temp_.clear();
    output_ = Output::None;
    return true;
}

bool OutputFile::CloseForBatch(std::filesystem::path& temp, std::filesystem::path& final) {
    if (output_ != Output::Temporary || Failed())
        return Commit();
    if (ownsFd_ && fd_ >= 0 && ::close(std::exchange(fd_, -1)) != 0)
        Fail(errno);
    if (Failed()) {
        Discard();
        return false;
    }
    temp = std::exchange(temp_, {});
    final = final_;
    output_ = Output::None;
    return true;
}

std::vector<std::pair<std::filesystem::path, QString>> OutputBatch::Commit() {
    std::vector<Pending> pending;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending.swap(pending_);
    }
    // One sync a file system (Linux's syncfs); elsewhere each file is synced.
    std::map<dev_t, int> errors; // by device: 0 when synced
    std::vector<int> failed(pending.size(), 0);
    for (std::size_t i = 0; i < pending.size(); ++i) {
        struct stat st {};
        if (::stat(pending[i].temp.c_str(), &st) != 0) {
            failed[i] = errno;
            continue;
        }
#ifdef __linux__
        const auto known = errors.find(st.st_dev);
        if (known != errors.end()) {
            failed[i] = known->second;
            continue;
        }
#endif
        const int fd = ::open(pending[i].temp.c_str(), O_RDONLY | O_CLOEXEC);
        int error = fd < 0 ? errno : 0;
#ifdef __linux__
        if (error == 0 && ::syncfs(fd) != 0)
            error = errno;
        errors[st.st_dev] = error;
#else
        if (error == 0 && ::fsync(fd) != 0)
            error = errno;
#endif
        if (fd >= 0)
            ::close(fd);
        failed[i] = error;
    }
    std::vector<std::pair<std::filesystem::path, QString>> failures;
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (failed[i] == 0 && ::rename(pending[i].temp.c_str(), pending[i].final.c_str()) != 0)
            failed[i] = errno;
        if (failed[i] != 0) {
            ::unlink(pending[i].temp.c_str());
            failures.emplace_back(pending[i].target, SystemText(failed[i]));
        }
    }
    return failures;
}

OutputBatch::~OutputBatch() {
    for (const Pending& p : pending_)
        ::unlink(p.temp.c_str());
}

bool OutputFile::CopyHeldToTarget() {
    const int out = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (out < 0)
        return Fail(errno);
    bool ok = ::lseek(fd_, 0, SEEK_SET) == 0 || Fail(errno);
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0 || Fail(errno);
            break;
        }
        ok = WriteAll(out, buffer, n) || Fail(errno);
    }
    if (::close(out) != 0)
        ok = Fail(errno);
    return ok;
}

void OutputFile::Discard() {
    if (ownsFd_ && fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    ownsFd_ = true;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
    output_ = Output::None;
}

namespace {

bool IsExistingRegularFile(const std::filesystem::path& target) {
    struct stat st {};
    return ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<QString> WriteInPlace(const std::filesystem::path& target, QByteArrayView bytes) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || !MayWrite(target, st))
        return SystemText(errno);
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return SystemText(errno);
    // Room first, so that a full disk or a size limit stops the write before it changes a byte.
    int error = bytes.size() > 0 ? ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size())) : 0;
    if (error == EOPNOTSUPP || error == EINVAL)
        error = 0; // a file system that cannot reserve: written as it comes
    if (error == 0 && !WriteAll(fd, bytes.data(), bytes.size()))
        error = errno;
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error ? std::optional<QString>(SystemText(error)) : std::nullopt;
}

} // namespace

std::filesystem::path MakeTemporaryBeside(const std::filesystem::path& target, QString& error) {
    errno = 0;
    const std::filesystem::path file = FollowLinks(target);
    std::filesystem::path temp;
    const int fd = file.empty() ? -1 : CreateTemporaryBeside(file, temp);
    if (fd < 0) {
        error = SystemText(errno);
        return {};
    }
    ::close(fd);
    return temp;
}

void RemoveEarlierTemporaries(const std::filesystem::path& folder, std::string_view prefix,
                              std::string_view suffix) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    const auto started = std::chrono::system_clock::to_time_t(kProcessStart);
    // Random letters and digits as QTemporaryFile makes them: of two kinds at least (upper case, lower
    // case, digits), so that a user's "Plavik.ini.backup" is not taken for one.
    const auto random = [](std::string_view text) {
        bool upper = false, lower = false, digit = false;
        for (const char c : text) {
            const auto u = static_cast<unsigned char>(c);
            if (!std::isalnum(u))
                return false;
            upper |= std::isupper(u) != 0;
            lower |= std::islower(u) != 0;
            digit |= std::isdigit(u) != 0;
        }
        return int(upper) + int(lower) + int(digit) >= 2;
    };
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 + suffix.size() || !name.starts_with(prefix) ||
            !name.ends_with(suffix) || !random(name.substr(prefix.size(), 6)))
            continue;
        const std::filesystem::path path = folder / std::string(name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < started)
            ::unlink(path.c_str());
    }
    ::closedir(dir);
}

void ReportFileSizeLimitAsError() {
    ::signal(SIGXFSZ, SIG_IGN);
}

#else // _WIN32

// Windows: QSaveFile writes a temporary file beside the target and replaces the target with it;
// every write and the commit are checked here. Links, devices and modes are left as Qt treats them.

bool OutputFile::Open(bool) {
    Discard();
    error_.clear();
    std::unique_ptr<QFileDevice> file;
    bool opened = false;
    if (target_ == "-") {
        _setmode(_fileno(stdout), _O_BINARY);
        auto out = std::make_unique<QFile>();
        opened = out->open(stdout, QIODevice::WriteOnly);
        file = std::move(out);
    } else {
        auto save = std::make_unique<QSaveFile>(PathText(target_));
        opened = save->open(QIODevice::WriteOnly);
        file = std::move(save);
    }
    if (!opened) {
        error_ = file->errorString();
        return false;
    }
    qtFile_ = std::move(file);
    output_ = Output::Direct;
    return true;
}

bool OutputFile::Write(const char* data, qint64 size) {
    if (Failed())
        return false;
    if (!qtFile_)
        return Fail(EBADF);
    if (qtFile_->write(data, size) == size)
        return true;
    error_ = qtFile_->errorString();
    return false;
}

bool OutputFile::Commit() {
    if (!qtFile_)
        Fail(EBADF);
    if (!Failed()) {
        auto* save = qobject_cast<QSaveFile*>(qtFile_.get());
        if (!qtFile_->flush() || (save && !save->commit()))
            error_ = qtFile_->errorString();
    }
    if (Failed()) {
        Discard();
        return false;
    }
    qtFile_.reset();
    output_ = Output::None;
    return true;
}

bool OutputFile::CloseForBatch(std::filesystem::path&, std::filesystem::path&) {
    return Commit();
}

std::vector<std::pair<std::filesystem::path, QString>> OutputBatch::Commit() {
    return {}; // every file was committed as it was added
}

OutputBatch::~OutputBatch() = default;

void OutputFile::Discard() {
    if (auto* save = qobject_cast<QSaveFile*>(qtFile_.get()))
        save->cancelWriting();
    qtFile_.reset();
    output_ = Output::None;
}

namespace {

bool IsExistingRegularFile(const std::filesystem::path& target) {
    return QFileInfo(PathText(target)).isFile();
}

std::optional<QString> WriteInPlace(const std::filesystem::path& target, QByteArrayView bytes) {
    QFile file(PathText(target));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush())
        return file.errorString();
    return std::nullopt;
}

} // namespace

std::filesystem::path MakeTemporaryBeside(const std::filesystem::path& target, QString& error) {
    const QFileInfo info(PathText(target));
    QTemporaryFile file(
        info.absolutePath() +
        QStringLiteral("/.%1.plavik-%2-XXXXXX").arg(info.fileName()).arg(QCoreApplication::applicationPid()));
    file.setAutoRemove(false);
    if (!file.open()) {
        error = file.errorString();
        return {};
    }
    return PathFromText(file.fileName());
}

void RemoveEarlierTemporaries(const std::filesystem::path&, std::string_view, std::string_view) {}

void ReportFileSizeLimitAsError() {}
#endif

std::optional<QString> OutputBatch::Add(const std::filesystem::path& target, QByteArrayView bytes) {
    OutputFile file(target);
    std::filesystem::path temp, final;
    if (!file.Open() || !file.Write(bytes.data(), bytes.size()) || !file.CloseForBatch(temp, final))
        return file.Error();
    if (!temp.empty()) {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_.push_back({target, std::move(temp), std::move(final)});
    }
    return std::nullopt;
}

std::optional<QString> WriteWholeFile(const std::filesystem::path& target, QByteArrayView bytes,
                                      bool inPlace) {
    if (inPlace && IsExistingRegularFile(target))
        return WriteInPlace(target, bytes);
    OutputFile file(target);
    if (file.Open() && file.Write(bytes.data(), bytes.size()) && file.Commit())
        return std::nullopt;
    return file.Error();
}
} // namespace plavik
