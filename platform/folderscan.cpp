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

FolderScan ScanFolder(const std::filesystem::path& folder, const std::vector<std::string_view>& extensions,
                      std::string_view nameFile, const std::function<void()>& step) {
    FolderScan scan;
    std::vector<std::string> wanted;
    for (const std::string_view extension : extensions)
        wanted.push_back("." + Lower(extension));
    const std::string wantedName = Lower(nameFile);
    bool exactName = false;
    std::size_t entries = 0;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, std::filesystem::directory_options::skip_permission_denied,
                                           ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (step && ++entries % 512 == 0)
            step();
        const auto& entry = *it;
        std::error_code typeError;
        if (!entry.is_regular_file(typeError))
            continue;
        const std::string name = NameBytes(entry.path());
        if (!exactName && Lower(name) == wantedName) {
            scan.nameFile = entry.path();
            exactName = name == nameFile;
        }
        const auto matches = [&](const std::string& ending) {
            return name.size() > ending.size() && Lower(name.substr(name.size() - ending.size())) == ending;
        };
        if (IsHidden(entry) || std::none_of(wanted.begin(), wanted.end(), matches))
            continue;
        scan.files.push_back({entry.path().filename().native(), DisplayName(entry.path())});
    }
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
