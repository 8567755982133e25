#include "platform/folderscan.h"

#include "platform/sjis.h"

#include <QCollator>
#include <QDir>
#include <QStringDecoder>

#ifdef _WIN32
#include <windows.h>
#endif

namespace plavik {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string NameBytes(const std::filesystem::path& p) {
#ifdef _WIN32
    return p.filename().u8string().empty() ? std::string()
                                           : reinterpret_cast<const char*>(p.filename().u8string().c_str());
#else
    return p.filename().native();
#endif
}

bool IsHidden(const std::filesystem::directory_entry& entry) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)) != 0;
#else
    const std::string name = entry.path().filename().native();
    return !name.empty() && name[0] == '.';
#endif
}

} // namespace

std::vector<FoundFile> FindFiles(const std::filesystem::path& folder, std::string_view extension) {
    std::vector<FoundFile> files;
    const std::string wanted = "." + Lower(extension);
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, std::filesystem::directory_options::skip_permission_denied,
                                           ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const auto& entry = *it;
        std::error_code typeError;
        if (!entry.is_regular_file(typeError) || IsHidden(entry))
            continue;
        const std::string name = NameBytes(entry.path());
        if (name.size() <= wanted.size() || Lower(name.substr(name.size() - wanted.size())) != wanted)
            continue;
        files.push_back({entry.path(), DisplayName(entry.path())});
    }
    return files;
}

std::filesystem::path FindFileNoCase(const std::filesystem::path& folder, std::string_view name) {
    std::error_code ec;
    const std::filesystem::path exact = folder / std::filesystem::path(std::string(name));
    if (std::filesystem::is_regular_file(exact, ec))
        return exact;
    const std::string wanted = Lower(name);
    std::filesystem::directory_iterator it(folder, std::filesystem::directory_options::skip_permission_denied,
                                           ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && Lower(NameBytes(it->path())) == wanted)
            return it->path();
    }
    return {};
}

QString DisplayName(const std::filesystem::path& fileName) {
    const std::string bytes = NameBytes(fileName);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return text;
    return DecodeSjis(bytes);
}

QString WithTrailingSeparator(const QString& folder) {
    const QString native = QDir::toNativeSeparators(folder);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

bool CaptionLess(const QString& a, const QString& b) {
    static const QCollator collator{QLocale()};
    return collator.compare(a, b) < 0;
}

} // namespace plavik
