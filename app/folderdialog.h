// The open dialog of the main window: the user picks a folder by picking any file in it.
#pragma once

#include <QFileDialog>

namespace plavik {

// A file dialog whose file name starts as a prompt ("フォルダ指定"); confirming the prompt unchanged
// picks the folder the dialog shows, as if a file in it had been chosen. Any other name must be an
// existing file or folder.
class FolderFileDialog : public QFileDialog {
public:
    FolderFileDialog(const QString& prompt, QWidget* parent);

    void accept() override;

private:
    QString prompt_;
};

} // namespace plavik
