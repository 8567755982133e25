#include "app/viewerwindow.h"

#include "app/drawingview.h"
#include "app/viewframe.h"
#include "platform/folderscan.h"
#include "platform/outputfile.h"
#include "platform/paintercanvas.h"
#include "platform/sjis.h"
#include "print/pdffile.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "settings/errorbox.h"

#include <QActionGroup>
#include <QBuffer>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace plavik {

namespace {

// The first view of a window whose bounds were never stored.
constexpr QSize kFirstSize(1000, 700);

// A file's bytes as they are now, as much as any renderer takes and one byte more, so that a larger
// file is refused as too large. Nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadBytes(const std::filesystem::path& path) {
    QFile file(PathText(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 most = static_cast<qint64>(kMaxFileBytes) + 1;
    // Straight into the bytes kept, in one piece: a QByteArray grown by read() takes ten times as long.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::clamp<qint64>(file.size(), 0, most)));
    qint64 done = 0;
    while (done < static_cast<qint64>(bytes.size())) {
        const qint64 n =
            file.read(reinterpret_cast<char*>(bytes.data()) + done, static_cast<qint64>(bytes.size()) - done);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break; // shorter than it said: what is there
        done += n;
    }
    bytes.resize(static_cast<std::size_t>(done));
    return bytes;
}

QString Hex(std::size_t i) {
    return QString::number(static_cast<int>(i), 16).toUpper();
}

QString ScaleText(double denominator) {
    if (!(denominator > 0) || !std::isfinite(denominator))
        return {};
    const double shown = std::round((denominator >= 1 ? denominator : 1 / denominator) * 1000) / 1000;
    return denominator >= 1 ? QStringLiteral("1/%1").arg(shown) : QStringLiteral("%1/1").arg(shown);
}

} // namespace

ViewerWindow::ViewerWindow(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("ViewerWindow"));
    view_ = new DrawingView;
    view_->setObjectName(QStringLiteral("View1"));
    layerTree_ = new QTreeWidget;
    layerTree_->setObjectName(QStringLiteral("LayerTree1"));
    layerTree_->setHeaderLabel(QStringLiteral("レイヤ"));
    layerTree_->setFocusPolicy(Qt::NoFocus); // the keys stay with the drawing
    auto* splitter = new QSplitter;
    splitter->addWidget(view_);
    splitter->addWidget(layerTree_);
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({760, 240});
    setCentralWidget(splitter);
    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("Note1"));
    statusBar()->addWidget(note_, 1);
    scale_ = new QLabel;
    scale_->setObjectName(QStringLiteral("Scale1"));
    statusBar()->addPermanentWidget(scale_);

    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(QStringLiteral("印刷(&P)..."), QKeySequence::Print, this, &ViewerWindow::Print1Click)
        ->setObjectName(QStringLiteral("Print1"));
    file->addAction(QStringLiteral("画像として保存(&S)..."), QKeySequence::Save, this,
                    &ViewerWindow::SaveImage1Click)
        ->setObjectName(QStringLiteral("SaveImage1"));
    file->addAction(QStringLiteral("読み込み直す(&R)"), QKeySequence(Qt::Key_F5), this,
                    &ViewerWindow::Reload);
    file->addSeparator();
    file->addAction(QStringLiteral("閉じる(&C)"), QKeySequence::Close, this, &QWidget::close);
    // The keys of the view, named in the menu; the view itself takes them.
    QMenu* show = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    show->addAction(QStringLiteral("用紙全体\t0"), view_, &DrawingView::FitSheet);
    show->addAction(QStringLiteral("図面の範囲\t1"), view_, &DrawingView::FitContent);
    show->addAction(QStringLiteral("拡大\t+"), this,
                    [this] { view_->ZoomAt(QPointF(view_->width() / 2.0, view_->height() / 2.0), 1.25); });
    show->addAction(QStringLiteral("縮小\t-"), this,
                    [this] { view_->ZoomAt(QPointF(view_->width() / 2.0, view_->height() / 2.0), 0.8); });
    show->addSeparator();
    show->addAction(QStringLiteral("次のファイル\tPageDown"), this, [this] { StepFile(1); });
    show->addAction(QStringLiteral("前のファイル\tPageUp"), this, [this] { StepFile(-1); });

    connect(view_, &DrawingView::StepFile, this, &ViewerWindow::StepFile);
    connect(view_, &DrawingView::FrameChanged, this, &ViewerWindow::ShowScale);
    connect(view_, &DrawingView::Drawn, this, [this] {
        const ViewPicture& picture = view_->Picture();
        readNote_.clear();
        if (!picture.error.isEmpty())
            readNote_ = QStringLiteral("このファイルは読めません: %1").arg(picture.error);
        else if (!picture.drawn.complete)
            readNote_ = QString::fromUtf8(kBrokenOffMessage);
        ShowNote();
    });
    connect(layerTree_, &QTreeWidget::itemChanged, this, &ViewerWindow::LayerChanged);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &ViewerWindow::FileChanged);
    connect(&reader_, &QFutureWatcher<SharedBytes>::finished, this, &ViewerWindow::Loaded);
    resize(kFirstSize);
}

ViewerWindow::~ViewerWindow() {
    reader_.disconnect(this); // a read still running ends on its own
}

void ViewerWindow::Open(std::vector<ViewerFile> files, int current) {
    files_ = std::move(files);
    current_ = std::clamp(current, 0, std::max(0, static_cast<int>(files_.size()) - 1));
    if (files_.empty())
        return;
    Load();
}

void ViewerWindow::StepFile(int step) {
    const int next = current_ + step;
    if (next < 0 || next >= static_cast<int>(files_.size()))
        return;
    current_ = next;
    Load();
}

void ViewerWindow::Reload() {
    if (!files_.empty())
        Load();
}

void ViewerWindow::Load() {
    // Read beside the window: 64 MiB take a while to read and lay out in memory.
    const std::filesystem::path path = files_[static_cast<std::size_t>(current_)].path;
    reading_ = true;
    reader_.setFuture(QtConcurrent::run([path]() -> SharedBytes {
        std::optional<std::vector<std::uint8_t>> bytes = ReadBytes(path);
        return bytes ? std::make_shared<const std::vector<std::uint8_t>>(std::move(*bytes)) : nullptr;
    }));
}

void ViewerWindow::Loaded() {
    reading_ = false;
    const ViewerFile& shown = files_[static_cast<std::size_t>(current_)];
    SharedBytes bytes = reader_.result();
    if (!watcher_.files().isEmpty())
        watcher_.removePaths(watcher_.files());
    fileNote_.clear();
    readNote_.clear();
    if (!bytes) {
        // The file is gone or cannot be read: what was shown stays, if it was this file.
        fileNote_ = QStringLiteral("ファイルを読めません: %1").arg(PathText(shown.path));
        ShowNote();
        if (path_ == shown.path)
            return;
        bytes = std::make_shared<const std::vector<std::uint8_t>>();
    }
    path_ = shown.path;
    kind_ = shown.kind;
    bytes_ = std::move(bytes);
    const FileFormat* known = nullptr;
    if (const FormatRow* row = RowOfContent(*bytes_))
        known = &row->format;
    format_ = known ? *known : FormatOfFile(path_, kind_);
    layers_ = ReadDrawingLayers(format_, *bytes_);
    sheet_ = TrueScaleSheet(format_, *bytes_);
    watcher_.addPath(PathText(path_));
    setWindowTitle(QStringLiteral("%1 - Plavik").arg(PathText(path_.filename())));
    FillLayerTree();
    view_->Show(bytes_, format_, kind_, std::nullopt);
    ShowNote();
    emit Shown(path_);
}

bool ViewerWindow::Busy() const {
    return reading_ || view_->Drawing();
}

void ViewerWindow::FillLayerTree() {
    const QSignalBlocker quiet(layerTree_);
    layerTree_->clear();
    layerTree_->setVisible(layers_.has_value());
    if (!layers_)
        return;
    for (std::size_t g = 0; g < 16; ++g) {
        QString text = layers_->groupNames[g].empty()
                           ? QStringLiteral("グループ %1").arg(Hex(g))
                           : QStringLiteral("%1 %2").arg(Hex(g), DecodeSjis(layers_->groupNames[g]));
        if (const QString scale = ScaleText(layers_->scales[g]); !scale.isEmpty())
            text += QStringLiteral("  [%1]").arg(scale);
        auto* group = new QTreeWidgetItem(layerTree_, {text});
        group->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        group->setCheckState(0, layers_->groupShown[g] ? Qt::Checked : Qt::Unchecked);
        group->setData(0, Qt::UserRole, static_cast<int>(g * 16 + 16)); // 16 .. 256: a group
        for (std::size_t l = 0; l < 16; ++l) {
            const std::string& name = layers_->layerNames[g][l];
            auto* layer = new QTreeWidgetItem(
                group, {name.empty() ? QStringLiteral("レイヤ %1-%2").arg(Hex(g), Hex(l))
                                     : QStringLiteral("%1-%2 %3").arg(Hex(g), Hex(l), DecodeSjis(name))});
            layer->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            layer->setCheckState(
                0, LayerShown(layers_->layerShown, static_cast<unsigned>(g), static_cast<unsigned>(l))
                       ? Qt::Checked
                       : Qt::Unchecked);
            layer->setData(0, Qt::UserRole, static_cast<int>(g * 16 + l) - 1000); // below 0: a layer
        }
    }
}

void ViewerWindow::LayerChanged(QTreeWidgetItem* item) {
    if (!layers_)
        return;
    const int tag = item->data(0, Qt::UserRole).toInt();
    const bool on = item->checkState(0) == Qt::Checked;
    if (tag >= 16) {
        layers_->groupShown[static_cast<std::size_t>(tag / 16 - 1)] = on;
    } else {
        const int index = tag + 1000;
        std::uint16_t& bits = layers_->layerShown[static_cast<std::size_t>(index / 16)];
        const auto bit = static_cast<std::uint16_t>(1u << (index % 16));
        bits = static_cast<std::uint16_t>(on ? bits | bit : bits & ~bit);
    }
    view_->SetLayers(layers_->Shown());
}

void ViewerWindow::FileChanged() {
    std::error_code error;
    fileNote_ =
        std::filesystem::exists(path_, error)
            ? QStringLiteral(
                  "ファイルが変更されました。読み込んだときの内容を表示しています（F5で読み込み直します）。")
            : QStringLiteral("ファイルが削除されました。読み込んだときの内容を表示しています。");
    ShowNote();
}

QString ViewerWindow::Note() const {
    QStringList notes;
    if (!fileNote_.isEmpty())
        notes << fileNote_;
    if (!readNote_.isEmpty())
        notes << readNote_;
    return notes.join(QLatin1Char(' '));
}

void ViewerWindow::ShowNote() {
    note_->setText(Note());
}

void ViewerWindow::ShowScale() {
    // How large the sheet is shown against its true size on this screen.
    if (!sheet_ || view_->ContentShown()) {
        scale_->clear();
        return;
    }
    const double trueWidth = sheet_->width() / 25.4 * view_->logicalDpiX();
    scale_->setText(QStringLiteral("実寸の %1%").arg(qRound(view_->Frame().width() / trueWidth * 100)));
}

RenderOptions ViewerWindow::PrintOptions(const QPrinter& printer) const {
    RenderOptions options = view_->CurrentJob(1).options;
    options.flags = PrintFlags(kind_, view_->ContentShown(), printer.colorMode() == QPrinter::Color);
    return options;
}

std::optional<QString> ViewerWindow::PrintTo(QPrinter& printer, DrawingScale scale) {
    if (!bytes_)
        return std::nullopt;
    return PrintDrawing(printer, PathText(path_.filename()), format_, kind_, *bytes_, PrintOptions(printer),
                        scale);
}

void ViewerWindow::Print1Click() {
    if (!bytes_)
        return;
    auto* choice = new QWidget;
    choice->setWindowTitle(QStringLiteral("図面の大きさ"));
    auto* layout = new QVBoxLayout(choice);
    auto* trueScale = new QRadioButton(QStringLiteral("実寸で印刷する（用紙の1 mmを紙の1 mmに）"));
    auto* fitPage = new QRadioButton(QStringLiteral("用紙に合わせて印刷する"));
    trueScale->setObjectName(QStringLiteral("TrueScale1"));
    fitPage->setObjectName(QStringLiteral("FitPage1"));
    layout->addWidget(trueScale);
    layout->addWidget(fitPage);
    layout->addStretch();
    const bool known = TrueScaleSheet(format_, *bytes_).has_value();
    trueScale->setEnabled(known);
    if (!known)
        trueScale->setToolTip(
            QStringLiteral("この図面の用紙の大きさが分からないため、実寸では印刷できません。"));
    (known ? trueScale : fitPage)->setChecked(true);
    QPrintDialog dialog(&printer_, this);
    dialog.setOptionTabs({choice});
    if (dialog.exec() != QDialog::Accepted)
        return;
    const DrawingScale scale = trueScale->isChecked() ? DrawingScale::TrueScale : DrawingScale::FitPage;
    if (const std::optional<QString> failure = PrintTo(printer_, scale))
        ShowErrorBox(this, QStringLiteral("印刷できませんでした: %1").arg(*failure));
}

std::optional<QString> ViewerWindow::SaveView(const QString& target) {
    if (!bytes_)
        return QStringLiteral("保存する図面がありません");
    const std::filesystem::path path = PathFromText(target);
    const double ratio = devicePixelRatioF();
    if (!target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        const ViewPicture picture = RenderView(view_->CurrentJob(ratio));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.image.save(&buffer, "PNG"))
            return QStringLiteral("PNG画像を作れません");
        if (const std::optional<QString> why = WriteWholeFile(path, png))
            return QStringLiteral("%1 を書けません: %2").arg(target, *why);
        return std::nullopt;
    }
    // A page of the view's size at 96 pixels an inch, the strokes as vectors at the writer's resolution.
    constexpr int kPdfDpi = 1200;
    const ViewJob job = view_->CurrentJob(kPdfDpi / 96.0);
    PdfFile pdf(target);
    if (!pdf.Open())
        return pdf.Error();
    QPdfWriter& writer = pdf.Writer();
    writer.setResolution(kPdfDpi);
    writer.setPageSize(QPageSize(QSizeF(job.view.width() * 25.4 / 96, job.view.height() * 25.4 / 96),
                                 QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(PathText(path_.filename()));
    std::optional<QString> failure;
    {
        QPainter painter(&writer);
        if (!painter.isActive())
            return QStringLiteral("%1 を書けません").arg(target);
        painter.fillRect(QRectF(0, 0, writer.width(), writer.height()), QColor::fromRgb(kViewBackground));
        painter.setClipRect(QRectF(0, 0, writer.width(), writer.height()));
        PainterCanvas canvas(painter);
        try {
            DrawListedData(canvas, format_, *bytes_, DeviceFrame(job.frame, job.ratio), job.options);
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
    }
    if (failure)
        return failure;
    if (!pdf.Commit())
        return pdf.Error();
    return std::nullopt;
}

void ViewerWindow::SaveImage1Click() {
    if (!bytes_)
        return;
    const QString png = QStringLiteral("PNG画像 (*.png)"), pdf = QStringLiteral("PDF (*.pdf)");
    QString filter = png;
    const QString suggested = PathText(path_.parent_path() / path_.stem()) + QStringLiteral(".png");
    QString target = QFileDialog::getSaveFileName(this, QStringLiteral("画像として保存"), suggested,
                                                  png + QStringLiteral(";;") + pdf, &filter);
    if (target.isEmpty())
        return;
    const QString suffix = filter == pdf ? QStringLiteral(".pdf") : QStringLiteral(".png");
    if (!target.endsWith(suffix, Qt::CaseInsensitive))
        target += suffix;
    if (const std::optional<QString> failure = SaveView(target))
        ShowErrorBox(this, *failure);
}

void ViewerWindow::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        if (!storedBounds_.isEmpty())
            restoreGeometry(storedBounds_);
    }
    QMainWindow::showEvent(event);
}

void ViewerWindow::closeEvent(QCloseEvent* event) {
    emit Closed(saveGeometry());
    QMainWindow::closeEvent(event);
}

} // namespace plavik
