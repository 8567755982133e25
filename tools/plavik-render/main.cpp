// plavik-render: the figure and drawing renderers on the command line, and the desktop's thumbnailer.
#include "commandline.h"
#include "commands.h"
#include "exitcodes.h"
#include "headless.h"
#include "output.h"

#include "platform/fonts.h"
#include "platform/outputfile.h"

#include <QGuiApplication>
#include <QStringList>

#ifdef _WIN32
#include <shellapi.h>
#include <windows.h>
#endif

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Qt's own warnings (missing runtime folder, font fallbacks) would mix with the command's one-line
// errors; they are shown only when PLAVIK_RENDER_DEBUG is set.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg || type == QtCriticalMsg || qEnvironmentVariableIsSet("PLAVIK_RENDER_DEBUG"))
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv) {
    using namespace plavik::tool;
    qInstallMessageHandler(QuietMessages);
    plavik::ReportFileSizeLimitAsError();

    std::vector<std::string> args;
#ifdef _WIN32
    // The wide command line, as UTF-8 (Qt was handed a shortened argv, so it cannot give it).
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args.push_back(QString::fromWCharArray(wide[i]).toStdString());
        LocalFree(wide);
    }
    (void)argc;
#else
    args.assign(argv + 1, argv + argc);
#endif

    Command command;
    try {
        command = ParseCommandLine(args);
    } catch (const UsageError& e) {
        return Fail(kExitBadArguments, e.what());
    }

    // Qt is handed the program name only, so that it takes none of the operands for its own options.
    // No command needs widgets: the list printout writes its PDF without a progress window.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    // No window is ever shown; a runtime folder of this run's own outlives the application.
    const std::unique_ptr<QTemporaryDir> runtime = PrepareHeadlessEnvironment();
    QGuiApplication app(qtArgc, qtArgv);
    QGuiApplication::setApplicationName(QStringLiteral("plavik-render"));
    plavik::InstallFontSubstitutions();
    return RunCommand(command);
}
