// The settings dialog: five pages that edit the settings record and the printer font.
#pragma once

#include "settings/registry.h"

#include <QDialog>
#include <QFont>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLineEdit;

namespace plavik {

namespace Ui {
class TForm2;
}

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // Fills the controls from settings and font; OK copies them back into settings.
    TForm2(TListSettings& settings, PrinterFont& font, QWidget* parent = nullptr);
    ~TForm2() override;

    // Shows the page a menu item's Tag names (1 basic, 2 page, 3 drawing list, 4 figure list,
    // 5 colours); any other tag shows the drawing-list page.
    void SelectPageByTag(int tag);

    // Asks the user for a font starting from the given one; nothing when the user cancels.
    using FontChooser = std::function<std::optional<QFont>(const QFont& initial, QWidget* parent)>;
    // Replaces the font dialog that the font button runs (QFontDialog by default).
    void SetFontChooser(FontChooser chooser);

protected:
    // Enter presses the focused button and nothing else: the dialog has no default button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void Button1Click();
    void Button4Click();
    void Button13Click();
    void Button14Click();
    void Button15Click();

    // The twelve numeric edits in the order OK copies them.
    std::vector<QLineEdit*> NumericEdits() const;
    void CopyControls();
    void ShowSwatches(const std::array<COLORREF, 9>& colors);
    void ShowPrinterFont();

    std::unique_ptr<Ui::TForm2> ui_;
    TListSettings& settings_;
    PrinterFont& font_;
    FontChooser chooseFont_;
};

} // namespace plavik
