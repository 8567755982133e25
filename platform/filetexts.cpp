#include "platform/filetexts.h"

#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

#include <cstring>

namespace plavik {

QString FileSizeText(qint64 bytes, const QLocale& locale) {
    // Some locales (the C locale among them) omit the separator by default; sizes are always grouped.
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(bytes);
}

QString SizeInBytesText(qint64 bytes, const QLocale& locale) {
    return FileSizeText(bytes, locale) + QStringLiteral(" バイト");
}

QString TimeFormatWithSeconds(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (format.contains(QLatin1Char('s')))
        return format;
    const qsizetype minutes = format.indexOf(QLatin1Char('m'));
    if (minutes < 0)
        return format;
    qsizetype after = minutes;
    while (after < format.size() && format[after] == QLatin1Char('m'))
        ++after;
    // The seconds follow the minutes with the separator that comes before the minutes.
    qsizetype separator = minutes;
    while (separator > 0 && format[separator - 1] != QLatin1Char('H') &&
           format[separator - 1] != QLatin1Char('h'))
        --separator;
    QString between = format.mid(separator, minutes - separator);
    if (between.isEmpty() || between.size() > 1)
        between = QStringLiteral(":");
    format.insert(after, between + QStringLiteral("ss"));
    return format;
}

QString FileDateText(const QDateTime& time, const QLocale& locale) {
    if (!time.isValid())
        return {};
    const QDate date = time.date();
    const QTime clock = time.time();
    QString text = locale.toString(date, QLocale::ShortFormat);
    const QTime whole(clock.hour(), clock.minute(), clock.second());
    if (whole != QTime(0, 0, 0))
        text += QLatin1Char(' ') + locale.toString(whole, TimeFormatWithSeconds(locale));
    return text;
}

QString WidestDateText(const QLocale& locale, const std::function<int(const QString&)>& width) {
    QString widest;
    int most = -1;
    for (int month = 1; month <= 12; ++month) {
        for (const int hour : {10, 22}) {
            const QString text = FileDateText(QDateTime(QDate(2000, month, 28), QTime(hour, 58, 58)), locale);
            const int w = width(text);
            if (w > most) {
                most = w;
                widest = text;
            }
        }
    }
    return widest;
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

QString CannotOpenText(int error) {
    return error ? QString::fromLocal8Bit(std::strerror(error))
                 : QStringLiteral("通常のファイルではありません");
}

} // namespace plavik
