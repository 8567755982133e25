// Plavik: thumbnails, preview and printed lists of the jw_cad files of a folder.
#include "app/icons.h"
#include "app/tform1.h"
#include "app/translations.h"
#include "platform/fonts.h"
#include "platform/outputfile.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // The version is printed before anything needs a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("plavik %s\n", PLAVIK_VERSION);
            return 0;
        }
    }
    plavik::ReportFileSizeLimitAsError();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plavik"));
    QApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QApplication::setDesktopFileName(QStringLiteral("plavik"));
    // The installed theme icon where there is one, else the one drawn here.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("plavik"), plavik::ProgramIcon()));
    const std::unique_ptr<QTranslator> qtTexts = plavik::LoadQtTranslations(QLocale());
    if (qtTexts)
        QApplication::installTranslator(qtTexts.get());
    QApplication::setFont(plavik::InterfaceFont());

    plavik::TForm1 window;
    window.show();
    // plavik [PATH]: a folder or file given (as by a file manager's "Open with"), else the folder listed
    // last. The window is on screen first.
    const QStringList args = QApplication::arguments();
    QTimer::singleShot(0, &window, [&window, args] {
        if (args.size() > 1)
            window.OpenPath(args.at(1));
        else
            window.ListLastFolder();
    });
    return app.exec();
}
