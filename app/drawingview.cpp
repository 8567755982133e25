#include "app/drawingview.h"

#include "app/viewframe.h"

#include <QKeyEvent>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace plavik {

namespace {

constexpr double kMargin = 12;     // view pixels around a fitted frame
constexpr double kKeyZoom = 1.25;  // one step of + or -
constexpr double kWheelZoom = 1.2; // one notch of the wheel
constexpr double kArrowStep = 0.1; // of the view's size

} // namespace

DrawingView::DrawingView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::OpenHandCursor);
    setMinimumSize(64, 64);
    connect(&worker_, &QFutureWatcher<ViewPicture>::finished, this, &DrawingView::Finished);
}

DrawingView::~DrawingView() {
    // A picture still being drawn holds its own bytes and ends on its own; its result is dropped.
    worker_.disconnect(this);
}

void DrawingView::Show(SharedBytes bytes, FileFormat format, ListKind kind, std::optional<LayerMask> layers) {
    bytes_ = std::move(bytes);
    format_ = format;
    kind_ = kind;
    layers_ = layers;
    FitSheet();
}

void DrawingView::SetLayers(std::optional<LayerMask> layers) {
    layers_ = layers;
    Changed();
}

double DrawingView::SheetProportion() const {
    // As the lists show them: figures square, drawings on a sheet of side x side / sqrt 2.
    return kind_ == ListKind::Figures ? 1.0 : std::sqrt(2.0);
}

void DrawingView::FitSheet() {
    fit_ = Fit::Sheet;
    content_ = false;
    frame_ = FitFrame(SheetProportion(), size(), kMargin);
    Changed();
}

void DrawingView::FitContent() {
    if (kind_ == ListKind::Figures) { // a figure's frame is what it holds
        FitSheet();
        return;
    }
    fit_ = Fit::Content;
    content_ = true;
    // What is drawn takes its own proportion within the frame: the frame takes the view's.
    const QSizeF room(std::max(width() - 2 * kMargin, kNarrowestFrame),
                      std::max(height() - 2 * kMargin, kNarrowestFrame));
    frame_ = FitFrame(room.width() / room.height(), size(), kMargin);
    Changed();
}

void DrawingView::ZoomAt(const QPointF& at, double factor) {
    fit_ = Fit::None;
    frame_ = PanFrame(ZoomFrame(frame_, at, factor), {}, size());
    Changed();
}

void DrawingView::PanBy(const QPointF& by) {
    fit_ = Fit::None;
    frame_ = PanFrame(frame_, by, size());
    Changed();
}

ViewJob DrawingView::CurrentJob(double ratio) const {
    ViewJob job;
    job.bytes = bytes_;
    job.format = format_;
    job.options.flags = ViewFlags(kind_, content_);
    job.options.layers = layers_;
    job.frame = frame_;
    job.view = size();
    job.ratio = ratio;
    return job;
}

bool DrawingView::Drawing() const {
    return busy_ || next_.has_value();
}

void DrawingView::Changed() {
    update();
    emit FrameChanged();
    if (!bytes_)
        return;
    next_ = CurrentJob(devicePixelRatioF());
    if (!busy_)
        StartNext();
}

void DrawingView::StartNext() {
    if (!next_)
        return;
    ViewJob job = std::move(*next_);
    next_.reset();
    busy_ = true;
    worker_.setFuture(QtConcurrent::run([job] { return RenderView(job); }));
}

void DrawingView::Finished() {
    busy_ = false;
    picture_ = worker_.result();
    update();
    emit Drawn();
    StartNext();
}

void DrawingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(kViewBackground));
    if (picture_.image.isNull() || picture_.frame.width() <= 0)
        return;
    // The last picture, moved and scaled from its frame to the current one.
    const QRectF& from = picture_.frame;
    const double k = frame_.width() / from.width();
    const QSizeF shown = picture_.image.deviceIndependentSize();
    const QRectF target(frame_.left() - from.left() * k, frame_.top() - from.top() * k, shown.width() * k,
                        shown.height() * k);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, picture_.image);
}

void DrawingView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (fit_ == Fit::Sheet)
        FitSheet();
    else if (fit_ == Fit::Content)
        FitContent();
    else {
        // The centre stays where it was.
        const QSize old = event->oldSize().isValid() ? event->oldSize() : size();
        frame_.translate((width() - old.width()) / 2.0, (height() - old.height()) / 2.0);
        Changed();
    }
}

void DrawingView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        ZoomAt(event->position(), std::pow(kWheelZoom, notches));
    event->accept();
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
    }
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_)
        return;
    const QPointF at = event->position();
    PanBy(at - *dragFrom_);
    dragFrom_ = at;
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_.reset();
        setCursor(Qt::OpenHandCursor);
    }
}

void DrawingView::keyPressEvent(QKeyEvent* event) {
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double dx = width() * kArrowStep, dy = height() * kArrowStep;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: // + without shift on many keyboards
        ZoomAt(centre, kKeyZoom);
        break;
    case Qt::Key_Minus:
        ZoomAt(centre, 1 / kKeyZoom);
        break;
    // An arrow shows more of the drawing on its side.
    case Qt::Key_Left:
        PanBy({dx, 0});
        break;
    case Qt::Key_Right:
        PanBy({-dx, 0});
        break;
    case Qt::Key_Up:
        PanBy({0, dy});
        break;
    case Qt::Key_Down:
        PanBy({0, -dy});
        break;
    case Qt::Key_0:
        FitSheet();
        break;
    case Qt::Key_1:
        FitContent();
        break;
    case Qt::Key_PageDown:
        emit StepFile(1);
        break;
    case Qt::Key_PageUp:
        emit StepFile(-1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace plavik
