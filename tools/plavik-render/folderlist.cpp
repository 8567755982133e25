#include "folderlist.h"

#include "platform/folderscan.h"
#include "platform/rastercanvas.h"
#include "platform/sjis.h"
#include "render/bytes.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/numbers.h"
#include "settings/options.h"

#include <QFile>

#include <algorithm>
#include <exception>

namespace plavik::tool {

namespace {

// The rendered pixels are thrown away (only the result decides the listing), so an absurd icon
// size in the settings is not allowed to ask for a huge image.
int ProbeSide(int side) {
    return std::clamp(side, 1, 1024);
}

QString FolderText(const std::filesystem::path& folder) {
#ifdef _WIN32
    return WithTrailingSeparator(QString::fromStdWString(folder.wstring()));
#else
    return WithTrailingSeparator(QFile::decodeName(QByteArray::fromStdString(folder.native())));
#endif
}

// Inserts after every caption that sorts before or equal to it, as a list sorted by caption takes
// new items.
void InsertSorted(QStringList& captions, const QString& caption) {
    const auto at = std::upper_bound(captions.begin(), captions.end(), caption, CaptionLess);
    captions.insert(at, caption);
}

// The first 8 bytes of Zu_name.dat. Throws ReadError when it holds fewer.
QString FolderName(const std::filesystem::path& folder) {
    const std::filesystem::path file = FindFileNoCase(folder, "Zu_name.dat");
    if (file.empty())
        return QStringLiteral("[無し]");
    const auto bytes = ReadFilePrefix(file, 8);
    if (!bytes || bytes->size() < 8)
        throw ReadError();
    return DecodeSjis(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

} // namespace

FolderList ListFolder(const std::filesystem::path& folder, const TListSettings& settings) {
    FolderList list;
    list.folder = FolderText(folder);
    std::vector<FoundFile> files = FindFiles(folder, "jwk");
    list.drawings = files.empty();
    if (list.drawings)
        files = FindFiles(folder, "jwc");

    const int width = ProbeSide(list.drawings ? settings.IconSize2 : settings.IconSize);
    const int height = list.drawings ? ProbeSide(Round(settings.IconSize2 / 1.414213562)) : width;
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    RasterCanvas canvas(bitmap);
    const TRect rect{0, 0, width, height};
    SetJwkColors(settings.Colors);

    std::filesystem::path current;
    try {
        if (!list.drawings)
            list.folderName = FolderName(folder);
        for (const FoundFile& file : files) {
            current = file.path;
            TJwcInfo info;
            const int result = list.drawings ? DrawJwc(canvas, file.path, rect, SetOption2(settings), info)
                                             : DrawJwk(canvas, file.path, rect, SetOption(settings));
            if (result == 0 || (list.drawings ? settings.UnKnownJwc : settings.UnKnownJwk))
                InsertSorted(list.captions, file.name);
        }
    } catch (const std::exception& e) {
        const QString where = current.empty() ? QStringLiteral("Zu_name.dat") : DisplayName(current);
        list.error = where.toStdString() + ": " + e.what();
    }
    return list;
}

} // namespace plavik::tool
