// What the window remembers of the user's library between runs: the folder listed last, the recent
// folders, the library roots, the open dialog's place, the folder pane's and the quick view's widths,
// the viewer's bounds.
#pragma once

#include "platform/settingsstore.h"
#include "render/formats.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace plavik {

inline constexpr int kRecentFolders = 10;
// The quick-view panel is never narrower: its picture is 150 pixels wide with its margins.
inline constexpr int kLeastQuickViewPanel = 160;

struct LibraryState {
    QString lastFolder; // listed last; empty when nothing was listed
    ListKind lastKind = ListKind::Figures;
    bool lastTodays = true;                    // the last list took today's formats too
    bool reopenLast = true;                    // list the last folder again at start
    QStringList recent;                        // newest first, at most kRecentFolders
    QStringList roots;                         // library folders the user added to the folder pane
    int treeWidth = 220;                       // the folder pane's width in pixels
    int quickViewWidth = kLeastQuickViewPanel; // the quick-view panel's width in pixels
    QString openFolder;                        // where the open dialog starts
    QString openFilter;                        // and the file type it starts on
    QByteArray viewerBounds;                   // the viewer's size and place (saveGeometry); empty at first
    friend bool operator==(const LibraryState&, const LibraryState&) = default;
};

// Reads the state from the store's "Library" section; a missing value, or one that cannot be read,
// keeps its default.
LibraryState LoadLibraryState(SettingsStore& store);
// Writes the state to the store (Flush is the caller's). Throws StoreError when a value cannot be
// written.
void SaveLibraryState(SettingsStore& store, const LibraryState& state);

// The recent folders with folder first: an earlier place of the same folder is dropped, and the list
// is cut to kRecentFolders.
QStringList WithRecentFolder(QStringList recent, const QString& folder);

} // namespace plavik
