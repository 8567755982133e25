// Answers the modal windows that a command opens, in order, so that no test blocks on them.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace plavik::testing {

// What a message box showed.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    QString escapeButton;
};

class ModalAnswers {
public:
    using Answer = std::function<void(QWidget*)>;

    ModalAnswers() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    // Queues the answer to the next modal window.
    ModalAnswers& Then(Answer answer) {
        answers_.push_back(std::move(answer));
        return *this;
    }
    // Queues a click on the message box button with this text.
    ModalAnswers& ThenClick(const QString& buttonText) {
        return Then([buttonText](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w))
                for (QAbstractButton* b : box->buttons())
                    if (b->text() == buttonText)
                        return b->click();
            static_cast<QDialog*>(w)->reject();
        });
    }
    ModalAnswers& ThenAccept() {
        return Then([](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
    }
    ModalAnswers& ThenReject() {
        return Then([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    }

    // Every modal window seen, in order, and what the message boxes among them showed.
    const std::vector<QString>& Classes() const { return classes_; }
    const std::vector<SeenBox>& Boxes() const { return boxes_; }
    // Modal windows that came with no answer left (they were rejected).
    int Unexpected() const { return unexpected_; }

private:
    void Poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == last_.data() || !w->isVisible())
            return;
        last_ = w;
        classes_.push_back(QString::fromLatin1(w->metaObject()->className()));
        if (auto* box = qobject_cast<QMessageBox*>(w))
            boxes_.push_back(Describe(box));
        if (answers_.empty()) {
            ++unexpected_;
            if (auto* dialog = qobject_cast<QDialog*>(w))
                dialog->reject();
            return;
        }
        // Answer from the event loop, not from the timer: an answer that opens another modal window
        // (a warning of the dialog) must leave the timer free to see it.
        auto answer = std::make_shared<Answer>(std::move(answers_.front()));
        answers_.pop_front();
        QMetaObject::invokeMethod(
            &timer_,
            [answer, target = QPointer<QWidget>(w)] {
                if (target)
                    (*answer)(target);
            },
            Qt::QueuedConnection);
    }

    static SeenBox Describe(QMessageBox* box) {
        SeenBox seen{box->windowTitle(), box->text(), box->icon(), {}, {}, {}};
        for (QAbstractButton* b : box->buttons())
            seen.buttons.append(b->text());
        if (box->defaultButton())
            seen.defaultButton = box->defaultButton()->text();
        if (box->escapeButton())
            seen.escapeButton = box->escapeButton()->text();
        return seen;
    }

    QTimer timer_;
    QPointer<QWidget> last_;
    std::deque<Answer> answers_;
    std::vector<QString> classes_;
    std::vector<SeenBox> boxes_;
    int unexpected_ = 0;
};

} // namespace plavik::testing
