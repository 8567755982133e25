#include "app/exportdialog.h"

#include "platform/folderscan.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace plavik {

namespace {

struct Choice {
    const char* text;
    ExportFormat format;
    DxfVersion version;
};

const Choice kChoices[] = {
    {"DXF (AutoCAD 2000)", ExportFormat::Dxf, DxfVersion::R2000},
    {"DXF R12 (jw_cad、Shift-JIS)", ExportFormat::Dxf, DxfVersion::R12},
    {"SVG", ExportFormat::Svg, DxfVersion::R2000},
    {"PDF", ExportFormat::Pdf, DxfVersion::R2000},
};

} // namespace

ExportDialog::ExportDialog(QWidget* parent, const QString& folder) : QDialog(parent) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QStringLiteral("エクスポート"));
    folder_ = new QLineEdit(folder, this);
    folder_->setObjectName(QStringLiteral("ExportFolder"));
    folder_->setMinimumWidth(320);
    auto* browse = new QPushButton(QStringLiteral("参照..."), this);
    browse->setObjectName(QStringLiteral("ExportBrowse"));
    connect(browse, &QPushButton::clicked, this, &ExportDialog::Browse);
    auto* row = new QHBoxLayout;
    row->addWidget(folder_);
    row->addWidget(browse);
    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("ExportFormat"));
    for (const Choice& choice : kChoices)
        format_->addItem(QString::fromUtf8(choice.text));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("書き出し先:"), row);
    form->addRow(QStringLiteral("形式:"), format_);
    form->addRow(buttons);
}

std::filesystem::path ExportDialog::Folder() const {
    return PathFromText(folder_->text());
}

ExportOptions ExportDialog::Options() const {
    const Choice& choice = kChoices[std::max(0, format_->currentIndex())];
    return {choice.format, choice.version};
}

void ExportDialog::Browse() {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("書き出し先"), folder_->text());
    if (!folder.isEmpty())
        folder_->setText(folder);
}

} // namespace plavik
