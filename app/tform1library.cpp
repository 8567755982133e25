// The main window's library side: the folder pane, starting on a path, drops, recent folders, the
// listed folder's title, the offer of the other kind, and listing again when the folder changes.
#include "app/foldertree.h"
#include "app/listing.h"
#include "app/tform1.h"
#include "platform/folderscan.h"
#include "settings/errorbox.h"
#include "ui_tform1.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeView>

#include <algorithm>

namespace plavik {

namespace {

// More listed files than this are not watched one by one: the folder's own changes still are.
constexpr int kMostWatchedFiles = 1000;
constexpr int kRelistDelayMs = 700;
// A resized quick view is drawn again once the splitter has rested this long.
constexpr int kQuickViewRedrawMs = 150;

QString KindName(ListKind kind) {
    const std::string_view name = KindFileName(kind);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

ListKind OtherKind(ListKind kind) {
    return kind == ListKind::Figures ? ListKind::Drawings : ListKind::Figures;
}

// The kind of list a file belongs in, by its content, else by its extension.
std::optional<ListKind> KindOfFile(const std::filesystem::path& file) {
    if (const FormatRow* row = RecogniseFile(file))
        return row->kind;
    return std::nullopt;
}

void ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, ApplicationTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

QTreeView* TForm1::FolderTree() const {
    return ui_->FolderTree1;
}

void TForm1::SetupLibrary() {
    folderModel_ = new FolderTreeModel(this);
    folderModel_->SetRoots(PathFromText(QDir::homePath()), library_.roots);
    QTreeView* tree = ui_->FolderTree1;
    tree->setModel(folderModel_);
    // The list takes what the window gains; the folder pane and the quick view keep their widths.
    QSplitter* splitter = ui_->Splitter1;
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setStretchFactor(2, 0);
    splitter->setCollapsible(2, false);
    splitter->setSizes({library_.treeWidth,
                        std::max(width() - library_.treeWidth - library_.quickViewWidth, 100),
                        library_.quickViewWidth});
    ui_->Panel2->installEventFilter(this);
    quickViewTimer_.setSingleShot(true);
    quickViewTimer_.setInterval(kQuickViewRedrawMs);
    connect(&quickViewTimer_, &QTimer::timeout, this, &TForm1::RedrawQuickView);
    connect(tree, &QTreeView::clicked, this, &TForm1::FolderTreeChosen);
    connect(tree, &QTreeView::activated, this, &TForm1::FolderTreeChosen);
    connect(tree, &QWidget::customContextMenuRequested, this, &TForm1::FolderTreeMenu);
    connect(folderModel_, &FolderTreeModel::Revealed, this, &TForm1::ShowInFolderTree);

    ui_->RecentMenu->menuAction()->setObjectName(QStringLiteral("Recent1"));
    connect(ui_->RecentMenu, &QMenu::aboutToShow, this, &TForm1::FillRecentMenu);
    connect(ui_->SwitchKind, &QAction::triggered, this, &TForm1::SwitchKindClick);
    connect(ui_->Reload1, &QAction::triggered, this, &TForm1::Reload1Click);
    ui_->ToolBar1->addSeparator();
    ui_->ToolBar1->addAction(ui_->SwitchKind);

    auto* copy = new QAction(QStringLiteral("パスをコピー"), ui_->ListView1);
    copy->setObjectName(QStringLiteral("Copy1"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &TForm1::CopyPaths);
    ui_->ListView1->addAction(copy);
    ui_->ListView1->setDragEnabled(true);
    ui_->ListView1->setDragDropMode(QAbstractItemView::DragOnly);
    setAcceptDrops(true);
    connect(ui_->ListView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TForm1::CurrentItemChanged);

    otherKindButton_ = new QPushButton(ui_->StatusBar1);
    otherKindButton_->setObjectName(QStringLiteral("OtherKindButton"));
    otherKindButton_->setFlat(true);
    otherKindButton_->hide();
    ui_->StatusBar1->addWidget(otherKindButton_);
    connect(otherKindButton_, &QPushButton::clicked, this, &TForm1::ListOtherKind);

    SetupSearch();

    relistTimer_.setSingleShot(true);
    relistTimer_.setInterval(kRelistDelayMs);
    connect(&relistTimer_, &QTimer::timeout, this, &TForm1::FolderChangedOnDisk);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { relistTimer_.start(); });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { relistTimer_.start(); });
}

void TForm1::OpenPath(const QString& text) {
    const QString absolute = QFileInfo(text).absoluteFilePath();
    const std::filesystem::path path = PathFromText(absolute);
    if (const std::optional<QString> why = PathProblem(path)) {
        ShowMessage(this, PathProblemText(absolute, *why));
        return;
    }
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        ListFolder(path, std::nullopt, true);
        return;
    }
    const std::optional<ListKind> kind = KindOfFile(path);
    if (!kind) {
        ShowMessage(this,
                    PathProblemText(absolute, QStringLiteral("jw_cadの図形・図面ファイルではありません。")));
        return;
    }
    ListFolder(path.parent_path(), *kind, true, path.filename().native(), true);
    // The file itself in the viewer, once it is in the quick view.
    if (quickViewFile_ && quickViewFile_->path.filename() == path.filename())
        OpenViewer();
}

void TForm1::ListLastFolder() {
    if (!library_.reopenLast || library_.lastFolder.isEmpty())
        return;
    const std::filesystem::path folder = PathFromText(library_.lastFolder);
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        ListFolder(folder, library_.lastKind, library_.lastTodays);
}

void TForm1::AfterListing(const FolderListing& listing, const NativeName& current) {
    UpdateTitle();
    model_->SetFolder(listedFolder_);
    if (!watcher_.files().isEmpty())
        watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    if (searchQuery_.isEmpty()) {
        const QString folderText = PathText(listedFolder_);
        library_.lastFolder = folderText;
        library_.lastKind = listKind_;
        library_.lastTodays = listTodays_;
        library_.recent = WithRecentFolder(library_.recent, folderText);
        const QSignalBlocker quiet(SearchEdit1); // a new folder is shown whole
        SearchEdit1->clear();
        watcher_.addPath(folderText);
        if (listing.items.size() <= static_cast<std::size_t>(kMostWatchedFiles)) {
            QStringList files; // rewritten in place, a file changes nothing in its folder
            for (const ListedFile& item : listing.items)
                files << PathText(listing.PathOf(item));
            if (!files.isEmpty())
                watcher_.addPaths(files);
        }
    }
    folderModel_->Reveal(listedFolder_);

    // The list takes the keys, its first item (or the one asked for) current. The quick view shows
    // only a file asked for; the first item waits for the user.
    QListView* view = ui_->ListView1;
    settingCurrent_ = true;
    view->setFocus();
    int row = 0;
    if (!current.empty())
        for (int r = 0; r < model_->Count(); ++r)
            if (model_->At(r).fileName == current) {
                row = r;
                break;
            }
    if (model_->Count() > 0) {
        // The file asked for is selected too; the first item only takes the keys.
        const QModelIndex index = model_->index(row);
        view->selectionModel()->setCurrentIndex(index, current.empty() ? QItemSelectionModel::NoUpdate
                                                                       : QItemSelectionModel::ClearAndSelect);
        view->scrollTo(index);
    }
    settingCurrent_ = false;
    OfferOtherKind(listing);
}

QString TForm1::ShownTitle() const {
    if (!searchQuery_.isEmpty())
        return QStringLiteral("検索「%1」").arg(searchQuery_);
    return ShownFolderTitle(listKind_, folderTitle_, listedFolder_);
}

void TForm1::UpdateTitle() {
    if (listedFolder_.empty()) {
        setWindowTitle(ApplicationTitle());
        return;
    }
    setWindowTitle(
        QStringLiteral("%1 — %2 — %3").arg(ShownTitle(), PathText(listedFolder_), ApplicationTitle()));
}

void TForm1::OfferOtherKind(const FolderListing& listing) {
    otherKind_.reset();
    otherKindButton_->hide();
    if (!listing.items.empty() && searchQuery_.isEmpty())
        return; // a search offers the other kind's found files beside its own
    if (!searchQuery_.isEmpty() && listing.otherKind == 0)
        return;
    std::size_t count = 0;
    if (listing.todaysLeftOut > 0) {
        otherKind_ = listKind_;
        count = listing.todaysLeftOut;
    } else if (listing.otherKind > 0) {
        otherKind_ = OtherKind(listKind_);
        count = listing.otherKind;
    } else {
        return;
    }
    otherKindButton_->setText(
        QStringLiteral("%1が %2 個あります。クリックで表示").arg(KindName(*otherKind_)).arg(count));
    otherKindButton_->show();
}

QString TForm1::OtherKindOffer() const {
    return otherKindButton_->isVisible() || otherKind_ ? otherKindButton_->text() : QString();
}

void TForm1::ListOtherKind() {
    if (otherKind_)
        ListSameAs(*otherKind_, true);
}

void TForm1::SwitchKindClick() {
    ListSameAs(OtherKind(listKind_), true);
}

void TForm1::ListSameAs(ListKind kind, bool todaysFormats) {
    if (listedFolder_.empty())
        return;
    if (searchQuery_.isEmpty())
        ListFolder(listedFolder_, kind, todaysFormats);
    else // the same found files, not searched for again
        ShowListing(
            listedFolder_, [this](ListingObserver&) { return found_; }, kind, todaysFormats, {}, false);
}

void TForm1::Reload1Click() {
    if (listedFolder_.empty())
        return;
    if (!searchQuery_.isEmpty()) {
        SearchLibrary(searchQuery_);
        return;
    }
    const QModelIndex current = ui_->ListView1->currentIndex();
    const NativeName name = current.isValid() && current.row() < model_->Count()
                                ? model_->At(current.row()).fileName
                                : NativeName();
    folderModel_->Refresh(listedFolder_);
    ListFolder(listedFolder_, listKind_, listTodays_, name);
}

void TForm1::FolderChangedOnDisk() {
    if (listing_ || printing_ || QApplication::activeModalWidget() || !isEnabled()) {
        relistTimer_.start(); // not now: a command is running
        return;
    }
    std::error_code error;
    if (listedFolder_.empty() || !std::filesystem::is_directory(listedFolder_, error))
        return; // gone: the list shows what it was
    Reload1Click();
}

void TForm1::CurrentItemChanged() {
    if (settingCurrent_ || listing_)
        return;
    const QModelIndex current = ui_->ListView1->currentIndex();
    if (current.isValid())
        QuickViewRow(current.row());
}

void TForm1::CopyPaths() {
    QModelIndexList selected = ui_->ListView1->selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    const QList<QUrl> urls = model_->FileUrls(selected);
    if (urls.isEmpty())
        return;
    QStringList paths;
    for (const QUrl& url : urls)
        paths << QDir::toNativeSeparators(url.toLocalFile());
    auto* data = new QMimeData;
    data->setUrls(urls);
    data->setText(paths.join(QLatin1Char('\n')));
    QGuiApplication::clipboard()->setMimeData(data);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (event->source() != ui_->ListView1 && data->hasUrls() && !data->urls().isEmpty() &&
        data->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString path = urls.first().toLocalFile();
    // The drop ends before the listing starts, so that the dragging program is not kept waiting.
    QTimer::singleShot(0, this, [this, path] { OpenPath(path); });
}

void TForm1::FolderTreeChosen(const QModelIndex& index) {
    const std::filesystem::path folder = folderModel_->PathOf(index);
    if (revealing_ || folder.empty() || (folder == listedFolder_ && !listing_))
        return;
    ListFolder(folder, std::nullopt, true);
}

void TForm1::ShowInFolderTree(const QModelIndex& index) {
    if (!index.isValid())
        return;
    revealing_ = true;
    QTreeView* tree = ui_->FolderTree1;
    tree->setCurrentIndex(index);
    tree->scrollTo(index);
    tree->expand(index);
    revealing_ = false;
}

void TForm1::FolderTreeMenu(const QPoint& pos) {
    QTreeView* tree = ui_->FolderTree1;
    const QModelIndex index = tree->indexAt(pos);
    if (!index.isValid())
        return;
    QMenu menu(this);
    const std::filesystem::path folder = folderModel_->PathOf(index);
    if (folderModel_->IsLibraryRoot(index)) {
        menu.addAction(QStringLiteral("ライブラリから外す"), this, [this, index] {
            folderModel_->RemoveLibraryRoot(index);
            library_.roots = folderModel_->LibraryRoots();
            if (!listedFolder_.empty())
                folderModel_->Reveal(listedFolder_);
        });
    } else {
        menu.addAction(QStringLiteral("ライブラリに追加"), this, [this, folder] {
            folderModel_->AddLibraryRoot(folder);
            library_.roots = folderModel_->LibraryRoots();
            if (!listedFolder_.empty())
                folderModel_->Reveal(listedFolder_);
        });
    }
    menu.exec(tree->viewport()->mapToGlobal(pos));
}

void TForm1::FillRecentMenu() {
    QMenu* menu = ui_->RecentMenu;
    menu->clear();
    if (library_.recent.isEmpty()) {
        menu->addAction(QStringLiteral("(なし)"))->setEnabled(false);
        return;
    }
    int n = 0;
    for (const QString& folder : library_.recent) {
        const QString text = QStringLiteral("&%1 %2").arg(++n % 10).arg(QString(folder).replace('&', "&&"));
        menu->addAction(text, this, [this, folder] { OpenPath(folder); });
    }
}

} // namespace plavik
