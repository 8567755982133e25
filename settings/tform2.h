// The settings dialog: five pages that edit the settings record and the printer font.
#pragma once

#include "settings/registry.h"

#include <QDialog>

namespace plavik {

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // Fills the controls from settings and font; OK copies them back into settings.
    TForm2(TListSettings& settings, PrinterFont& font, QWidget* parent = nullptr);
    ~TForm2() override;

    // Shows the page a menu item's Tag names (1 basic .. 5 colours); any other tag keeps the first page.
    void SelectPageByTag(int tag);

private:
    TListSettings& settings_;
    PrinterFont& font_;
};

} // namespace plavik
