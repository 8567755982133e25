#include "toolrunner.h"

#include <QFile>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace plavik::test {

ToolRun RunProgram(const QString& program, const QStringList& arguments, const QString& workingDir,
                   const std::function<void(QProcess&)>& prepare) {
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    if (prepare)
        prepare(process);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForStarted(30000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return run;
    }
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "did not finish: " << arguments.join(' ').toStdString();
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

ToolRun RunTool(const QStringList& arguments, const QString& workingDir,
                const std::function<void(QProcess&)>& prepare) {
    return RunProgram(QStringLiteral(PLAVIK_RENDER_EXE), arguments, workingDir, prepare);
}

std::function<void(QProcess&)> WithFileSizeLimit(long bytes) {
    return [bytes](QProcess& process) {
#ifndef _WIN32
        process.setChildProcessModifier([bytes] {
            const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
#else
        (void)process;
#endif
    };
}

QStringList ErrorLines(const ToolRun& run) {
    QString text = QString::fromUtf8(run.err);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

Scratch::Scratch() {
    EXPECT_TRUE(dir_.isValid());
}

QString Scratch::Write(const QString& name, const std::vector<std::uint8_t>& bytes) const {
    const QString path = Path(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

QString Scratch::Path(const QString& name) const {
    return dir_.filePath(name);
}

std::vector<QRgb> Pixels(const QImage& image) {
    std::vector<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.push_back(image.pixel(x, y) | 0xFF000000u);
    return out;
}

} // namespace plavik::test
