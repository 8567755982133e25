// What the window tests read off the main window: the list's captions and the labels' texts.
#pragma once

#include "app/tform1.h"

#include <QLabel>
#include <QStringList>

namespace plavik::testing {

inline QStringList Captions(TForm1& w) {
    QStringList out;
    for (int i = 0; i < w.Model().Count(); ++i)
        out << w.Model().At(i).caption;
    return out;
}

inline QString Label(TForm1& w, const char* name) {
    return w.findChild<QLabel*>(QLatin1String(name))->text();
}

} // namespace plavik::testing
