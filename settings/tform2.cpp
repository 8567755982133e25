#include "settings/tform2.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace plavik {

TForm2::TForm2(TListSettings& settings, PrinterFont& font, QWidget* parent)
    : QDialog(parent), settings_(settings), font_(font) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("設定"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buttons);
}

TForm2::~TForm2() = default;

void TForm2::SelectPageByTag(int) {}

} // namespace plavik
