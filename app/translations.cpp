#include "app/translations.h"

#include <QLibraryInfo>

namespace plavik {

std::unique_ptr<QTranslator> LoadQtTranslations(const QLocale& locale) {
    auto translator = std::make_unique<QTranslator>();
    // "qt" names every module's catalogue of the locale (qtbase and the others it pulls in).
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    return translator;
}

} // namespace plavik
