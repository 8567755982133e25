// The main window's search: the list filtered by file name as the user types, and the files of the
// whole library that hold the words, found through the search index and listed like a folder.
#include "app/foldertree.h"
#include "app/listing.h"
#include "app/tform1.h"
#include "platform/folderscan.h"
#include "search/normalize.h"
#include "search/searchindex.h"
#include "settings/errorbox.h"
#include "ui_tform1.h"

#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>

namespace plavik {

void TForm1::SetupSearch() {
    SearchEdit1 = new QLineEdit(ui_->ToolBar1);
    SearchEdit1->setObjectName(QStringLiteral("SearchEdit1"));
    SearchEdit1->setPlaceholderText(QStringLiteral("ファイル名で絞り込み (Enter: ライブラリ内を検索)"));
    SearchEdit1->setClearButtonEnabled(true);
    SearchEdit1->setMaximumWidth(320);
    ui_->ToolBar1->addSeparator();
    ui_->ToolBar1->addWidget(SearchEdit1);
    auto* search = ui_->ToolBar1->addAction(QStringLiteral("ライブラリ内を検索"));
    search->setObjectName(QStringLiteral("LibrarySearch1"));
    connect(search, &QAction::triggered, this, [this] { SearchLibrary(SearchEdit1->text()); });
    connect(SearchEdit1, &QLineEdit::textChanged, this, &TForm1::FilterByName);
    connect(SearchEdit1, &QLineEdit::returnPressed, this, [this] { SearchLibrary(SearchEdit1->text()); });
    connect(ui_->Find1, &QAction::triggered, this, [this] {
        SearchEdit1->setFocus();
        SearchEdit1->selectAll();
    });

    OpenFolder1 = PopupMenu1->addAction(QStringLiteral("フォルダを開く"));
    OpenFolder1->setObjectName(QStringLiteral("OpenFolder1"));
    connect(OpenFolder1, &QAction::triggered, this, &TForm1::OpenFolderOfItem);
}

void TForm1::FilterByName(const QString& text) {
    const QStringList words = SearchWords(text);
    QListView* view = ui_->ListView1;
    for (int row = 0; row < model_->Count(); ++row) {
        bool shown = true;
        if (!words.isEmpty()) {
            const QString name = NormalizeForSearch(model_->At(row).caption);
            for (const QString& word : words)
                shown = shown && name.contains(word);
        }
        if (view->isRowHidden(row) == shown)
            view->setRowHidden(row, !shown);
    }
}

void TForm1::SearchLibrary(const QString& query) {
    if (SearchWords(query).isEmpty() || listing_ || printing_)
        return;
    std::filesystem::path root =
        searchQuery_.isEmpty() ? folderModel_->LibraryRootOf(listedFolder_) : listedFolder_;
    if (root.empty())
        root = listedFolder_;
    if (root.empty()) {
        QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(),
                        QStringLiteral("検索するライブラリかフォルダを先に開いてください。"), QMessageBox::Ok,
                        this);
        box.exec();
        return;
    }
    SearchResults results;
    const auto find = [&](ListingObserver& observer) {
        SearchIndex index;
        results = index.Search(root, query, [&observer] { observer.Pump(); });
        found_ = {};
        foundTitles_.clear();
        for (const SearchHit& hit : results.hits) {
            const std::filesystem::path relative = hit.path.lexically_relative(root);
            found_.files.push_back({relative.native(), DisplayName(hit.path.filename())});
            QString note = hit.title.isEmpty() ? DisplayName(hit.path.parent_path().filename()) : hit.title;
            if (!hit.match.isEmpty())
                note += QStringLiteral("\n一致: ") + hit.match;
            foundTitles_[relative.native()] = note;
        }
        return found_;
    };
    searchQuery_ = query.simplified();
    ShowListing(root, find, std::nullopt, true, {}, false);
    if (!results.rootReadable) {
        QMessageBox box(QMessageBox::Warning, ApplicationTitle(),
                        PathProblemText(PathText(root), QStringLiteral("フォルダを読めません。")),
                        QMessageBox::Ok, this);
        box.exec();
    }
    if (!results.failures.empty()) {
        std::vector<ListingFailure> failures;
        for (const SearchFailure& f : results.failures)
            failures.push_back({f.file, f.message});
        ShowErrorBox(this, ListingErrorText(failures));
    }
    if (results.hits.empty()) {
        otherKindButton_->setText(QStringLiteral("「%1」を含むファイルはありません。").arg(searchQuery_));
        otherKindButton_->show();
    }
}

void TForm1::OpenFolderOfItem() {
    const QModelIndex current = ui_->ListView1->currentIndex();
    if (!current.isValid() || current.row() >= model_->Count() || listedFolder_.empty())
        return;
    const std::filesystem::path file = listedFolder_ / model_->At(current.row()).fileName;
    ListFolder(file.parent_path(), listKind_, true, file.filename().native(), true);
}

} // namespace plavik
