#include "print/printout.h"

#include "platform/fonts.h"
#include "print/printjob.h"
#include "print/tform3.h"
#include "settings/errorbox.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPrinter>
#include <QWidget>

#include <exception>

namespace plavik {

namespace {

// Gives the owner its input back on every way out of a printout.
class DisabledWhile {
public:
    explicit DisabledWhile(QWidget* widget) : widget_(widget) {
        if (widget_)
            widget_->setEnabled(false);
    }
    ~DisabledWhile() {
        if (widget_)
            widget_->setEnabled(true);
    }
    DisabledWhile(const DisabledWhile&) = delete;
    DisabledWhile& operator=(const DisabledWhile&) = delete;

private:
    QPointer<QWidget> widget_;
};

// The progress window as the printout's progress: the numbers go to its labels, and before each file
// the message queue is pumped so that a click on its button is seen.
class FormProgress : public PrintProgress {
public:
    FormProgress(TForm3& form, const bool& cancelPrint) : form_(form), cancelPrint_(cancelPrint) {}
    void SetTotal(int count) override { form_.SetTotal(count); }
    void SetCurrent(int number) override { form_.SetCurrent(number); }
    bool Cancelled() override {
        QCoreApplication::processEvents();
        return cancelPrint_;
    }

private:
    TForm3& form_;
    const bool& cancelPrint_;
};

} // namespace

PrintResult PrintList(QPrinter& printer, const PrintRequest& request, QWidget* owner, bool& cancelPrint) {
    // Before the progress window takes its font.
    InstallFontSubstitutions();
    PrintResult result;
    {
        PrintJob job(printer);
        if (!job.Begin(JobTitle(request))) {
            result.outcome = PrintResult::Outcome::Failed;
            result.error = job.Error();
        } else {
            cancelPrint = false;
            TForm3 form(cancelPrint, owner);
            form.show();
            DisabledWhile disabled(owner);
            FormProgress progress(form, cancelPrint);
            try {
                result = DrawList(job.painter(), request, progress, [&job](QString& error) {
                    if (job.NewPage())
                        return true;
                    error = job.Error();
                    return false;
                });
            } catch (const std::exception& e) {
                result.outcome = PrintResult::Outcome::Failed;
                result.error = QString::fromUtf8(e.what());
            }
            if (result.outcome == PrintResult::Outcome::Printed && !job.Finish()) {
                result.outcome = PrintResult::Outcome::Failed;
                result.error = job.Error();
            }
            if (result.outcome != PrintResult::Outcome::Printed)
                job.Abort();
        }
    }
    if (request.showErrors) {
        const QString text = PrintErrorText(result);
        if (!text.isEmpty())
            ShowErrorBox(owner, text);
    }
    return result;
}

} // namespace plavik
