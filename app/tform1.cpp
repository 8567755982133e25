#include "app/tform1.h"
#include "app/viewerwindow.h"

#include "app/captiondelegate.h"
#include "app/folderdialog.h"
#include "app/foldertree.h"
#include "app/icons.h"
#include "app/listing.h"
#include "app/listkind.h"
#include "app/quickview.h"
#include "listing/folderlisting.h"
#include "platform/filetexts.h"
#include "platform/folderscan.h"
#include "platform/rastercanvas.h"
#include "print/printersetup.h"
#include "print/printout.h"
#include "settings/errorbox.h"
#include "settings/options.h"
#include "settings/tform2.h"
#include "settings/windowbounds.h"
#include "ui_tform1.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <exception>
#include <utility>

namespace plavik {

namespace {

constexpr int kStatusPanelWidth = 75;

// A message box with the application's title, no icon and one OK button.
void ShowPlainMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

// Asks whether to list the folder again after the settings changed; Enter means yes, Escape no.
bool AskListAgain(QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(),
                    QStringLiteral("設定が変わりました。\n読み込み直しますか？"), QMessageBox::NoButton,
                    parent);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QString ErrorText(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

} // namespace

TForm1::TForm1(std::unique_ptr<SettingsStore> store, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::TForm1>()), store_(std::move(store)) {
    ui_->setupUi(this);
    // The form's label in its own form, with the one version of the build.
    ui_->Label3->setText(QStringLiteral("Ver. " PLAVIK_VERSION));
    model_ = new ThumbnailModel(images_, this);
    ui_->ListView1->setModel(model_);
    ui_->ListView1->setItemDelegate(new CaptionDelegate(ui_->ListView1));
    SetupToolBar();
    SetupStatusBar();
    SetupPopupMenu();
    ConnectCommands();
    FormCreate();
    SetupLibrary();
}

TForm1::~TForm1() = default;

QListView* TForm1::ListView() const {
    return ui_->ListView1;
}

void TForm1::SetupToolBar() {
    QToolBar* bar = ui_->ToolBar1;
    bar->setFixedHeight(40);
    bar->setContentsMargins(5, 2, 2, 2); // indent 5, border 2
    bar->toggleViewAction()->setVisible(false);
    struct Button {
        const char* name;
        QIcon icon;
        QString hint;
        void (TForm1::*command)();
    };
    const Button buttons[] = {
        {"ToolButton1", OpenIcon(), QStringLiteral("ﾌｧｲﾙを開く"), &TForm1::Open1Click},
        {"ToolButton2", PrintIcon(), QStringLiteral("印刷"), &TForm1::Print1Click},
        {"ToolButton4", {}, {}, nullptr},
        {"ToolButton3", DeleteIcon(), QStringLiteral(" リストから削除"), &TForm1::Delete1Click},
    };
    for (const Button& b : buttons) {
        if (!b.command) {
            auto* gap = new QWidget(bar); // the 8-pixel separator between print and delete
            gap->setObjectName(QLatin1String(b.name));
            gap->setFixedSize(8, 30);
            bar->addWidget(gap);
            continue;
        }
        auto* button = new QToolButton(bar);
        button->setObjectName(QLatin1String(b.name));
        button->setIcon(b.icon);
        button->setIconSize(QSize(20, 20));
        button->setFixedSize(30, 30);
        button->setAutoRaise(true);
        button->setToolTip(b.hint);
        connect(button, &QToolButton::clicked, this, b.command);
        bar->addWidget(button);
    }
}

void TForm1::SetupStatusBar() {
    QStatusBar* bar = ui_->StatusBar1;
    bar->setFixedHeight(19);
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 2)
            label->setFixedWidth(kStatusPanelWidth);
        else // a long path is cut at the window's edge instead of widening the window
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        bar->addWidget(label, i < 2 ? 0 : 1); // the last panel runs to the right edge
        panels_[static_cast<std::size_t>(i)] = label;
    }
}

void TForm1::SetupPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Delete1 = PopupMenu1->addAction(QStringLiteral("リストから削除"));
    Delete1->setObjectName(QStringLiteral("Delete1"));
    connect(Delete1, &QAction::triggered, this, &TForm1::Delete1Click);
    Export1 = PopupMenu1->addAction(QStringLiteral("エクスポート…"));
    Export1->setObjectName(QStringLiteral("Export1"));
    connect(Export1, &QAction::triggered, this, &TForm1::Export1Click);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm1::UnEnable);
    connect(ui_->ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(ui_->ListView1->viewport()->mapToGlobal(pos)); });
}

void TForm1::ConnectCommands() {
    // The designer's separators get their design names too.
    const std::pair<QMenu*, const char*> separators[] = {{ui_->File1, "N1"}, {ui_->N2, "N5"}};
    for (const auto& [menu, name] : separators)
        for (QAction* action : menu->actions())
            if (action->isSeparator())
                action->setObjectName(QLatin1String(name));

    connect(ui_->Open1, &QAction::triggered, this, &TForm1::Open1Click);
    connect(ui_->Print1, &QAction::triggered, this, &TForm1::Print1Click);
    connect(ui_->S1, &QAction::triggered, this, &TForm1::S1Click);
    connect(ui_->Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    for (QAction* item : {ui_->PrintSetup1, ui_->N7, ui_->N3, ui_->N4, ui_->N6})
        connect(item, &QAction::triggered, this, [this, item] { ShowSetup(item->property("Tag").toInt()); });
    connect(ui_->VToolBar, &QAction::triggered, this, &TForm1::VToolBarClick);
    connect(ui_->VStatusBar, &QAction::triggered, this, &TForm1::VStatusBarClick);
    connect(ui_->VQuickView, &QAction::triggered, this, &TForm1::VQuickViewClick);

    ui_->ListView1->installEventFilter(this);
    ui_->Image1->installEventFilter(this); // a double click opens the viewer
    connect(ui_->ListView1, &QAbstractItemView::activated, this, &TForm1::ListView1DblClick);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TForm1::ListView1Change);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &TForm1::ListView1Change);
    connect(model_, &QAbstractItemModel::modelReset, this, &TForm1::ListView1Change);
    connect(model_, &QAbstractItemModel::dataChanged, this, &TForm1::ListView1Change);
}

// --- Status panels and the quick-view picture

QString TForm1::Panel(int i) const {
    if (i < 0 || i > 2)
        return {};
    return panelTexts_[static_cast<std::size_t>(i)];
}

void TForm1::SetPanel(int i, const QString& text) {
    if (i < 0 || i > 2)
        return;
    panelTexts_[static_cast<std::size_t>(i)] = text;
    QLabel* panel = panels_[static_cast<std::size_t>(i)];
    if (i == 0) { // a long title ends in "…" and shows whole in the tooltip
        const int room = panel->contentsRect().width() - 2 * panel->margin() - 4;
        const QString shown = panel->fontMetrics().elidedText(text, Qt::ElideRight, std::max(room, 8));
        panel->setText(shown);
        panel->setToolTip(shown == text ? QString() : text);
        return;
    }
    panel->setText(text);
    if (i == 1) // the count panel widens for a count that does not fit
        panel->setFixedWidth(std::max(kStatusPanelWidth, panel->sizeHint().width()));
    else if (i == 2)
        panel->setToolTip(text);
}

// --- Life cycle

void TForm1::FormCreate() {
    Read_Registry();
    Init1();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::FormShow() {
    FitFrameToStoredBounds();
    SetJwkColors(settings_.Colors);
}

bool TForm1::event(QEvent* event) {
    const bool done = QMainWindow::event(event);
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
        event->type() == QEvent::WindowStateChange)
        FitFrameToStoredBounds();
    return done;
}

void TForm1::FitFrameToStoredBounds() {
    // A window manager adds its frame after the window is shown, and tells its size later still.
    // Until then the stored outer size stands as the client size; the first time the window is normal
    // and its frame known (a maximised start: when it is first restored) the client is shrunk by the
    // frame and the frame put at the stored place. A size changed meanwhile (by the user) ends the wait.
    if (!frameFitPending_ || !shown_ || windowState() != Qt::WindowNoState)
        return;
    if (size() != pendingClientSize_) {
        if (seenAtClientSize_)
            frameFitPending_ = false; // resized since
        return;                       // or still on its way back from maximised
    }
    seenAtClientSize_ = true;
    const QSize frame = frameGeometry().size() - size();
    if (frame.isNull())
        return; // not known yet, or no frame at all
    frameFitPending_ = false;
    resize(storedBounds_.size() - frame);
    move(storedBounds_.topLeft());
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (printing_) {
        // Closing stops the printout as its progress window's button does; the window closes when the
        // printout has ended.
        CancelPrint = true;
        closeAfterPrint_ = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept(); // the program ends even when the settings could not be saved
}

void TForm1::FormClose() {
    try {
        Write_Registry();
    } catch (const std::exception& error) {
        ShowErrorBox(this, ErrorText(error));
    }
}

void TForm1::Read_Registry() {
    LoadResult loaded;
    try {
        loaded = LoadSettings(*store_);
    } catch (const std::exception& error) {
        loaded.error = ErrorText(error);
    }
    settings_ = loaded.state.settings;
    font_ = loaded.state.font;
    library_ = LoadLibraryState(*store_);
    ui_->ReopenLast->setChecked(library_.reopenLast);
    loadedGeometry_ = loaded.state.geometry;
    const WindowGeometry& g = loadedGeometry_;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    if (loaded.boundsStored || screens.isEmpty())
        storedBounds_ = BoundsOnScreens(g, screens);
    else // a first start: centred on the primary screen, large enough to work in
        storedBounds_ = FirstStartBounds(FirstStartSize(), screens.first());
    // The stored bounds are the outer ones; the frame is added when the window manager tells it.
    const QSize frame = frameGeometry().size() - size();
    resize(storedBounds_.size() - frame);
    move(storedBounds_.topLeft());
    pendingClientSize_ = size();
    frameFitPending_ = true;
    // A load stopped by a bad value still applies what it has (defaults for the rest), so the views
    // never come up hidden while their menu items say they are shown.
    ApplyViewFlags();
    if (g.Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (loaded.error)
        ShowErrorBox(this, *loaded.error);
}

void TForm1::ApplyViewFlags() {
    ui_->VStatusBar->setChecked(settings_.ViewStatusBar);
    ui_->StatusBar1->setVisible(settings_.ViewStatusBar);
    ui_->VToolBar->setChecked(settings_.ViewToolBar);
    ui_->ToolBar1->setVisible(settings_.ViewToolBar);
    ui_->VQuickView->setChecked(settings_.ViewQuickView);
    ui_->Panel2->setVisible(settings_.ViewQuickView);
}

void TForm1::Write_Registry() {
    StoredState state{settings_, font_, {}};
    const QRect bounds = frameGeometry();
    state.geometry = {bounds.height(), bounds.width(), bounds.x(), bounds.y(), isMaximized()};
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    library_.reopenLast = ui_->ReopenLast->isChecked();
    if (viewer_ && viewer_->isVisible())
        library_.viewerBounds = viewer_->saveGeometry();
    if (ui_->FolderTree1->isVisible())
        library_.treeWidth = ui_->Splitter1->sizes().value(0, library_.treeWidth);
    if (ui_->Panel2->isVisible())
        library_.quickViewWidth =
            std::max(ui_->Splitter1->sizes().value(2, library_.quickViewWidth), kLeastQuickViewPanel);
    SaveSettings(*store_, state, normal);
    SaveLibraryState(*store_, library_);
    store_->Flush();
}

// --- Commands

void TForm1::Exit1Click() {
    close();
}

void TForm1::VToolBarClick() {
    settings_.ViewToolBar = !settings_.ViewToolBar;
    ui_->ToolBar1->setVisible(settings_.ViewToolBar);
    ui_->VToolBar->setChecked(settings_.ViewToolBar);
}

void TForm1::VStatusBarClick() {
    settings_.ViewStatusBar = !settings_.ViewStatusBar;
    ui_->StatusBar1->setVisible(settings_.ViewStatusBar);
    ui_->VStatusBar->setChecked(settings_.ViewStatusBar);
}

void TForm1::VQuickViewClick() {
    settings_.ViewQuickView = !settings_.ViewQuickView;
    ui_->Panel2->setVisible(settings_.ViewQuickView);
    ui_->VQuickView->setChecked(settings_.ViewQuickView);
}

void TForm1::ListView1Change() {
    SetPanel(1, FileCountText(model_->Count()));
}

void TForm1::UnEnable() {
    Delete1->setEnabled(ui_->ListView1->selectionModel()->hasSelection());
    Export1->setEnabled(ui_->ListView1->selectionModel()->hasSelection());
    OpenFolder1->setVisible(!searchQuery_.isEmpty());
    OpenFolder1->setEnabled(ui_->ListView1->currentIndex().isValid());
}

void TForm1::Delete1Click() {
    QList<int> rows;
    for (const QModelIndex& index : ui_->ListView1->selectionModel()->selectedIndexes())
        rows.append(index.row());
    model_->RemoveRows(rows); // the thumbnails stay; the other items keep their image indexes
    SetPanel(1, FileCountText(model_->Count()));
    if (searchQuery_.isEmpty())
        FilterByName(SearchEdit1->text()); // the rows hidden by name moved up
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->Panel2 && event->type() == QEvent::Resize) {
        LayOutQuickView();
        quickViewTimer_.start(); // drawn again at the new size once the splitter rests
    }
    if (watched == ui_->ListView1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        Delete1Click();
        return true;
    }
    if (watched == ui_->ListView1 && event->type() == QEvent::KeyPress &&
        (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
         static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter)) {
        // Enter on a thumbnail shows it in the quick view and opens it in the viewer.
        if (const QModelIndex current = ui_->ListView1->currentIndex(); current.isValid()) {
            QuickViewRow(current.row());
            OpenViewer();
        }
        return true;
    }
    if (watched == ui_->Image1 && event->type() == QEvent::MouseButtonDblClick) {
        OpenViewer();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::Open1Click() {
    const std::vector<OpenFileType> types = OpenFileTypes();
    QStringList filters;
    for (const OpenFileType& type : types)
        filters << QString::fromStdString(type.label);
    FolderFileDialog dialog(QStringLiteral("フォルダ指定"), this);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    if (!library_.openFolder.isEmpty())
        dialog.setDirectory(library_.openFolder);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.contains(library_.openFilter) ? library_.openFilter : filters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString folder = WithTrailingSeparator(QFileInfo(dialog.selectedFiles().first()).absolutePath());
    library_.openFolder = folder;
    library_.openFilter = dialog.selectedNameFilter();
    const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
    if (chosen < 0)
        return;
    const OpenFileType& type = types[static_cast<std::size_t>(chosen)];
    if (type.kind == ListKind::Figures)
        FileListing(folder, type.todaysFormats);
    else
        FileListing2(folder, type.todaysFormats);
}

void TForm1::S1Click() {
    RunPrinterSetup(printer_, this);
}

void TForm1::Print1Click() {
    if (model_->Count() == 0) {
        ShowPlainMessage(this, QStringLiteral("印刷するデータがありません。"));
        return;
    }
    // A PDF is named after the list: the print dialog offers the document's name, its last suffix
    // dropped, and keeps the folder of a PDF printed before.
    const QString pdfName = PdfFileName(ShownTitle());
    printer_.setDocName(pdfName);
    if (printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty())
        printer_.setOutputFileName(QFileInfo(printer_.outputFileName()).dir().filePath(pdfName));
    QPrintDialog dialog(&printer_, this);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (listKind_ == ListKind::Figures)
        PrintOut1();
    else
        PrintOut2();
}

void TForm1::PrintOut1() {
    PrintOut(ListKind::Figures);
}

void TForm1::PrintOut2() {
    PrintOut(ListKind::Drawings);
}

void TForm1::PrintOut(ListKind kind) {
    PrintRequest request;
    request.kind = kind;
    for (int row = 0; row < model_->Count(); ++row) {
        if (ui_->ListView1->isRowHidden(row))
            continue; // filtered out by name
        const ListItem& item = model_->At(row);
        request.items.push_back(
            {item.caption, item.fileName.empty() ? std::filesystem::path() : listedFolder_ / item.fileName});
    }
    request.folderName = folderTitle_;
    request.headerTitle = ShownTitle();
    request.headerPath = PathText(listedFolder_);
    request.settings = settings_;
    request.font = font_;
    request.grayscale = printer_.colorMode() == QPrinter::GrayScale;
    printing_ = true;
    lastPrint_ = PrintList(printer_, request, this, CancelPrint);
    printing_ = false;
    if (std::exchange(closeAfterPrint_, false))
        close();
}

void TForm1::ShowSetup(int tag) {
    int result = QDialog::Rejected;
    {
        TForm2 dialog(settings_, font_, this);
        dialog.SelectPageByTag(tag);
        result = dialog.exec();
    }
    SetJwkColors(settings_.Colors); // whatever the answer, the figure palette follows the record
    if (result != QDialog::Accepted || model_->Count() == 0)
        return;
    if (AskListAgain(this))
        ListAgain();
    else
        ShowPlainMessage(
            this, QStringLiteral("印刷には設定内容を使用しますので\n画面の表示と違う場合があります。"));
}

void TForm1::ListAgain() {
    ListSameAs(listKind_, listTodays_); // nothing when no folder was listed to the end
}

// --- Listing

void TForm1::ResetView(ListKind kind, QSize thumbnailSize) {
    model_->Clear();
    // Pictures are drawn in the screen's own pixels, so that they stay sharp on a dense screen.
    const qreal ratio = devicePixelRatioF();
    quickViewKind_ = kind;
    quickViewFile_.reset();
    quickViewTimer_.stop();
    LayOutQuickView();
    NewQuickViewPicture();
    ui_->Label2->clear();
    ui_->Label5->clear();
    ui_->Label7->clear();
    ShowFacts(FileFormat::Jwk, {});
    for (int i = 0; i < 3; ++i)
        SetPanel(i, QString());
    images_.Reset(thumbnailSize * ratio);
    images_.SetDevicePixelRatio(ratio);
    const QSize grid = GridSize(thumbnailSize);
    model_->SetCellSize(grid - QSize(4, 4));
    ui_->ListView1->setIconSize(thumbnailSize.expandedTo(QSize(1, 1)));
    ui_->ListView1->setGridSize(grid);
}

QSize TForm1::GridSize(QSize thumbnailSize) const {
    // Every cell holds the thumbnail and two lines of its caption, wrapped, and is wide enough for the
    // usual file names on one line, as a list of large icons shows them.
    const QSize icon = thumbnailSize.expandedTo(QSize(1, 1));
    const QSize cell(std::max(icon.width() + 24, 96),
                     icon.height() + 2 * ui_->ListView1->fontMetrics().height() + 8);
    return cell + QSize(4, 4);
}

QSize TForm1::FirstStartSize() const {
    constexpr int kRows = 4;
    constexpr int kColumns = 5;
    // Room for a window manager's frame: the stored bounds are the outer ones.
    const QSize frameAllowance(16, 40);
    const QSize grid = GridSize(ThumbnailSize(ListKind::Figures, settings_.IconSize))
                           .expandedTo(GridSize(ThumbnailSize(ListKind::Drawings, settings_.IconSize2)));
    const QListView* list = ui_->ListView1;
    const int listFrame = 2 * list->frameWidth();
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    int width = kColumns * grid.width() + listFrame + scrollBar + 2 * ui_->Splitter1->handleWidth() +
                library_.treeWidth + library_.quickViewWidth;
    // The quick view's picture of the taller kind, its facts without scrolling and the version label.
    const int quickView =
        QuickViewPictureSize(ListKind::Figures, QSize(library_.quickViewWidth, 0)).height() +
        QuickViewReserve();
    int height = std::max(kRows * grid.height() + listFrame, quickView) + menuBar()->sizeHint().height() +
                 ui_->ToolBar1->height() + ui_->StatusBar1->height();
    return QSize(width, height) + frameAllowance;
}

void TForm1::Init1() {
    ResetView(ListKind::Figures, ThumbnailSize(ListKind::Figures, settings_.IconSize));
}

void TForm1::Init2() {
    ResetView(ListKind::Drawings, ThumbnailSize(ListKind::Drawings, settings_.IconSize2));
}

void TForm1::FileListing(const QString& folder, bool todaysFormats) {
    ListFolder(PathFromText(folder), ListKind::Figures, todaysFormats);
}

void TForm1::FileListing2(const QString& folder, bool todaysFormats) {
    ListFolder(PathFromText(folder), ListKind::Drawings, todaysFormats);
}

// The window's part in a listing: it shows the items as soon as every file is checked, draws the
// visible thumbnails first and keeps the window painted meanwhile.
class WindowListing : public ListingObserver {
public:
    explicit WindowListing(TForm1& form) : form_(form) {}

    void Pump() override { QCoreApplication::processEvents(); }

    std::size_t Listed(FolderListing& listing) override {
        if (!form_.searchQuery_.isEmpty()) // found files: the search names the list
            listing.title = QStringLiteral("検索「%1」").arg(form_.searchQuery_);
        form_.SetPanel(0, listing.title);
        std::vector<ListItem> items;
        items.reserve(listing.items.size());
        for (std::size_t i = 0; i < listing.items.size(); ++i) {
            const auto note = form_.foundTitles_.find(listing.items[i].fileName);
            items.push_back({listing.items[i].name, static_cast<int>(i), listing.items[i].fileName,
                             note == form_.foundTitles_.end() ? QString() : note->second});
        }
        form_.images_.Reset(form_.images_.Size(), static_cast<int>(items.size()));
        form_.model_->SetItems(std::move(items));
        done_.assign(listing.items.size(), false);
        visible_ = std::min(VisibleCells(), listing.items.size());
        if (visible_ == 0)
            ShowFirstScreen();
        return visible_;
    }

    void Drawn(FolderListing& listing, const std::vector<std::size_t>& items) override {
        bool shown = false; // one of them is in the cells the list shows
        for (const std::size_t i : items) {
            form_.images_.Set(static_cast<int>(i), std::move(listing.items[i].thumbnail));
            done_[i] = true;
            shown = shown || i < visible_;
        }
        drawnCount_ += items.size();
        // Thumbnails below the first screen show when the list is scrolled to them: repainting the
        // list for each of their batches would only slow the listing down. Once more at the end,
        // should the window have grown meanwhile.
        if (shown || drawnCount_ == done_.size())
            form_.model_->ThumbnailsChanged();
        while (drawnFromTop_ < done_.size() && done_[drawnFromTop_])
            ++drawnFromTop_;
        if (!firstShown_ && drawnFromTop_ >= visible_)
            ShowFirstScreen();
    }

private:
    // The cells the list shows from its top: as many rows of the grid as the view is high, begun rows
    // included.
    std::size_t VisibleCells() const {
        const QListView* view = form_.ui_->ListView1;
        const QSize grid = view->gridSize().expandedTo(QSize(1, 1));
        const QSize area = view->viewport()->size();
        const int columns = std::max(area.width() / grid.width(), 1);
        const int rows = (area.height() + grid.height() - 1) / grid.height();
        return static_cast<std::size_t>(columns) * static_cast<std::size_t>(std::max(rows, 1));
    }

    void ShowFirstScreen() {
        firstShown_ = true;
        QCoreApplication::processEvents();
        emit form_.FirstScreenShown();
    }

    TForm1& form_;
    std::size_t visible_ = 0;
    std::vector<bool> done_;       // per item: its thumbnail is in the list
    std::size_t drawnFromTop_ = 0; // the items from the top whose thumbnails are all in
    std::size_t drawnCount_ = 0;   // the items whose thumbnails are in
    bool firstShown_ = false;
};

void TForm1::ListFolder(const std::filesystem::path& where, std::optional<ListKind> kind, bool todaysFormats,
                        const NativeName& current, bool showCurrent) {
    if (listing_ || printing_)
        return; // the window is busy; it takes no second listing
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(where, error).lexically_normal();
    if (folder.has_relative_path() && !folder.has_filename())
        folder = folder.parent_path(); // no trailing separator
    if (const std::optional<QString> why = PathProblem(folder)) {
        ShowPlainMessage(this, PathProblemText(PathText(folder), *why));
        return;
    }
    searchQuery_.clear();
    ShowListing(
        folder, [&folder](ListingObserver& observer) { return ScanListFolder(folder, &observer); }, kind,
        todaysFormats, current, showCurrent);
}

void TForm1::ShowListing(std::filesystem::path folder, const Scanner& scan, std::optional<ListKind> kind,
                         bool todaysFormats, const NativeName& current, bool showCurrent) {
    std::vector<ListingFailure> failures;
    FolderListing done;
    {
        BusyWindow busy(this);
        listing_ = true;
        const QString shown = WithTrailingSeparator(PathText(folder));
        // The view is emptied for the kind expected; a folder whose files are of the other kind
        // empties it again for theirs once they are found.
        const auto reset = [this](ListKind k) { k == ListKind::Figures ? Init1() : Init2(); };
        reset(kind.value_or(listKind_));
        listedFolder_.clear();
        otherKindButton_->hide();
        UpdateTitle();
        QCoreApplication::processEvents(); // the emptied window is painted before the folder is read

        WindowListing observer(*this);
        FolderScan files = scan(observer);
        const ListKind chosen = kind.value_or(KindOfFolder(files));
        if (chosen != kind.value_or(listKind_))
            reset(chosen);
        listKind_ = chosen;
        listTodays_ = todaysFormats;

        ListingOptions options = ListingOptionsFor(chosen, settings_);
        options.todaysFormats = todaysFormats;
        options.render.palette = jwkColors_;
        options.thumbnailSize = images_.Size();
        FolderListing listing = ListScanned(folder, std::move(files), options, &observer);
        listedFolder_ = listing.folder;
        folderTitle_ = listing.title;
        failures = std::move(listing.failures);
        SetPanel(2, shown);
        listing_ = false;
        done = std::move(listing);
    }
    AfterListing(done, current); // the window takes the focus again once enabled
    if (!failures.empty())
        ShowErrorBox(this, ListingErrorText(failures));
    if (showCurrent && ui_->ListView1->currentIndex().isValid())
        ListView1DblClick();
}

} // namespace plavik
