// The size and date texts shown for a file, in print captions and in the quick view.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

namespace plavik {

// The exact size in bytes, always grouped with the locale's thousands separator: 12345 -> "12,345".
QString FileSizeText(qint64 bytes, const QLocale& locale = QLocale());
// The same with the unit, as the quick view and the captions show it: 12345 -> "12,345 バイト".
QString SizeInBytesText(qint64 bytes, const QLocale& locale = QLocale());

// The locale's short date, a space and its time with seconds, as the desktop writes a file's date
// ("2026/12/08 5:23:27" in Japanese, "12/8/26 5:23:27 AM" in American English); the time is left out
// when it is exactly 00:00:00. Fractions of a second are dropped. An invalid time gives "".
QString FileDateText(const QDateTime& time, const QLocale& locale = QLocale());

// The locale's time format with seconds: its short format with the seconds added after the minutes.
QString TimeFormatWithSeconds(const QLocale& locale);

// Of the date texts of the locale, the one that `width` measures widest: two-digit days and hours,
// every month, morning and afternoon.
QString WidestDateText(const QLocale& locale, const std::function<int(const QString&)>& width);

// Why a file could not be opened, from the system's error number (FileBytes::OpenError); 0: it is not
// a regular file.
QString CannotOpenText(int error);

// What the directory entry says about a file; nothing when it cannot be found.
struct FileFacts {
    qint64 size = 0;
    QDateTime lastWrite; // local time
};
std::optional<FileFacts> LookUpFile(const QString& path);
// The same by the file's real path, for names that text cannot spell (code page 932 on POSIX).
std::optional<FileFacts> LookUpFile(const std::filesystem::path& path);

} // namespace plavik
