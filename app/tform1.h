// The main window: the thumbnail list, the quick-view panel, the tool bar, the status bar and the menus.
#pragma once

#include "app/imagelist.h"
#include "app/thumbnailmodel.h"
#include "platform/settingsstore.h"
#include "print/printout.h"
#include "render/listfile.h"
#include "settings/registry.h"

#include <QImage>
#include <QMainWindow>
#include <QPrinter>

#include <array>
#include <filesystem>
#include <memory>

class QLabel;
class QListView;
class QMenu;
class QToolButton;
class QAction;

namespace plavik {

namespace Ui {
class TForm1;
}

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
    void ResetView(int imageHeight, QSize thumbnailSize);
    void ListAgain();
    void ListFolder(ListKind kind, const QString& folder, bool todaysFormats);
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
    QPrinter printer_{QPrinter::HighResolution};
    std::array<QLabel*, 3> panels_{};
    QMenu* PopupMenu1 = nullptr;
    QAction* Delete1 = nullptr;
    WindowGeometry loadedGeometry_;
    QRect storedBounds_;      // the outer bounds the window starts with, on a screen
    QSize pendingClientSize_; // the client size set before the frame was known
    bool frameFitPending_ = false;
    bool seenAtClientSize_ = false; // the window has been normal at that size
    PrintResult lastPrint_;
    QString openFolder_; // where the open dialog starts: the folder picked last
    QString openFilter_; // and the filter it starts on: the one used last
    Palette jwkColors_ = kDefaultJwkColors;
    std::filesystem::path listedFolder_;
    ListKind listKind_ = ListKind::Figures;
    bool listTodays_ = false;      // the list takes .jws or .jww files too
    bool printing_ = false;        // a printout is running
    bool closeAfterPrint_ = false; // the window was closed during the printout
    QString folderTitle_;          // the listed folder's title, for the print job
    bool shown_ = false;
};

} // namespace plavik
