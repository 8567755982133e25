// The application's error box and the title its message boxes carry.
#pragma once

#include <QString>

class QWidget;

namespace plavik {

// The application's title ("Plavik" once main has named the application).
QString ApplicationTitle();

// Shows message in a modal critical message box captioned with the application's title, with one OK
// button, as the standard handler of a failed command does. Returns when the user closes it.
void ShowErrorBox(QWidget* parent, const QString& message);

} // namespace plavik
