#include "print/tform3.h"

#include "ui_tform3.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

namespace plavik {

namespace {

// The window's right edge of the current number: it grows to the left of the slash.
constexpr int kCurrentRight = 105;

// A 32 x 32 picture: a drawing window with an arrow pointing to a sheet of small cells.
QPixmap PrintIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    // The drawing window: a title bar over a white client with a few lines of a figure.
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 15, 13);
    p.fillRect(2, 2, 14, 3, QColor(0, 0, 128));
    p.setPen(QColor(128, 0, 0));
    p.drawLine(4, 12, 9, 7);
    p.drawLine(9, 7, 13, 12);
    p.drawEllipse(QPoint(9, 10), 2, 2);
    // The arrow from the window down to the sheet.
    p.setPen(QPen(QColor(0, 128, 0), 2));
    p.drawLine(12, 17, 17, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 128, 0));
    const QPoint head[] = {QPoint(19, 24), QPoint(13, 23), QPoint(18, 18)};
    p.drawPolygon(head, 3);
    // The sheet with its cells, three by three.
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(19, 12, 12, 19);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::gray);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(21 + col * 3, 14 + row * 6, 2, 4);
    return pixmap;
}

} // namespace

TForm3::TForm3(bool& cancelPrint, QWidget* owner)
    // No Qt parent: disabling the owner would disable its child windows too, and this window must
    // take the click while the owner is disabled. It is tied to the owner's window instead.
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      ui_(std::make_unique<::Ui::Form3>()), cancelPrint_(cancelPrint), owner_(owner) {
    ui_->setupUi(this);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(233, 93);
    ui_->Image1->setPixmap(PrintIcon());
    ui_->Label1->adjustSize();
    ui_->Label3->adjustSize();
    ui_->Button1->setAutoDefault(false);
    ui_->Button1->setDefault(false);
    ui_->Button1->setFocus();
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    // The design texts stay until the printout sets the numbers.
    ui_->Label4->adjustSize();
    PlaceCurrent();
    CentreOnScreen();
}

TForm3::~TForm3() = default;

void TForm3::SetTotal(int count) {
    ui_->Label4->setText(QString::number(count));
    ui_->Label4->adjustSize();
}

void TForm3::SetCurrent(int number) {
    ui_->Label2->setText(QString::number(number));
    PlaceCurrent();
}

void TForm3::PlaceCurrent() {
    QLabel* label = ui_->Label2;
    label->adjustSize();
    label->move(kCurrentRight - label->width(), label->y());
}

void TForm3::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void TForm3::showEvent(QShowEvent* event) {
    if (owner_ && owner_->window()->windowHandle() && windowHandle())
        windowHandle()->setTransientParent(owner_->window()->windowHandle());
    QDialog::showEvent(event);
    CentreOnScreen();
}

void TForm3::Button1Click() {
    cancelPrint_ = true;
}

void TForm3::CentreOnScreen() {
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

} // namespace plavik
