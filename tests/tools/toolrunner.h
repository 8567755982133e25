// Runs the built plavik-render in a child process and keeps its outputs, for the tests of its commands.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plavik::test {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program with the arguments (in workingDir when given, after prepare has set up the process
// when given: its standard output, a child's limits); fails the test when it does not finish within a
// minute.
ToolRun RunTool(const QStringList& arguments, const QString& workingDir = QString(),
                const std::function<void(QProcess&)>& prepare = {});
ToolRun RunProgram(const QString& program, const QStringList& arguments,
                   const QString& workingDir = QString(), const std::function<void(QProcess&)>& prepare = {});

// Sets up a run whose writes to files beyond bytes fail (as under "ulimit -f"; POSIX only).
std::function<void(QProcess&)> WithFileSizeLimit(long bytes);

// The lines of standard error, without the final line break.
QStringList ErrorLines(const ToolRun& run);

// A scratch folder for one test.
class Scratch {
public:
    Scratch();
    // Writes bytes to name inside the folder and returns its path.
    QString Write(const QString& name, const std::vector<std::uint8_t>& bytes) const;
    QString Path(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// The colours of all pixels of an image.
std::vector<QRgb> Pixels(const QImage& image);

} // namespace plavik::test
