// Loading and saving every setting, in the stored order, over a settings store.
#pragma once

#include "platform/settingsstore.h"
#include "settings/listsettings.h"

#include <QString>

#include <optional>

namespace plavik {

// The printer font: the font of the main window's font dialog.
struct PrinterFont {
    QString Name = QStringLiteral("ＭＳ ゴシック");
    std::int32_t Size = 9; // points
    COLORREF Color = 0;
    int Style = 0; // bit 0 bold, 1 italic, 2 underline, 3 strike-out
    friend bool operator==(const PrinterFont&, const PrinterFont&) = default;
};
enum FontStyleBit { kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8 };

// The main window's outer bounds and whether it is maximised.
struct WindowGeometry {
    std::int32_t Height = 450;
    std::int32_t Width = 600;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    bool Maximized = false;
    friend bool operator==(const WindowGeometry&, const WindowGeometry&) = default;
};

struct StoredState {
    TListSettings settings;
    PrinterFont font;
    WindowGeometry geometry;
};

struct LoadResult {
    StoredState state;            // every value not read holds its default
    bool boundsStored = false;    // the store held a value of the window's bounds: not a first start
    std::optional<QString> error; // set when a value of the wrong type stopped the load
};

// Reads the 55 values in their stored order. A missing or unconvertible value gives its default;
// a value of the wrong type stops the load with its message, the rest keeping their defaults.
LoadResult LoadSettings(SettingsStore& store);

// Writes the values in their stored order; the bounds only when windowNormal (neither maximised nor
// minimised), BS always. Throws StoreError when a value cannot be written.
void SaveSettings(SettingsStore& store, const StoredState& state, bool windowNormal);

} // namespace plavik
