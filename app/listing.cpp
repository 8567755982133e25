#include "app/listing.h"

#include <QApplication>
#include <QWidget>

namespace plavik {

QString ListingErrorText(const std::vector<ListingFailure>& failures, std::size_t shown) {
    QStringList lines;
    for (std::size_t i = 0; i < failures.size() && i < shown; ++i)
        lines << failures[i].fileName + QStringLiteral(": ") + failures[i].message;
    if (failures.size() > shown)
        lines << QStringLiteral("他 %1 件").arg(failures.size() - shown);
    return lines.join(QLatin1Char('\n'));
}

BusyWindow::BusyWindow(QWidget* window) : window_(window) {
    if (window_)
        window_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyWindow::~BusyWindow() {
    QApplication::restoreOverrideCursor();
    if (window_)
        window_->setEnabled(true);
}

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

} // namespace plavik
