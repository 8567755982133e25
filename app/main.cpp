// Plavik: thumbnails, preview and printed lists of the jw_cad files of a folder.
#include "app/icons.h"
#include "app/tform1.h"
#include "app/translations.h"
#include "platform/fonts.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plavik"));
    QApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QApplication::setWindowIcon(plavik::ProgramIcon());
    const std::unique_ptr<QTranslator> qtTexts = plavik::LoadQtTranslations(QLocale());
    if (qtTexts)
        QApplication::installTranslator(qtTexts.get());
    QApplication::setFont(plavik::InterfaceFont());

    plavik::TForm1 window;
    window.show();
    return app.exec();
}
