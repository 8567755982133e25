// The window's side of a folder listing: the error box of its failures and the busy state of the window.
#pragma once

#include "listing/folderlisting.h"

#include <QPointer>
#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

class QWidget;

namespace plavik {

// The text of the one error box at the end of a listing: a line per failed file with its message,
// at most `shown` of them followed by a count of the rest.
QString ListingErrorText(const std::vector<ListingFailure>& failures, std::size_t shown = 20);

// Why the path cannot be opened, in the user's words ("見つかりません。"); nothing when it can. A
// folder must be listable; a file readable.
std::optional<QString> PathProblem(const std::filesystem::path& path);

// The message box text of a path that cannot be opened: the path and why.
QString PathProblemText(const QString& path, const QString& why);

// Disables a window and shows the wait cursor until destroyed, whatever way the work ends.
class BusyWindow {
public:
    explicit BusyWindow(QWidget* window);
    ~BusyWindow();
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

private:
    QPointer<QWidget> window_;
};

// Shows the wait cursor until destroyed.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace plavik
