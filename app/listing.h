// The parts of a folder listing that need no window: the figure folder's name, the failures
// reported at the end, the busy state of the window and the pace of the message pump.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

class QWidget;

namespace plavik {

// The file system path of a folder or file given as text.
std::filesystem::path ToPath(const QString& text);

// The first 8 bytes of a name file, decoded from code page 932. The name ends at a NUL byte, and a
// double-byte character cut in two by the 8-byte limit is dropped.
QString FolderNameFromBytes(std::string_view bytes);

struct FolderName {
    QString text;                 // what status panel 0 shows
    std::optional<QString> error; // why the name file could not be read
};
// The name of a figure folder from its Zu_name.dat, found in any case: its first 8 bytes (fewer
// when it holds fewer), or "[無し]" when there is no such file or it cannot be read.
FolderName ReadFolderName(const std::filesystem::path& folder);

struct ListingFailure {
    QString fileName;
    QString message;
};
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

// Says when the message queue is due to be pumped: at most once per frame, so that a long loop
// keeps the window painted without paying for a re-layout after every file.
class FramePacer {
public:
    static constexpr qint64 kFrameMs = 16;
    FramePacer() { timer_.start(); }
    // True (and the frame restarted) when a frame has passed since the last time it said so.
    bool Due();

private:
    QElapsedTimer timer_;
};

} // namespace plavik
