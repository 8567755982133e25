#include "platform/folderscan.h"

#include "platform/sjis.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

namespace plavik {

namespace {

// ASCII letters compared without their case, as the file systems of jw_cad's users compare names.
bool SameIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string NameBytes(const std::filesystem::path& p) {
#ifdef _WIN32
    return p.filename().u8string().empty() ? std::string()
                                           : reinterpret_cast<const char*>(p.filename().u8string().c_str());
#else
    return p.filename().native();
#endif
}

// name: the entry's name as NameBytes gives it.
bool IsHidden(const std::filesystem::directory_entry& entry, const std::string& name) {
#ifdef _WIN32
    (void)name;
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)) != 0;
#else
    (void)entry;
    return !name.empty() && name[0] == '.';
#endif
}

bool IsHiddenFolder(const std::filesystem::directory_entry& entry, const std::string& name) {
#ifdef _WIN32
    (void)name;
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    (void)entry;
    return !name.empty() && name[0] == '.';
#endif
}

QString DisplayNameOfBytes(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return text;
    return DecodeSjis(bytes);
}

} // namespace

FolderScan ScanFolder(const std::filesystem::path& folder, const std::vector<std::string_view>& extensions,
                      std::string_view nameFile, const std::function<void()>& step) {
    FolderScan scan;
    std::vector<std::string> wanted;
    for (const std::string_view extension : extensions)
        wanted.push_back("." + std::string(extension));
    bool exactName = false;
    std::size_t entries = 0;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (step && ++entries % 512 == 0)
            step();
        const auto& entry = *it;
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) {
            if (!entry.is_symlink(typeError) && entry.is_directory(typeError) &&
                !IsHiddenFolder(entry, NameBytes(entry.path().filename())))
                scan.folders.push_back(entry.path());
            continue;
        }
        const std::filesystem::path fileName = entry.path().filename();
        const std::string name = NameBytes(fileName);
        if (!exactName && SameIgnoringCase(name, nameFile)) {
            scan.nameFile = entry.path();
            exactName = name == nameFile;
        }
        const auto matches = [&](const std::string& ending) {
            return name.size() > ending.size() &&
                   SameIgnoringCase(std::string_view(name).substr(name.size() - ending.size()), ending);
        };
        if (IsHidden(entry, name) || std::none_of(wanted.begin(), wanted.end(), matches))
            continue;
        scan.files.push_back({fileName.native(), DisplayNameOfBytes(name)});
    }
    if (ec)
        scan.error = QString::fromStdString(ec.message());
    return scan;
}

std::filesystem::path PathFromText(const QString& text) {
#ifdef Q_OS_WIN
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

QString PathText(const std::filesystem::path& path) {
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

QString DisplayName(const std::filesystem::path& fileName) {
    return DisplayNameOfBytes(NameBytes(fileName));
}

QString WithTrailingSeparator(const QString& folder) {
    const QString native = QDir::toNativeSeparators(folder);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

namespace {

const QCollator& CaptionCollator() {
    static const QCollator collator{QLocale()};
    return collator;
}

} // namespace

bool CaptionLess(const QString& a, const QString& b) {
    return CaptionCollator().compare(a, b) < 0;
}

QCollatorSortKey CaptionKey(const QString& caption) {
    return CaptionCollator().sortKey(caption);
}

} // namespace plavik
