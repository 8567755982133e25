// The key filter of the settings dialog's numeric edits: only digits can be typed.
#pragma once

#include <QChar>
#include <QObject>

class QLineEdit;

namespace plavik {

// Leaves backspace (8), escape (27) and the digits '0'..'9' as they are; turns any other character
// into the null character, which the edit then ignores.
void AsciiCancel(QChar& key);

// Installed on a line edit: drops typed characters that AsciiCancel refuses, and digits that would
// make the text longer than maxChars (0 = no limit). Unlike QLineEdit::setMaxLength, the limit
// applies to typing only, so a longer value set by the program is shown whole and kept.
class NumericKeyFilter : public QObject {
    Q_OBJECT
public:
    NumericKeyFilter(QLineEdit* edit, int maxChars);

    // The limit of the edit the filter was installed on.
    int MaxChars() const { return maxChars_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;
    int maxChars_;
};

} // namespace plavik
