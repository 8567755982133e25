// The main window: the thumbnail list, the quick-view panel, the tool bar, the status bar and the menus.
#pragma once

#include "app/imagelist.h"
#include "app/thumbnailmodel.h"
#include "listing/folderlisting.h"
#include "platform/settingsstore.h"
#include "print/printout.h"
#include "render/formats.h"
#include "settings/library.h"
#include "settings/registry.h"

#include <QFileSystemWatcher>
#include <QImage>
#include <QMainWindow>
#include <QPrinter>
#include <QTimer>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QToolButton;
class QAction;
class QPushButton;
class QSplitter;
class QTreeView;

namespace plavik {

namespace Ui {
class TForm1;
}
class FolderTreeModel;
class ViewerWindow;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Loads the settings from store (the user's own store by default) and applies them to the window.
    explicit TForm1(std::unique_ptr<SettingsStore> store = OpenUserStore(), QWidget* parent = nullptr);
    ~TForm1() override;

    // What the rest of the program reads and changes.
    TListSettings& Settings() { return settings_; }
    PrinterFont& Font() { return font_; }
    ThumbnailModel& Model() { return *model_; }
    ImageList& ImageList1() { return images_; }
    QPrinter& Printer() { return printer_; }
    QListView* ListView() const;
    // The figure colours of thumbnails and the quick view: the settings' colours, handed over when the
    // window is first shown and after the settings dialog. Redraws nothing.
    const Palette& JwkColors() const { return jwkColors_; }
    void SetJwkColors(const Palette& colors) { jwkColors_ = colors; }
    // What was listed last: the folder (empty until a listing ends) and the kind of list.
    const std::filesystem::path& ListedFolder() const { return listedFolder_; }
    ListKind ListedKind() const { return listKind_; }
    // The quick-view picture; call UpdateQuickView after drawing on it.
    QImage& QuickViewImage() { return quickView_; }
    void UpdateQuickView();

    // The library around the list: the folder pane, what is remembered between runs.
    FolderTreeModel& FolderModel() { return *folderModel_; }
    QTreeView* FolderTree() const;
    LibraryState& Library() { return library_; }
    // Lists a folder as the kind of its files with today's formats; for a file, its folder with the
    // file's kind, the file current and in the quick view. A path that is missing or cannot be read is
    // named in a message box with the reason, and the list stays as it was.
    void OpenPath(const QString& path);
    // At start: the folder listed last, when it is still there and the setting asks for it.
    void ListLastFolder();
    // Lists the folder with today's formats as the kind of its files (kind empty) or as kind; the item
    // of the file named current becomes current, shown in the quick view when showCurrent.
    void ListFolder(const std::filesystem::path& folder, std::optional<ListKind> kind, bool todaysFormats,
                    const NativeName& current = {}, bool showCurrent = false);
    // The commands around the list.
    void SwitchKindClick();
    void Reload1Click();
    void ListOtherKind();           // the status bar's offer when the list came out empty
    QString OtherKindOffer() const; // its text; empty when it is not shown
    void CopyPaths();               // the selected items' paths to the clipboard
    // Hides the items whose names do not hold every word typed.
    void FilterByName(const QString& text);
    // Lists the files of the library around the listed folder (the library folder that holds it, else
    // the folder and its subfolders) that hold every word of query.
    void SearchLibrary(const QString& query);
    // Lists the current found file's own folder with the file current.
    void OpenFolderOfItem();
    // The search whose found files the list holds; empty for a folder's list.
    const QString& SearchQuery() const { return searchQuery_; }

    // Status panel i (0, 1 or 2): 0 the folder's kind or name, 1 the file count, 2 the folder's path.
    QString Panel(int i) const;
    void SetPanel(int i, const QString& text);

    // Set by the print progress window to stop a printout.
    bool CancelPrint = false;

    // Commands, also run by the tests.
    void Open1Click();
    void Print1Click();
    void S1Click();
    void Exit1Click();
    void Delete1Click();
    void Export1Click(); // the selected files to DXF, SVG or PDF, into a folder the user picks
    void VToolBarClick();
    void VStatusBarClick();
    void VQuickViewClick();
    void UnEnable();
    // Runs the settings dialog on the page tag names, then offers to list the folder again.
    void ShowSetup(int tag);

    // Resets the view for a figure list (Init1) or a drawing list (Init2).
    void Init1();
    void Init2();
    // List a figure folder (FileListing) or a drawing folder (FileListing2); the folder may lack its
    // trailing separator.
    // With todaysFormats the list takes today's files too (.jws figures, .jww drawings).
    void FileListing(const QString& folder, bool todaysFormats = false);
    void FileListing2(const QString& folder, bool todaysFormats = false);
    // The quick view of the first selected item; a file gone since the listing does nothing.
    void ListView1DblClick();
    // Show a figure file (QView1) or a drawing file (QView2) with its caption, size and date.
    void QView1(const std::filesystem::path& path, const QString& caption);
    void QView2(const std::filesystem::path& path, const QString& caption);
    // Opens the viewer on the quick view's file, the list's files around it; nothing when none shows.
    void OpenViewer();
    // The viewer, once it was opened; null before.
    ViewerWindow* Viewer() const { return viewer_; }
    // Print the list as figures (PrintOut1) or as drawings (PrintOut2).
    void PrintOut1();
    void PrintOut2();
    // What the last printout did: sheets, files drawn, failures.
    const PrintResult& LastPrint() const { return lastPrint_; }

    void Read_Registry();
    // Saves every setting; throws StoreError when the store refuses a value.
    void Write_Registry();

signals:
    // A listing has put every item in the list and drawn the thumbnails that can be seen; the others
    // are still being drawn.
    void FirstScreenShown();

protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void FitFrameToStoredBounds();
    void ListView1Change();
    void SetupToolBar();
    void SetupStatusBar();
    void SetupPopupMenu();
    void ConnectCommands();
    void ApplyViewFlags();
    void ResetView(ListKind kind, QSize thumbnailSize);
    // The quick view: its picture's room in the panel, the panel's children placed for its size, a
    // new white picture of the size the panel gives, and the shown file drawn into it again.
    QSize QuickViewRoom() const;
    int QuickViewReserve() const; // the panel's height besides the picture
    void LayOutQuickView();
    void NewQuickViewPicture();
    void RedrawQuickView();
    // Draws the shown file into the picture; a file that cannot be read tells why in the error box
    // when tellFailure is true.
    void DrawQuickView(bool tellFailure);
    void ShowFacts(FileFormat format, const DrawnFile& drawn);
    // The list's grid for thumbnails of a size: the picture and two lines of caption, with spacing.
    QSize GridSize(QSize thumbnailSize) const;
    // The outer size of a first start: four rows and five columns of the larger kind's cells beside
    // the folder pane and the quick view, with the bars and a window frame.
    QSize FirstStartSize() const;
    void ListAgain();
    void SetupLibrary();
    void SetupSearch();
    // Lists the files a scan finds below folder (the folder's own, or the files a search found).
    using Scanner = std::function<FolderScan(ListingObserver&)>;
    void ShowListing(std::filesystem::path folder, const Scanner& scan, std::optional<ListKind> kind,
                     bool todaysFormats, const NativeName& current, bool showCurrent);
    // Lists the list's folder again as kind: the folder's files, or the files the search found there.
    void ListSameAs(ListKind kind, bool todaysFormats);
    void AfterListing(const FolderListing& listing, const NativeName& current);
    // What names the list: the folder's title, or the search that found it.
    QString ShownTitle() const;
    void UpdateTitle();
    void OfferOtherKind(const FolderListing& listing);
    void FolderTreeMenu(const QPoint& pos);
    void FolderTreeChosen(const QModelIndex& index);
    void ShowInFolderTree(const QModelIndex& index);
    void FillRecentMenu();
    void CurrentItemChanged();
    void QuickViewRow(int row);
    void FolderChangedOnDisk();
    void QuickView(ListKind kind, const std::filesystem::path& path, const QString& caption);
    void PrintOut(ListKind kind);
    friend class WindowListing;

    std::unique_ptr<Ui::TForm1> ui_;
    std::unique_ptr<SettingsStore> store_;
    TListSettings settings_;
    PrinterFont font_;
    ImageList images_;
    ThumbnailModel* model_ = nullptr;
    QImage quickView_;
    ListKind quickViewKind_ = ListKind::Figures; // the proportion of the picture
    struct QuickViewFile {
        ListKind kind;
        std::filesystem::path path;
    };
    std::optional<QuickViewFile> quickViewFile_; // what the picture shows, to draw again at a new size
    QTimer quickViewTimer_;                      // a resized panel is drawn again once it rests
    QPrinter printer_{QPrinter::HighResolution};
    std::array<QLabel*, 3> panels_{};
    std::array<QString, 3> panelTexts_; // panel 0 may show its text cut
    FolderTreeModel* folderModel_ = nullptr;
    QPushButton* otherKindButton_ = nullptr;
    std::optional<ListKind> otherKind_; // what the offer lists
    QFileSystemWatcher watcher_;        // the listed folder, to list it again when it changes
    QTimer relistTimer_;
    LibraryState library_;
    bool listing_ = false;        // a listing is running
    bool settingCurrent_ = false; // the program, not the user, moves the current item
    bool revealing_ = false;      // the program selects the listed folder in the pane
    QString searchQuery_;         // the list holds the files this search found below listedFolder_
    FolderScan found_;            // and these are they, to list them again as the other kind
    std::map<NativeName, QString> foundTitles_; // the titles of the found files' folders
    QMenu* PopupMenu1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* Export1 = nullptr;
    QAction* OpenFolder1 = nullptr;
    QLineEdit* SearchEdit1 = nullptr;
    WindowGeometry loadedGeometry_;
    QRect storedBounds_;      // the outer bounds the window starts with, on a screen
    QSize pendingClientSize_; // the client size set before the frame was known
    bool frameFitPending_ = false;
    bool seenAtClientSize_ = false; // the window has been normal at that size
    PrintResult lastPrint_;
    Palette jwkColors_ = kDefaultJwkColors;
    std::filesystem::path listedFolder_;
    ListKind listKind_ = ListKind::Figures;
    bool listTodays_ = false;      // the list takes .jws or .jww files too
    bool printing_ = false;        // a printout is running
    bool closeAfterPrint_ = false; // the window was closed during the printout
    QString folderTitle_;          // the listed folder's title, for the print job
    bool shown_ = false;
    ViewerWindow* viewer_ = nullptr; // a child window, made when first opened
};

} // namespace plavik
