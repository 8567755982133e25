// The viewer: one file of the list drawn as vectors at any zoom, with its layers in a side panel, to
// print alone or save as a picture. It holds the file's bytes as last read, so that a file that
// changes or disappears meanwhile is still shown, with a note.
#pragma once

#include "app/viewrender.h"
#include "print/drawingprint.h"
#include "render/drawinglayers.h"
#include "render/formats.h"

#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QMainWindow>
#include <QPrinter>

#include <filesystem>
#include <optional>
#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace plavik {

class DrawingView;

struct ViewerFile {
    std::filesystem::path path;
    ListKind kind = ListKind::Drawings;
};

class ViewerWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ViewerWindow(QWidget* parent = nullptr);
    ~ViewerWindow() override;

    // Shows files[current] once it is read (beside the window); PageDown and PageUp step through files.
    void Open(std::vector<ViewerFile> files, int current);
    // Reads the shown file again.
    void Reload();
    // Shows the file step places on in the list, when there is one.
    void StepFile(int step);

    // The size and place to come up at (from saveGeometry), before the window is first shown.
    void SetStoredBounds(const QByteArray& bounds) { storedBounds_ = bounds; }

    DrawingView& View() { return *view_; }
    QTreeWidget& LayerTree() { return *layerTree_; }
    // What the status bar says of the file: changed, gone, damaged; empty when all is well.
    QString Note() const;
    const std::filesystem::path& ShownPath() const { return path_; }
    // True while the file is being read or its picture drawn.
    bool Busy() const;

    // Prints the drawing alone on printer; the failure's text, or nothing.
    std::optional<QString> PrintTo(QPrinter& printer, DrawingScale scale);
    // Saves the view as a PNG picture, or for a name ending in ".pdf" as a PDF of vector strokes; the
    // failure's text, or nothing.
    std::optional<QString> SaveView(const QString& target);

    // The commands of the menus.
    void Print1Click();
    void SaveImage1Click();

signals:
    // The window was closed; its bounds to store (saveGeometry).
    void Closed(const QByteArray& bounds);
    // A file was read and is shown.
    void Shown(const std::filesystem::path& path);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Load();
    void Loaded();
    void FillLayerTree();
    void LayerChanged(QTreeWidgetItem* item);
    void FileChanged();
    void ShowNote();
    void ShowScale();
    RenderOptions PrintOptions(const QPrinter& printer) const;

    DrawingView* view_;
    QTreeWidget* layerTree_;
    QLabel* note_;
    QLabel* scale_;
    QPrinter printer_{QPrinter::HighResolution};
    QFileSystemWatcher watcher_;
    QFutureWatcher<SharedBytes> reader_;
    bool reading_ = false; // a read is running, or done and not yet taken
    QByteArray storedBounds_;
    bool shownOnce_ = false;

    std::vector<ViewerFile> files_;
    int current_ = 0;
    std::filesystem::path path_;
    ListKind kind_ = ListKind::Drawings;
    FileFormat format_ = FileFormat::Jww;
    SharedBytes bytes_;
    std::optional<DrawingLayers> layers_;
    std::optional<QSizeF> sheet_; // millimetres, when known
    QString fileNote_;            // changed or gone since read
    QString readNote_;            // could not be read whole
};

} // namespace plavik
