#include "settings/errorbox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace plavik {

QString ApplicationTitle() {
    return QCoreApplication::applicationName();
}

void ShowErrorBox(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

} // namespace plavik
