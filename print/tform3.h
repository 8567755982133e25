// The small window shown while a list prints: which file of how many, and a button that cancels.
#pragma once

#include <QDialog>
#include <QPointer>

#include <memory>

namespace Ui {
class Form3;
}

namespace plavik {

class TForm3 : public QDialog {
    Q_OBJECT
public:
    // The button sets cancelPrint, which the printout reads once per file. owner may be null.
    TForm3(bool& cancelPrint, QWidget* owner);
    ~TForm3() override;

    // The number of files to print (Label4).
    void SetTotal(int count);
    // The 1-based number of the file being printed (Label2), growing to the left of the slash.
    void SetCurrent(int number);

    // Only the button stops a printout: Escape and the frame's close do nothing.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Button1Click();
    void PlaceCurrent();
    void CentreOnScreen();

    std::unique_ptr<::Ui::Form3> ui_; // the form's own namespace, not plavik::Ui
    bool& cancelPrint_;
    QPointer<QWidget> owner_;
};

} // namespace plavik
