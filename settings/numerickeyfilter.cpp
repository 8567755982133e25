#include "settings/numerickeyfilter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace plavik {

void AsciiCancel(QChar& key) {
    const char16_t c = key.unicode();
    if (c == 8 || c == 27 || (c >= u'0' && c <= u'9'))
        return;
    key = QChar(0);
}

NumericKeyFilter::NumericKeyFilter(QLineEdit* edit, int maxChars)
    : QObject(edit), edit_(edit), maxChars_(maxChars) {
    // Input methods would hand in composed text past the key events (full-width digits, kana).
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->installEventFilter(this);
}

bool NumericKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_ || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    // Keys without a printable character (arrows, Delete, shortcuts such as Ctrl+A) are the edit's
    // own business; only typed characters go through the filter.
    if (text.isEmpty() || text.front().unicode() < 0x20 || text.front().unicode() == 0x7F ||
        (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    int digits = 0;
    for (QChar c : text) {
        QChar filtered = c;
        AsciiCancel(filtered);
        if (filtered.isNull())
            return true;
        if (c.isDigit())
            ++digits;
    }
    if (maxChars_ > 0) {
        const qsizetype after = edit_->text().size() - edit_->selectedText().size() + digits;
        if (after > maxChars_)
            return true;
    }
    return false;
}

} // namespace plavik
