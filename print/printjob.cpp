#include "print/printjob.h"

#include "print/pendingfile.h"
#include "print/printcore.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryFile>

namespace plavik {

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
constexpr bool kSpoolThroughLp = true;
#else
constexpr bool kSpoolThroughLp = false;
#endif

} // namespace

PrintJob::PrintJob(QPrinter& printer) : printer_(printer) {}

PrintJob::~PrintJob() {
    if (active_)
        Abort();
    Discard();
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

    if (output_ == Output::PdfFile) {
        pdf_ = std::make_unique<PendingFile>(target_);
        if (!pdf_->Open()) {
            error_ = pdf_->Error();
            pdf_.reset();
            return false;
        }
        // Its .pdf name keeps the PDF writer.
        printer_.setOutputFileName(pdf_->FileName());
    } else if (output_ == Output::CupsSpool) {
        spool_ =
            std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/plavik-spool-XXXXXX.prn"));
        if (!spool_->open()) {
            error_ = QStringLiteral("印刷用の一時ファイルを作れません: %1").arg(spool_->errorString());
            spool_.reset();
            return false;
        }
        spool_->close();
        // The spool file's suffix keeps the CUPS engine.
        printer_.setOutputFileName(spool_->fileName());
    }
    if (!painter_.begin(&printer_)) {
        error_ = CannotStartText();
        Discard();
        return false;
    }
    active_ = true;
    return true;
}

bool PrintJob::NewPage() {
    if (!printer_.newPage()) {
        error_ = CannotFeedText();
        return false;
    }
    return true;
}

bool PrintJob::Finish() {
    active_ = false;
    const bool ended = painter_.end();
    if (!ended || printer_.printerState() == QPrinter::Error) {
        error_ = CannotEndText();
        Discard();
        return false;
    }
    bool ok = true;
    if (pdf_) {
        if (!pdf_->Commit()) {
            error_ = pdf_->Error();
            ok = false;
        }
    } else if (spool_) {
        QProcess lp;
        lp.start(QStringLiteral("lp"), LpArguments(printer_, printer_.docName(), spool_->fileName()));
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
    if (!pdf_ && !spool_)
        return;
    pdf_.reset(); // deletes a file not committed
    if (spool_) {
        QFile::remove(spool_->fileName());
        spool_.reset();
    }
    printer_.setOutputFileName(target_);
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
