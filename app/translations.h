// Qt's own translations, so that its dialogs (open, print, font, message buttons) speak the user's
// language inside the Japanese program.
#pragma once

#include <QLocale>
#include <QTranslator>

#include <memory>

namespace plavik {

// Qt's translations for locale, from Qt's translations folder; nothing when Qt has none for it
// (English, or the translations package not installed).
std::unique_ptr<QTranslator> LoadQtTranslations(const QLocale& locale);

} // namespace plavik
