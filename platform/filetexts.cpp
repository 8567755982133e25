#include "platform/filetexts.h"

#include <QFileInfo>
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

} // namespace plavik
