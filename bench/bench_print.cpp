// Prints 1,000 generated figure files to a PDF at 600 dpi through the list printout and reports the
// time taken, the sheets and the size of the file. An argument names a place to keep the PDF.
#include "benchfiles.h"
#include "platform/folderscan.h"
#include "print/printout.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>

using namespace plavik;

namespace {
constexpr int kFiles = 1000;
} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    PrintRequest request;
    request.kind = ListKind::Figures;
    const QString folder = dir.path() + QLatin1Char('/');
    request.folderName = QStringLiteral("bench");
    request.showErrors = false;
    for (int i = 0; i < kFiles; ++i) {
        const QString name = QStringLiteral("f%1.jwk").arg(i, 4, 10, QLatin1Char('0'));
        const std::vector<std::uint8_t> bytes = bench::Figure(i);
        QFile file(folder + name);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        request.items.push_back({name, PathFromText(folder + name)});
    }

    const QString pdf = folder + QStringLiteral("list.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QPageSize::A4));

    QWidget owner;
    bool cancel = false;
    QElapsedTimer timer;
    timer.start();
    const PrintResult result = PrintList(printer, request, &owner, cancel);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (result.outcome != PrintResult::Outcome::Printed) {
        std::fprintf(stderr, "printout failed: %s\n", qPrintable(PrintErrorText(result)));
        return 1;
    }
    std::printf("files %d, seconds %.2f, pages %d, pdf bytes %lld\n", kFiles, seconds, result.sheets,
                static_cast<long long>(QFileInfo(pdf).size()));
    if (argc > 1 && !QFile::copy(pdf, QString::fromLocal8Bit(argv[1])))
        std::fprintf(stderr, "cannot keep the PDF as %s\n", argv[1]);
    return 0;
}
