#include "app/folderdialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace plavik {

FolderFileDialog::FolderFileDialog(const QString& prompt, QWidget* parent)
    : QFileDialog(parent), prompt_(prompt) {
    setOption(QFileDialog::DontUseNativeDialog);
    // Any name keeps the Open button enabled, so the prompt itself can be confirmed; accept checks the rest.
    setFileMode(QFileDialog::AnyFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    selectFile(prompt_);
}

void FolderFileDialog::accept() {
    const QStringList files = selectedFiles();
    if (files.size() == 1 && !QFileInfo::exists(files.first())) {
        if (QFileInfo(files.first()).fileName() == prompt_) {
            QDialog::accept(); // the folder shown, whose path selectedFiles() names with the prompt
            return;
        }
        // Qt's own words for a missing file, in the user's language when its translations are loaded.
        QMessageBox::warning(this, windowTitle(),
                             QCoreApplication::translate("QFileDialog",
                                                         "%1\nFile not found.\nPlease verify the "
                                                         "correct file name was given.")
                                 .arg(QFileInfo(files.first()).fileName()));
        return;
    }
    QFileDialog::accept();
}

} // namespace plavik
