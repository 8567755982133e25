// The window's side of a folder listing: the error box of its failures and the busy state of the window.
#pragma once

#include "listing/folderlisting.h"

#include <QPointer>
#include <QString>

#include <vector>

class QWidget;

namespace plavik {

// The text of the one error box at the end of a listing: a line per failed file with its message,
// at most `shown` of them followed by a count of the rest.
QString ListingErrorText(const std::vector<ListingFailure>& failures, std::size_t shown = 20);

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
