// Qt's own dialogs in the user's language.
#include "app/translations.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLibraryInfo>

namespace plavik {
namespace {

TEST(QtTranslations, JapaneseDialogTextsAreLoaded) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(folder + "/qtbase_ja.qm"))
        GTEST_SKIP() << "Qt's translations are not installed (qt6-translations-l10n)";
    const auto translator = LoadQtTranslations(QLocale(QLocale::Japanese, QLocale::Japan));
    ASSERT_NE(translator, nullptr);
    // The buttons of every Qt dialog and the open dialog's own texts.
    for (const auto& [context, text] : {std::pair{"QPlatformTheme", "Cancel"},
                                        {"QFileDialog", "Look in:"},
                                        {"QPrintDialog", "Print"},
                                        {"QFontDialog", "Select Font"}}) {
        const QString translated = translator->translate(context, text);
        EXPECT_FALSE(translated.isEmpty()) << context << " " << text;
        EXPECT_NE(translated, QString::fromLatin1(text)) << context;
    }
}

TEST(QtTranslations, NoneForTheCLocale) {
    EXPECT_EQ(LoadQtTranslations(QLocale::c()), nullptr);
}

} // namespace
} // namespace plavik
