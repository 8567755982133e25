// The caption lines printed to the right of each picture.
#pragma once

#include "platform/filetexts.h"
#include "settings/listsettings.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string_view>
#include <utility>

namespace plavik {

// The texts whose printed width is kept free at least for the captions of each kind of list.
QString FigureSampleText();
QString DrawingSampleText();

// The width kept free for the captions of a list of figures or drawings: the kind's sample text or
// the date line of the locale's widest date, whichever `width` measures wider.
int CaptionColumnWidth(bool figures, const std::function<int(const QString&)>& width,
                       const QLocale& locale = QLocale());

// Bytes 1-32 and 33-64 of a drawing's comment, cut by byte position; a part past the end is empty.
// With wholeCharacters (a drawing's memo) each part holds whole characters, at most 32 bytes, and the
// first ends between words or characters, never inside a word of Latin letters or a number ("1／100",
// "1,200"), unless one fills the whole part; the second begins where the first ends.
std::pair<std::string_view, std::string_view> CommentHalves(std::string_view comment,
                                                            bool wholeCharacters = false);

// The switched-on caption lines of a figure file, top to bottom. Without facts (the file has gone)
// the size and date lines show their labels alone.
QStringList FigureCaptionLines(const TListSettings& settings, const QString& fileName,
                               const std::optional<FileFacts>& facts, const QLocale& locale = QLocale());

// The same for a drawing file, with its comment (code page 932 bytes, empty for a rejected file). A
// memo (memo true) has its line breaks shown as spaces, is broken as CommentHalves breaks it, and
// ends in "…" when more of it follows than the two lines hold.
QStringList DrawingCaptionLines(const TListSettings& settings, const QString& fileName,
                                std::string_view comment, const std::optional<FileFacts>& facts,
                                const QLocale& locale = QLocale(), bool memo = false);

} // namespace plavik
