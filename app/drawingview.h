// The viewer's picture: one file drawn as vectors over a frame that the wheel, dragging and the keys
// zoom and pan. Pictures are drawn on a worker thread, one at a time, the latest view next; until one
// arrives the last is shown moved and scaled to the frame, so that the view follows every move at
// once whatever the file costs to draw.
#pragma once

#include "app/viewrender.h"
#include "render/formats.h"

#include <QFutureWatcher>
#include <QWidget>

#include <optional>

namespace plavik {

class DrawingView : public QWidget {
    Q_OBJECT
public:
    explicit DrawingView(QWidget* parent = nullptr);
    ~DrawingView() override;

    // Shows the bytes of a file of the format, its sheet fitted to the view. layers: those to show,
    // or the file's own.
    void Show(SharedBytes bytes, FileFormat format, ListKind kind, std::optional<LayerMask> layers);
    void SetLayers(std::optional<LayerMask> layers);

    // 0: the whole sheet; 1: what is drawn on the shown layers.
    void FitSheet();
    void FitContent();
    // Zooms about a point of the view; pans by a distance in view pixels.
    void ZoomAt(const QPointF& at, double factor);
    void PanBy(const QPointF& by);

    QRectF Frame() const { return frame_; }
    // True when the frame holds what is drawn rather than the sheet.
    bool ContentShown() const { return content_; }
    // The job that draws what the view shows now, at ratio device pixels per view pixel.
    ViewJob CurrentJob(double ratio) const;
    // The last picture drawn (null before the first).
    const ViewPicture& Picture() const { return picture_; }
    // True while a picture is being drawn or waits to be.
    bool Drawing() const;

signals:
    // A picture of the current file was drawn.
    void Drawn();
    // The frame moved or the view's options changed.
    void FrameChanged();
    // PageDown (1) or PageUp (-1).
    void StepFile(int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Fit { None, Sheet, Content };
    // The frame changed: shown at once, drawn anew.
    void Changed();
    void StartNext();
    void Finished();
    double SheetProportion() const;

    SharedBytes bytes_;
    FileFormat format_ = FileFormat::Jww;
    ListKind kind_ = ListKind::Drawings;
    std::optional<LayerMask> layers_;
    bool content_ = false;
    Fit fit_ = Fit::Sheet;
    QRectF frame_;
    std::optional<QPointF> dragFrom_;

    ViewPicture picture_;
    std::optional<ViewJob> next_; // the view to draw when the worker is free
    QFutureWatcher<ViewPicture> worker_;
    bool busy_ = false; // a picture is being drawn, or drawn and not yet taken
};

} // namespace plavik
