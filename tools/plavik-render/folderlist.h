// Listing a folder as the program's main window lists it, without the window.
#pragma once

#include "settings/listsettings.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>

namespace plavik::tool {

struct FolderList {
    bool drawings = false;            // figures when the folder holds .jwk files, else drawings
    QStringList captions;             // the listed file names, in the list's order
    QString folder;                   // the folder as text, ending in its separator
    QString folderName;               // a figure folder's name from Zu_name.dat, "[無し]" without it
    std::optional<std::string> error; // what stopped the listing; the captions listed before it stay
};

// Lists the folder: every figure file (or, in a folder without any, every drawing file) is drawn
// as its thumbnail and listed when it was drawn or the settings list unknown files; captions are
// kept in the locale's order. A file that fails to read stops the listing, as in the program.
FolderList ListFolder(const std::filesystem::path& folder, const TListSettings& settings);

} // namespace plavik::tool
