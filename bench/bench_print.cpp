// Prints 1,000 generated figure files to a PDF at 600 dpi through the list printout, several times,
// and reports each run's wall and CPU time, the sheets and the size of the file, then the medians.
// An argument names a place to keep the PDF of the last run; a second sets the number of runs
// (5 when not given).
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

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace plavik;

namespace {

constexpr int kFiles = 1000;

// User and system time of the whole process (every thread) so far.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
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
    QWidget owner;
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int run = 1; run <= runs; ++run) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(600);
        printer.setPageSize(QPageSize(QPageSize::A4));

        bool cancel = false;
        const double cpuBefore = CpuSeconds();
        QElapsedTimer timer;
        timer.start();
        const PrintResult result = PrintList(printer, request, &owner, cancel);
        wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        cpu.push_back(CpuSeconds() - cpuBefore);
        if (result.outcome != PrintResult::Outcome::Printed) {
            std::fprintf(stderr, "printout failed: %s\n", qPrintable(PrintErrorText(result)));
            return 1;
        }
        std::printf("run %d: files %d, wall s %.3f, cpu s %.3f, pages %d, pdf bytes %lld\n", run, kFiles,
                    wall.back(), cpu.back(), result.sheets, static_cast<long long>(QFileInfo(pdf).size()));
    }
    std::printf("median of %d runs: wall s %.3f, cpu s %.3f\n", runs, Median(wall), Median(cpu));
    if (argc > 1 && !QFile::copy(pdf, QString::fromLocal8Bit(argv[1])))
        std::fprintf(stderr, "cannot keep the PDF as %s\n", argv[1]);
    return 0;
}
