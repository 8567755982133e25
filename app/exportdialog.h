// The export dialog: the folder the selected files are written into and the format they take.
#pragma once

#include "export/exportfile.h"

#include <QDialog>

#include <filesystem>

class QComboBox;
class QLineEdit;

namespace plavik {

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // Starts at folder, in DXF (AutoCAD 2000).
    ExportDialog(QWidget* parent, const QString& folder);

    std::filesystem::path Folder() const;
    ExportOptions Options() const;

private:
    void Browse();

    QLineEdit* folder_;
    QComboBox* format_;
};

} // namespace plavik
