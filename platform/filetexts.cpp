#include "platform/filetexts.h"

#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif
#include <QRegularExpression>

namespace plavik {

QString FileSizeText(qint64 bytes, const QLocale& locale) {
    // Some locales (the C locale among them) omit the separator by default; sizes are always grouped.
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(bytes);
}

namespace {

// The long time format without its time-zone field, which a file's local time does not need.
QString LongTimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

} // namespace

QString FileDateText(const QDateTime& time, const QLocale& locale) {
    if (!time.isValid())
        return {};
    const QDate date = time.date();
    const QTime clock = time.time();
    QString text = locale.toString(date, QLocale::ShortFormat);
    const QTime whole(clock.hour(), clock.minute(), clock.second());
    if (whole != QTime(0, 0, 0))
        text += QLatin1Char(' ') + locale.toString(whole, LongTimeFormat(locale));
    return text;
}

std::optional<FileFacts> LookUpFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return std::nullopt;
    return FileFacts{info.size(), info.lastModified()};
}

std::optional<FileFacts> LookUpFile(const std::filesystem::path& path) {
#ifdef Q_OS_WIN
    return LookUpFile(QString::fromStdWString(path.native()));
#else
    struct stat facts {};
    if (::stat(path.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode))
        return std::nullopt;
    // Whole seconds are all the date text shows (st_mtime is the one field every POSIX system names alike).
    return FileFacts{static_cast<qint64>(facts.st_size),
                     QDateTime::fromSecsSinceEpoch(static_cast<qint64>(facts.st_mtime))};
#endif
}

} // namespace plavik
