// The main window's quick view: the picture of the current file, drawn at the panel's width in the
// screen's own pixels and again when the panel is resized, and the file's facts below it.
#include "app/listing.h"
#include "app/quickview.h"
#include "app/tform1.h"
#include "app/viewerwindow.h"
#include "platform/filetexts.h"
#include "platform/rastercanvas.h"
#include "settings/errorbox.h"
#include "settings/options.h"
#include "ui_tform1.h"

#include <QLabel>
#include <QListView>
#include <QScrollArea>

#include <algorithm>

namespace plavik {

namespace {

constexpr int kMargin = 4;   // the picture's left edge, and room on the right
constexpr int kTop = 8;      // above the picture
constexpr int kGap = 8;      // between the picture and the facts
constexpr int kFactRows = 6; // name, size and date with their titles: never scrolled at first

} // namespace

void TForm1::UpdateQuickView() {
    ui_->Image1->setPixmap(QPixmap::fromImage(quickView_));
}

int TForm1::QuickViewReserve() const {
    const int row = ui_->Label1->sizeHint().height() + ui_->FactsLayout->spacing();
    return kTop + kGap + kFactRows * row + kGap + ui_->Label3->height() + kMargin;
}

QSize TForm1::QuickViewRoom() const {
    const QWidget* panel = ui_->Panel2;
    return {panel->width() - 2 * kMargin - 2, panel->height() - QuickViewReserve()};
}

void TForm1::LayOutQuickView() {
    const QWidget* panel = ui_->Panel2;
    const int width = std::max(panel->width(), kLeastQuickViewPanel);
    const QSize picture = QuickViewPictureSize(quickViewKind_, QuickViewRoom());
    ui_->Bevel2->setGeometry(0, 0, width, 4);
    // The old picture stretches over the new size until it is drawn again.
    ui_->Image1->setGeometry(kMargin, kTop, picture.width(), picture.height());
    const int label3 = ui_->Label3->height();
    const int factsTop = kTop + picture.height() + kGap;
    const int bottom = std::max(panel->height(), factsTop + label3 + kMargin);
    ui_->FactsArea1->setGeometry(0, factsTop, width, bottom - factsTop - label3 - kMargin);
    ui_->Label3->setGeometry(2 * kMargin, bottom - label3 - kMargin, width - 2 * kMargin, label3);
}

void TForm1::NewQuickViewPicture() {
    const qreal ratio = devicePixelRatioF();
    const QSize size = QuickViewPictureSize(quickViewKind_, QuickViewRoom());
    quickView_ = QImage(size * ratio, QImage::Format_RGB32);
    quickView_.setDevicePixelRatio(ratio);
    quickView_.fill(Qt::white);
    UpdateQuickView();
}

void TForm1::RedrawQuickView() {
    const QSize size = QuickViewPictureSize(quickViewKind_, QuickViewRoom()) * devicePixelRatioF();
    if (size == quickView_.size())
        return;
    NewQuickViewPicture();
    if (quickViewFile_)
        DrawQuickView(false); // a failure was told when the file was first shown
}

void TForm1::ListView1DblClick() {
    const QModelIndexList selected = ui_->ListView1->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const auto first =
        std::min_element(selected.begin(), selected.end(),
                         [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QuickViewRow(first->row());
}

void TForm1::QuickViewRow(int row) {
    if (row < 0 || row >= model_->Count())
        return;
    const ListItem& item = model_->At(row);
    if (item.fileName.empty() || listedFolder_.empty())
        return; // not listed from a folder
    const std::filesystem::path path = listedFolder_ / item.fileName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return; // gone since the listing: the panel keeps what it shows
    if (listKind_ == ListKind::Figures)
        QView1(path, item.caption);
    else
        QView2(path, item.caption);
}

void TForm1::QView1(const std::filesystem::path& path, const QString& caption) {
    QuickView(ListKind::Figures, path, caption);
}

void TForm1::QView2(const std::filesystem::path& path, const QString& caption) {
    QuickView(ListKind::Drawings, path, caption);
}

void TForm1::QuickView(ListKind kind, const std::filesystem::path& path, const QString& caption) {
    const std::optional<FileFacts> facts = LookUpFile(path);
    if (!facts)
        return;
    ui_->Label2->setText(caption);
    ui_->Label5->setText(SizeInBytesText(facts->size));
    ui_->Label7->setText(FileDateText(facts->lastWrite));
    quickViewFile_ = QuickViewFile{kind, path};
    if (kind != quickViewKind_) { // a file of the other kind than the list's
        quickViewKind_ = kind;
        LayOutQuickView();
        NewQuickViewPicture();
    }
    DrawQuickView(true);
}

void TForm1::DrawQuickView(bool tellFailure) {
    if (!quickViewFile_)
        return;
    const auto& [kind, path] = *quickViewFile_;
    std::optional<QString> failure;
    const FileFormat format = FormatOfFile(path, kind);
    DrawnFile drawn;
    {
        WaitCursor wait;
        RasterCanvas canvas(quickView_);
        const TRect rect{0, 0, quickView_.width(), quickView_.height()};
        RenderOptions options = RenderOptionsFor(kind, settings_);
        options.palette = jwkColors_;
        try {
            DrawListedFile(canvas, format, path, rect, options, &drawn);
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
        UpdateQuickView(); // what was drawn, also when the drawing stopped half-way
    }
    ShowFacts(format, drawn);
    if (failure && tellFailure)
        ShowErrorBox(this, *failure);
}

void TForm1::OpenViewer() {
    if (!quickViewFile_)
        return;
    std::vector<ViewerFile> files;
    int current = 0;
    for (int row = 0; row < model_->Count(); ++row) {
        const ListItem& item = model_->At(row);
        if (item.fileName.empty() || listedFolder_.empty())
            continue;
        const std::filesystem::path path = listedFolder_ / item.fileName;
        if (path == quickViewFile_->path)
            current = static_cast<int>(files.size());
        files.push_back({path, listKind_});
    }
    if (files.empty() || files[static_cast<std::size_t>(current)].path != quickViewFile_->path) {
        files = {{quickViewFile_->path, quickViewFile_->kind}}; // not one of the list's
        current = 0;
    }
    if (!viewer_) {
        viewer_ = new ViewerWindow(this);
        viewer_->SetStoredBounds(library_.viewerBounds);
        connect(viewer_, &ViewerWindow::Closed, this,
                [this](const QByteArray& bounds) { library_.viewerBounds = bounds; });
        // The list and the quick view follow the file the viewer shows.
        connect(viewer_, &ViewerWindow::Shown, this, [this](const std::filesystem::path& path) {
            if (quickViewFile_ && quickViewFile_->path == path)
                return;
            for (int row = 0; row < model_->Count(); ++row)
                if (!listedFolder_.empty() && listedFolder_ / model_->At(row).fileName == path) {
                    ui_->ListView1->selectionModel()->setCurrentIndex(model_->index(row),
                                                                      QItemSelectionModel::ClearAndSelect);
                    break;
                }
        });
    }
    viewer_->Open(std::move(files), current);
    viewer_->show();
    viewer_->raise();
    viewer_->activateWindow();
}

void TForm1::ShowFacts(FileFormat format, const DrawnFile& drawn) {
    const QuickViewFacts facts = FactsOf(format, drawn);
    const std::pair<QLabel*, QLabel*> rows[] = {
        {ui_->MemoTitle1, ui_->Memo1}, {ui_->PaperTitle1, ui_->Paper1}, {ui_->ScaleTitle1, ui_->Scale1}};
    const QString texts[] = {facts.note, facts.paper, facts.scales};
    ui_->MemoTitle1->setText(facts.noteTitle);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        rows[i].second->setText(texts[i]);
        rows[i].first->setVisible(!texts[i].isEmpty());
        rows[i].second->setVisible(!texts[i].isEmpty());
    }
}

} // namespace plavik
