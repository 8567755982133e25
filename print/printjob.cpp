#include "print/printjob.h"

#include "print/pdffile.h"
#include "print/printcore.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryFile>

#include <algorithm>

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
        pdf_ = std::make_unique<PdfFile>(target_);
        if (!pdf_->Open()) {
            error_ = pdf_->Error();
            pdf_.reset();
            return false;
        }
        // The PDF as the printer would have made it.
        QPdfWriter& writer = pdf_->Writer();
        writer.setPageLayout(printer_.pageLayout());
        writer.setResolution(printer_.resolution());
        writer.setTitle(printer_.docName());
        writer.setCreator(printer_.creator());
        writer.setPdfVersion(static_cast<QPagedPaintDevice::PdfVersion>(printer_.pdfVersion()));
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
    QPaintDevice* device = pdf_ ? static_cast<QPaintDevice*>(&pdf_->Writer()) : &printer_;
    if (!painter_.begin(device)) {
        error_ = CannotStartText();
        Discard();
        return false;
    }
    active_ = true;
    return true;
}

bool PrintJob::NewPage() {
    if (pdf_) {
        if (!pdf_->NewPage()) {
            error_ = pdf_->Error();
            return false;
        }
        return true;
    }
    if (!printer_.newPage()) {
        error_ = CannotFeedText();
        return false;
    }
    return true;
}

bool PrintJob::Finish() {
    active_ = false;
    const bool ended = painter_.end();
    if (pdf_ && pdf_->Failed()) {
        error_ = pdf_->Error();
        Discard();
        return false;
    }
    if (!ended || (!pdf_ && printer_.printerState() == QPrinter::Error)) {
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
        lp.start(QStringLiteral("lp"),
                 LpArguments(LpJobOf(printer_, printer_.docName()), spool_->fileName()));
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
        if (!pdf_)
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

LpJob LpJobOf(const QPrinter& printer, const QString& title) {
    LpJob job;
    job.destination = printer.printerName().section(QLatin1Char('/'), 0, 0);
    job.title = title;
    const QPageLayout layout = printer.pageLayout();
    job.media = layout.pageSize().key();
    job.landscape = layout.orientation() == QPageLayout::Landscape;
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        break;
    case QPrinter::DuplexAuto:
        job.sides =
            job.landscape ? QStringLiteral("two-sided-short-edge") : QStringLiteral("two-sided-long-edge");
        break;
    case QPrinter::DuplexLongSide:
        job.sides = QStringLiteral("two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        job.sides = QStringLiteral("two-sided-short-edge");
        break;
    }
    job.copies = std::max(printer.copyCount(), 1);
    job.collate = printer.collateCopies();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        job.fromPage = printer.fromPage();
        job.toPage = std::max(printer.toPage(), printer.fromPage());
    }
    // Where Qt's print dialogs keep the options of the printer's properties (and, when the program
    // leaves the page range to CUPS, the range): a property of the CUPS print engine.
    const auto cupsOptionsKey = static_cast<QPrintEngine::PrintEnginePropertyKey>(0xfe00);
    if (QPrintEngine* engine = printer.printEngine())
        job.cupsOptions = engine->property(cupsOptionsKey).toStringList();
    if (job.cupsOptions.size() % 2 != 0)
        job.cupsOptions.removeLast();
    return job;
}

QStringList LpArguments(const LpJob& job, const QString& file) {
    QStringList args;
    const auto option = [&args](const QString& text) { args << QStringLiteral("-o") << text; };
    args << QStringLiteral("-d") << job.destination;
    args << QStringLiteral("-t") << job.title;
    option(QStringLiteral("media=") + job.media);
    option(QStringLiteral("sides=") + job.sides);
    if (job.landscape)
        option(QStringLiteral("landscape"));
    if (job.copies > 1) {
        args << QStringLiteral("-n") << QString::number(job.copies);
        option(job.collate ? QStringLiteral("collate=true") : QStringLiteral("collate=false"));
    }
    if (job.fromPage > 0 && !job.cupsOptions.contains(QStringLiteral("page-ranges")))
        option(QStringLiteral("page-ranges=%1-%2").arg(job.fromPage).arg(job.toPage));
    // The printer's own options last, so that they win over the defaults above, as in Qt's engine.
    for (qsizetype i = 0; i + 1 < job.cupsOptions.size(); i += 2)
        option(job.cupsOptions[i + 1].isEmpty()
                   ? job.cupsOptions[i]
                   : job.cupsOptions[i] + QLatin1Char('=') + job.cupsOptions[i + 1]);
    args << QStringLiteral("--") << file;
    return args;
}

} // namespace plavik
