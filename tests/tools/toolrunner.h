// Runs the built plavik-render in a child process and keeps its outputs, for the tests of its commands.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <string>
#include <vector>

namespace plavik::test {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program with the arguments (in workingDir when given); fails the test when it does not
// finish within a minute.
ToolRun RunTool(const QStringList& arguments, const QString& workingDir = QString());
ToolRun RunProgram(const QString& program, const QStringList& arguments,
                   const QString& workingDir = QString());

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
