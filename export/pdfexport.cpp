#include "export/pdfexport.h"

#include "export/exportstyle.h"
#include "export/vectorwalk.h"
#include "print/pdffile.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace plavik {

namespace {

constexpr double kStrokeWidth = 0.18; // millimetres
constexpr double kPointRadius = 0.25;
constexpr double kLargestPageMm = 5000;
// The drawing's primitives a page takes at most: about 64 MiB of PDF at the bytes each one costs.
constexpr std::int64_t kMostPrimitives = (std::int64_t{64} << 20) / 48;

class PdfSink : public VectorSink {
public:
    PdfSink(QPainter& painter, const Box& page, double dotsPerMm)
        : painter_(painter), page_(page), k_(dotsPerMm) {
        pen_ = QPen(Qt::black, kStrokeWidth * k_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    }

    void Layer(int, int) override {}

    void Line(DPoint a, DPoint b, int lineType, int) override {
        if (!Finite(a) || !Finite(b))
            return;
        Stroke(lineType);
        painter_.drawLine(At(a), At(b));
    }

    void Arc(const EllipseArc& arc, int lineType, int) override {
        QPainterPath path;
        const std::vector<DPoint> points = ArcChords(arc);
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (!Finite(points[i]))
                return;
            i == 0 ? path.moveTo(At(points[i])) : path.lineTo(At(points[i]));
        }
        Stroke(lineType);
        painter_.drawPath(path);
        count_ += static_cast<std::int64_t>(points.size()) / 4;
    }

    void Point(DPoint p, int) override {
        if (!Finite(p))
            return;
        ++count_;
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(Qt::black);
        painter_.drawEllipse(At(p), kPointRadius * k_, kPointRadius * k_);
    }

    void Text(const VectorText& t) override {
        const double pixels = t.height * k_;
        if (!(pixels >= 1 && pixels < 1e6))
            return;
        count_ += 2 + t.text.size() / 8;
        QFont font(t.font.isEmpty() ? QStringLiteral("IPAGothic") : t.font);
        font.setPixelSize(static_cast<int>(std::lround(pixels)));
        painter_.save();
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        if (!t.glyphs.empty()) {
            // Written top to bottom: each character upright at its own place.
            for (const VectorGlyph& g : t.glyphs) {
                font.setPixelSize(std::max(1, static_cast<int>(std::lround(g.height * k_))));
                painter_.setFont(font);
                painter_.save();
                painter_.translate(At(g.base));
                painter_.rotate(-t.angle);
                painter_.drawText(QPointF(0, 0), g.text);
                painter_.restore();
            }
            painter_.restore();
            return;
        }
        painter_.translate(At(t.base));
        painter_.rotate(-t.angle);
        // The string spans its base line, as jw_cad lays it out.
        const double natural = QFontMetricsF(font).horizontalAdvance(t.text);
        if (t.length > 0 && natural > 0)
            painter_.scale(std::clamp(t.length * k_ / natural, 0.01, 100.0), 1);
        painter_.drawText(QPointF(0, 0), t.text);
        painter_.restore();
    }

    void Fill(const std::vector<std::vector<DPoint>>& rings, COLORREF color) override {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const auto& ring : rings) {
            for (std::size_t i = 0; i < ring.size(); ++i) {
                if (!Finite(ring[i]))
                    return;
                i == 0 ? path.moveTo(At(ring[i])) : path.lineTo(At(ring[i]));
            }
            path.closeSubpath();
            count_ += static_cast<std::int64_t>(ring.size()) / 4;
        }
        const QColor c(static_cast<int>(color & 0xFF), static_cast<int>(color >> 8 & 0xFF),
                       static_cast<int>(color >> 16 & 0xFF));
        painter_.setPen(QPen(c, kStrokeWidth * k_));
        painter_.setBrush(c);
        painter_.drawPath(path);
    }

    bool Full() const override { return count_ > kMostPrimitives; }
    bool Cut() const { return Full(); }

private:
    static bool Finite(DPoint p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) < 1e9 && std::fabs(p.y) < 1e9; }
    QPointF At(DPoint p) const { return {(p.x - page_.minX) * k_, (page_.maxY - p.y) * k_}; }

    void Stroke(int lineType) {
        ++count_;
        if (lineType != lineType_) {
            lineType_ = lineType;
            const std::vector<double> pattern = LineTypePattern(lineType);
            if (pattern.empty()) {
                pen_.setStyle(Qt::SolidLine);
                pen_.setCapStyle(Qt::RoundCap);
            } else {
                // Qt measures dashes in pen widths.
                QList<qreal> dashes;
                for (const double mm : pattern)
                    dashes.append(std::max(mm / kStrokeWidth, 0.1));
                pen_.setDashPattern(dashes);
                pen_.setCapStyle(Qt::FlatCap);
            }
        }
        painter_.setPen(pen_);
        painter_.setBrush(Qt::NoBrush);
    }

    QPainter& painter_;
    Box page_;
    double k_;
    QPen pen_;
    int lineType_ = 1;
    std::int64_t count_ = 0;
};

} // namespace

PdfExport ExportPdf(EntityStream& stream, const std::filesystem::path& target) {
    PdfExport result;
    PdfFile file(target);
    if (!file.Open()) {
        result.writeError = file.Reason();
        return result;
    }
    const Box page = PageOf(stream);
    const double w = page.maxX - page.minX, h = page.maxY - page.minY;
    // PDF pages are at most 200 inches a side: a larger drawing is scaled down to fit.
    const double scale = std::min(1.0, kLargestPageMm / std::max(w, h));
    QPdfWriter& writer = file.Writer();
    writer.setCreator(QStringLiteral("Plavik"));
    writer.setPageSize(
        QPageSize(QSizeF(w * scale, h * scale), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(1200);
    {
        QPainter painter(&writer);
        PdfSink sink(painter, page, writer.resolution() / 25.4 * scale);
        WalkVectors(stream, sink);
        result.cut = sink.Cut();
        painter.end();
    }
    if (!file.Commit())
        result.writeError = file.Reason().isEmpty() ? file.Error() : file.Reason();
    return result;
}

} // namespace plavik
