// The main window's export: the selected files to DXF, SVG or PDF, into a folder the user picks.
#include "app/exportdialog.h"
#include "app/listing.h"
#include "app/tform1.h"
#include "app/thumbnailmodel.h"
#include "export/exportfile.h"
#include "platform/folderscan.h"
#include "settings/errorbox.h"
#include "ui_tform1.h"

#include <QListView>
#include <QMessageBox>

#include <algorithm>

namespace plavik {

void TForm1::Export1Click() {
    QModelIndexList selected = ui_->ListView1->selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    const std::vector<std::filesystem::path> files = model_->FilePaths(selected);
    if (files.empty())
        return;
    ExportDialog dialog(this, PathText(listedFolder_));
    if (dialog.exec() != QDialog::Accepted)
        return;
    QStringList failures;
    FolderExportSummary summary;
    {
        const BusyWindow busy(this);
        summary = ExportFiles(files, dialog.Folder(), dialog.Options(),
                              [&](const std::filesystem::path& source, const std::filesystem::path&,
                                  const ExportOutcome& outcome) {
                                  if (outcome.status != ExportOutcome::Status::Written)
                                      failures << ExportFailureText(source, outcome);
                              });
    }
    QString text = QStringLiteral("%1 個のファイルを書き出しました。").arg(summary.written);
    if (!failures.isEmpty())
        text += QStringLiteral("\n書き出せなかったファイル (%1 個):\n").arg(summary.failed) + failures.join('\n');
    QMessageBox box(failures.isEmpty() ? QMessageBox::Information : QMessageBox::Warning, ApplicationTitle(), text,
                    QMessageBox::Ok, this);
    box.exec();
}

} // namespace plavik
