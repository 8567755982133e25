#include "print/printjob.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace plavik {

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
constexpr bool kSpoolThroughLp = true;
#else
constexpr bool kSpoolThroughLp = false;
#endif

std::filesystem::path ToPath(const QString& s) {
#ifdef Q_OS_WIN
    return std::filesystem::path(s.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(s).toStdString());
#endif
}

} // namespace

PrintJob::PrintJob(QPrinter& printer) : printer_(printer) {}

PrintJob::~PrintJob() {
    if (active_)
        Abort();
}

bool PrintJob::Begin(const QString& title) {
    printer_.setDocName(title);
    QPageLayout layout = printer_.pageLayout();
    layout.setMargins(layout.minimumMargins());
    printer_.setPageLayout(layout);

    target_ = printer_.outputFileName();
    if (printer_.outputFormat() == QPrinter::PdfFormat && !target_.isEmpty())
        output_ = Output::PdfFile;
    else if (kSpoolThroughLp && printer_.outputFormat() == QPrinter::NativeFormat && target_.isEmpty())
        output_ = Output::CupsSpool;

    if (output_ != Output::Direct) {
        // The temporary file lies beside the target so that the final rename stays on one disk.
        const QString dir = output_ == Output::PdfFile ? QFileInfo(target_).absolutePath() : QDir::tempPath();
        const QString pattern = output_ == Output::PdfFile ? QStringLiteral("/.plavik-XXXXXX.pdf")
                                                           : QStringLiteral("/plavik-spool-XXXXXX.prn");
        temp_ = std::make_unique<QTemporaryFile>(dir + pattern);
        if (!temp_->open()) {
            error_ = QStringLiteral("印刷用の一時ファイルを作れません: %1").arg(temp_->errorString());
            temp_.reset();
            return false;
        }
        temp_->close();
        // A .pdf name keeps the PDF writer; the spool file's other suffix keeps the CUPS engine.
        printer_.setOutputFileName(temp_->fileName());
    }
    if (!painter_.begin(&printer_)) {
        error_ = QStringLiteral("プリンタを開始できません");
        Discard();
        return false;
    }
    active_ = true;
    return true;
}

bool PrintJob::NewPage() {
    if (!printer_.newPage()) {
        error_ = QStringLiteral("プリンタのページを送れません");
        return false;
    }
    return true;
}

bool PrintJob::Finish() {
    active_ = false;
    const bool ended = painter_.end();
    if (!ended || printer_.printerState() == QPrinter::Error) {
        error_ = QStringLiteral("印刷を終了できません");
        Discard();
        return false;
    }
    bool ok = true;
    if (output_ == Output::PdfFile) {
        std::error_code ec;
        std::filesystem::rename(ToPath(temp_->fileName()), ToPath(target_), ec);
        if (ec) {
            error_ = QStringLiteral("%1 を書けません: %2").arg(target_, QString::fromStdString(ec.message()));
            ok = false;
        }
    } else if (output_ == Output::CupsSpool) {
        QProcess lp;
        lp.start(QStringLiteral("lp"), LpArguments(printer_, printer_.docName(), temp_->fileName()));
        if (!lp.waitForFinished(-1) || lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
            const QString detail = QString::fromLocal8Bit(lp.readAllStandardError()).trimmed();
            error_ = QStringLiteral("印刷ジョブを送れません: %1")
                         .arg(detail.isEmpty() ? lp.errorString() : detail);
            ok = false;
        }
    }
    Discard();
    return ok;
}

void PrintJob::Abort() {
    if (active_) {
        active_ = false;
        printer_.abort();
        painter_.end();
    }
    Discard();
}

void PrintJob::Discard() {
    if (temp_) {
        QFile::remove(temp_->fileName()); // gone already after a successful rename
        temp_.reset();
        printer_.setOutputFileName(target_);
    }
}

QStringList LpArguments(const QPrinter& printer, const QString& title, const QString& file) {
    QStringList args;
    args << QStringLiteral("-d") << printer.printerName().section(QLatin1Char('/'), 0, 0);
    args << QStringLiteral("-t") << title;
    const QPageLayout layout = printer.pageLayout();
    args << QStringLiteral("-o") << QStringLiteral("media=") + layout.pageSize().key();
    QString sides = QStringLiteral("one-sided");
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        break;
    case QPrinter::DuplexAuto:
        sides = layout.orientation() == QPageLayout::Portrait ? QStringLiteral("two-sided-long-edge")
                                                              : QStringLiteral("two-sided-short-edge");
        break;
    case QPrinter::DuplexLongSide:
        sides = QStringLiteral("two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        sides = QStringLiteral("two-sided-short-edge");
        break;
    }
    args << QStringLiteral("-o") << QStringLiteral("sides=") + sides;
    if (layout.orientation() == QPageLayout::Landscape)
        args << QStringLiteral("-o") << QStringLiteral("landscape");
    args << QStringLiteral("--") << file;
    return args;
}

} // namespace plavik
