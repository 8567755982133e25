#include "printfiles.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace plavik::test {

bool SaveBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

namespace {

QString InfoLine(const QString& pdf, const QString& key) {
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed();
    return {};
}

} // namespace

bool HavePoppler() {
    for (const char* tool : {"pdfinfo", "pdftotext", "pdftoppm"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    return true;
}

QString RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int PdfPages(const QString& pdf) {
    bool ok = false;
    const int pages = InfoLine(pdf, QStringLiteral("Pages:")).toInt(&ok);
    return ok ? pages : -1;
}

QString PdfTitle(const QString& pdf) {
    return InfoLine(pdf, QStringLiteral("Title:"));
}

QString PdfPageSize(const QString& pdf) {
    return InfoLine(pdf, QStringLiteral("Page size:"));
}

QString PdfText(const QString& pdf) {
    return RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

QImage PdfPage(const QString& pdf, int page, int dpi) {
    const QString base = pdf + QStringLiteral("-page%1").arg(page);
    const QString number = QString::number(page);
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), number, QStringLiteral("-l"),
             number, QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, base});
    const QImage image(base + QStringLiteral(".png"));
    QFile::remove(base + QStringLiteral(".png"));
    return image;
}

} // namespace plavik::test
