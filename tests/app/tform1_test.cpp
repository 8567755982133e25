// The main window, driven as the user drives it: menus, tool bar, list, settings at start and close.
#include "app/captiondelegate.h"
#include "app/tform1.h"
#include "modalanswers.h"
#include "platform/filetexts.h"
#include "platform/fonts.h"
#include "print/tform3.h"
#include "render/palette.h"
#include "settings/errorbox.h"
#include "support/jwcwriter.h"
#include "support/jwwwriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace plavik {
namespace {

using testing::ModalAnswers;

// A store that reads nothing and refuses every write.
class RefusingStore : public SettingsStore {
public:
    std::optional<QString> ReadText(const QString&, const QString&) override { return std::nullopt; }
    void WriteText(const QString&, const QString& name, const QString&) override {
        throw StoreError(QStringLiteral("'%1' の設定に失敗しました").arg(name).toStdString());
    }
    void Flush() override {}
};

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        QCoreApplication::setApplicationName(QStringLiteral("Plavik"));
        ASSERT_TRUE(dir_.isValid());
    }

    QString IniPath() const { return dir_.filePath("plavik.ini"); }
    void WriteIni(const QByteArray& text) {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    // The window over the test's INI file, shown.
    std::unique_ptr<TForm1> Open() {
        auto window = std::make_unique<TForm1>(OpenIniStore(IniPath()));
        window->show();
        return window;
    }
    QString Stored(const QString& key) const {
        return QSettings(IniPath(), QSettings::IniFormat).value(key).toString();
    }

    template <typename T> static T* Child(QWidget* w, const char* name) {
        T* child = w->findChild<T*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static QAction* Action(QWidget* w, const char* name) { return Child<QAction>(w, name); }

    // Adds items straight to the list, as a listing does.
    static void AddItems(TForm1& w, const QStringList& captions) {
        for (const QString& caption : captions)
            w.Model().AddItem(caption, w.ImageList1().Add(QImage(4, 4, QImage::Format_RGB32)));
    }
    static void Select(TForm1& w, std::initializer_list<int> rows) {
        for (int row : rows)
            w.ListView()->selectionModel()->select(w.Model().index(row), QItemSelectionModel::Select);
    }

    QTemporaryDir dir_;
};

// Every text of a window that a user reads: its title, labels, buttons, group and tab titles, menu
// items, tool tips and placeholders.
QStringList ShownTexts(QWidget* root) {
    QStringList texts = {root->windowTitle()};
    for (QWidget* w : root->findChildren<QWidget*>()) {
        texts << w->toolTip();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            texts << box->title();
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            texts << edit->placeholderText();
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
    }
    for (QAction* action : root->findChildren<QAction*>())
        texts << action->text() << action->toolTip();
    return texts;
}

// The Latin words of the texts, but for the names, units and keys that Japanese programs write so:
// jw_cad and its file types, the program's name, the version label, millimetres, OK and Enter.
QStringList EnglishWords(const QStringList& texts) {
    static const QStringList kept = {"jw",  "cad",    "JW",  "CAD", "jwc", "jwk",  "jws",
                                     "jww", "Plavik", "Ver", "mm",  "OK",  "Enter"};
    QStringList words;
    for (const QString& text : texts) {
        QRegularExpressionMatchIterator it =
            QRegularExpression(QStringLiteral("[A-Za-z]+")).globalMatch(text);
        while (it.hasNext()) {
            const QString word = it.next().captured();
            if (!kept.contains(word) && word.size() > 1)
                words << word + QStringLiteral(" in \"") + text + QLatin1Char('"');
        }
    }
    return words;
}

// A Japanese user meets no English word in the program's own windows: the main window with its menus,
// the settings dialog's five pages, the progress window.
TEST_F(MainWindow, OwnWindowsSpeakJapanese) {
    auto w = Open();
    QStringList texts = ShownTexts(w.get());
    ModalAnswers answers;
    answers.Then([&texts](QWidget* dialog) {
        texts << ShownTexts(dialog);
        static_cast<QDialog*>(dialog)->reject();
    });
    Action(w.get(), "N6")->trigger();
    ASSERT_EQ(answers.Classes(), std::vector<QString>({"plavik::TForm2"}));
    bool cancel = false;
    TForm3 progress(cancel, w.get());
    texts << ShownTexts(&progress);
    EXPECT_GT(texts.size(), 100);
    // The settings show the printer font by its family's name, whatever language that name is in.
    texts.replaceInStrings(QFontInfo(QFont(PrinterFont{}.Name)).family(), QString());
    const QStringList words = EnglishWords(texts);
    EXPECT_TRUE(words.isEmpty()) << words.join('\n').toStdString();
    // The words are found where they are left.
    EXPECT_EQ(EnglishWords({QStringLiteral("75 pixel"), QStringLiteral("Cancel")}).size(), 2);
}

TEST_F(MainWindow, MenusCarryTheirCaptionsTagsAndChecks) {
    auto w = Open();
    const std::tuple<const char*, const char*, int> items[] = {
        {"Open1", "開く(&O)", 0},
        {"Print1", "印刷(&P)", 0},
        {"S1", "プリンター設定(&S)", 0},
        {"Exit1", "終了(&X)", 0},
        {"PrintSetup1", "ページ設定....", 2},
        {"N7", "図面リスト設定", 3},
        {"N3", "図形リスト設定....", 4},
        {"N4", "色設定....", 5},
        {"N6", "基本設定....", 1},
        {"Delete1", "リストから削除", 0},
    };
    for (const auto& [name, caption, tag] : items) {
        QAction* a = Action(w.get(), name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), QString::fromUtf8(caption)) << name;
        EXPECT_EQ(a->property("Tag").toInt(), tag) << name;
    }
    const std::pair<const char*, const char*> menus[] = {
        {"File1", "ファイル(&F)"}, {"N2", "設定(&S)"}, {"Show1", "表示(&V)"}};
    QStringList bar;
    for (QAction* a : w->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, QStringList({"ファイル(&F)", "設定(&S)", "表示(&V)"}));
    for (const auto& [name, title] : menus)
        EXPECT_EQ(Child<QMenu>(w.get(), name)->title(), QString::fromUtf8(title));
    QStringList file;
    for (QAction* a : Child<QMenu>(w.get(), "File1")->actions())
        file << a->objectName();
    EXPECT_EQ(file, QStringList({"Open1", "Recent1", "Print1", "S1", "N1", "Exit1"}));
    QStringList settings;
    for (QAction* a : Child<QMenu>(w.get(), "N2")->actions())
        settings << a->objectName();
    EXPECT_EQ(settings, QStringList({"PrintSetup1", "N7", "N3", "N4", "N5", "N6", "ReopenLast"}));
    for (const char* name : {"VToolBar", "VStatusBar", "VQuickView"}) {
        EXPECT_TRUE(Action(w.get(), name)->isCheckable()) << name;
        EXPECT_TRUE(Action(w.get(), name)->isChecked()) << name;
    }
    const std::pair<const char*, const char*> hints[] = {
        {"ToolButton1", "ﾌｧｲﾙを開く"}, {"ToolButton2", "印刷"}, {"ToolButton3", " リストから削除"}};
    for (const auto& [name, hint] : hints) {
        auto* button = Child<QToolButton>(w.get(), name);
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint));
        EXPECT_EQ(button->size(), QSize(30, 30));
    }
    EXPECT_EQ(Child<QWidget>(w.get(), "ToolButton4")->width(), 8);
}

// A first start, with no bounds stored, opens centred on the screen, large enough for four rows of
// thumbnails of either kind and the whole quick view.
TEST_F(MainWindow, FirstRunGivesTheDefaultWindowWithEveryViewShown) {
    auto w = Open();
    QApplication::processEvents();
    const QRect screen = w->screen()->availableGeometry();
    const QRect bounds = w->frameGeometry();
    EXPECT_TRUE(screen.contains(bounds));
    EXPECT_LE(std::abs(bounds.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(bounds.center().y() - screen.center().y()), 1);
    EXPECT_GT(bounds.width(), 600);
    EXPECT_GT(bounds.height(), 450);
    for (void (TForm1::*reset)() : {&TForm1::Init2, &TForm1::Init1}) {
        (w.get()->*reset)();
        EXPECT_GE(w->ListView()->viewport()->height(), 4 * w->ListView()->gridSize().height());
    }
    EXPECT_GE(Child<QWidget>(w.get(), "Panel2")->height(),
              Child<QLabel>(w.get(), "Label3")->geometry().bottom());
    EXPECT_FALSE(w->isMaximized());
    for (const char* name : {"ToolBar1", "StatusBar1", "Panel2"})
        EXPECT_TRUE(Child<QWidget>(w.get(), name)->isVisible()) << name;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(w->Panel(i), QString()) << i;
    EXPECT_EQ(Child<QLabel>(w.get(), "Label2")->text(), QString());
    EXPECT_EQ(Child<QLabel>(w.get(), "Label3")->text(), QStringLiteral("Ver. " PLAVIK_VERSION));
    EXPECT_EQ(w->ImageList1().Size(), QSize(48, 48));
    EXPECT_EQ(w->QuickViewImage().size(), QSize(150, 150));
    EXPECT_EQ(w->JwkColors(), w->Settings().Colors);
}

TEST_F(MainWindow, EachViewToggleFlipsControlCheckAndFlagAndIsSavedAtClose) {
    struct Case {
        const char* action;
        const char* control;
        const char* key;
        bool TListSettings::*flag;
    };
    const Case cases[] = {
        {"VToolBar", "ToolBar1", "ApplicationSet/ViewToolBar", &TListSettings::ViewToolBar},
        {"VStatusBar", "StatusBar1", "ApplicationSet/ViewStatusBar", &TListSettings::ViewStatusBar},
        {"VQuickView", "Panel2", "ApplicationSet/ViewQuickView", &TListSettings::ViewQuickView},
    };
    for (const Case& c : cases) {
        for (int clicks : {1, 2}) {
            QFile::remove(IniPath());
            auto w = Open();
            QAction* action = Action(w.get(), c.action);
            QWidget* control = Child<QWidget>(w.get(), c.control);
            for (int i = 0; i < clicks; ++i)
                action->trigger();
            const bool shown = clicks == 2;
            EXPECT_EQ(control->isVisible(), shown) << c.action << clicks;
            EXPECT_EQ(action->isChecked(), shown) << c.action << clicks;
            EXPECT_EQ(w->Settings().*c.flag, shown) << c.action << clicks;
            w->close();
            EXPECT_EQ(Stored(c.key), shown ? "1" : "0") << c.action << clicks;
        }
    }
}

TEST_F(MainWindow, StoredStateIsAppliedAtStart) {
    WriteIni("[Form]\nHeight=300\nWidth=500\nLeft=10\nTop=20\n"
             "[ApplicationSet]\nViewToolBar=0\nViewStatusBar=0\nViewQuickView=1\nIconSize=32\n"
             "[ColorSet]\nBack=255\n");
    auto w = Open();
    QApplication::processEvents();
    EXPECT_EQ(w->frameGeometry(), QRect(10, 20, 500, 300));
    EXPECT_FALSE(Child<QWidget>(w.get(), "ToolBar1")->isVisible());
    EXPECT_FALSE(Action(w.get(), "VToolBar")->isChecked());
    EXPECT_FALSE(Child<QWidget>(w.get(), "StatusBar1")->isVisible());
    EXPECT_FALSE(Action(w.get(), "VStatusBar")->isChecked());
    EXPECT_TRUE(Child<QWidget>(w.get(), "Panel2")->isVisible());
    EXPECT_EQ(w->ImageList1().Size(), QSize(32, 32));
    EXPECT_EQ(w->JwkColors()[kBack], 255u); // handed to the palette when the window is shown
}

TEST_F(MainWindow, CountPanelShowsTheWholeCount) {
    auto w = Open();
    auto* panel = Child<QLabel>(w.get(), "StatusPanel1");
    for (const int count : {0, 1000, 100000, 2147483647}) {
        w->SetPanel(1, QStringLiteral("ﾌｧｲﾙ数:%1").arg(count));
        QApplication::processEvents();
        EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(panel->text()))
            << count;
        EXPECT_GE(panel->width(), 75) << count;
    }
}

TEST_F(MainWindow, LongFolderPathIsCutAndLeavesTheWindowItsSize) {
    auto w = Open();
    QApplication::processEvents();
    const QRect before = w->frameGeometry();
    const QString paths[] = {
        QStringLiteral("/home/user/") + QString(300, QLatin1Char('x')) + QStringLiteral("/"),
        QStringLiteral("/home/ユーザー/") + QString(60, QChar(u'図')) + QStringLiteral("/")};
    for (const QString& path : paths) {
        w->SetPanel(2, path);
        QApplication::processEvents();
        EXPECT_EQ(w->frameGeometry(), before);
        EXPECT_LE(w->minimumSizeHint().width(), before.width());
        EXPECT_EQ(w->Panel(2), path); // the panel keeps the whole text
    }
    w->close();
    EXPECT_EQ(Stored("Form/Width"), QString::number(before.width()));
}

TEST_F(MainWindow, StoredPositionOffTheScreenIsBroughtIntoView) {
    WriteIni("[Form]\nHeight=300\nWidth=500\nLeft=-4000\nTop=9000\n");
    auto w = Open();
    QApplication::processEvents();
    const QRect screen = w->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w->frameGeometry()))
        << w->frameGeometry().x() << "," << w->frameGeometry().y();
    EXPECT_EQ(w->frameGeometry().size(), QSize(500, 300));
}

TEST_F(MainWindow, QuickViewDateFitsItsLabelInEveryLocale) {
    auto w = Open();
    auto* label = Child<QLabel>(w.get(), "Label7");
    label->setFont(InterfaceFont()); // the program's font
    const QFontMetrics metrics = label->fontMetrics();
    const auto width = [&metrics](const QString& text) { return metrics.horizontalAdvance(text); };
    for (const QLocale& locale : {QLocale(QLocale::Japanese, QLocale::Japan), QLocale::c(),
                                  QLocale(QLocale::English, QLocale::UnitedStates)}) {
        const QString widest = WidestDateText(locale, width);
        EXPECT_LE(width(widest), label->contentsRect().width()) << widest.toStdString();
    }
}

TEST_F(MainWindow, LongCaptionsWrapToTheSecondLineAndTheTooltipShowsThemWhole) {
    // What the list's delegate hands the style to draw.
    struct ShownCaption : CaptionDelegate {
        QString Text(const QModelIndex& index, const QRect& rect) const {
            QStyleOptionViewItem option;
            option.rect = rect;
            initStyleOption(&option, index);
            return option.text;
        }
    };
    auto w = Open();
    const QString name = QStringLiteral("ground_floor_plan_2026_rev_b.jwc");
    AddItems(*w, {name, "b.jwk"});
    ASSERT_NE(dynamic_cast<CaptionDelegate*>(w->ListView()->itemDelegate()), nullptr);
    const QModelIndex item = w->Model().index(1); // after b.jwk
    EXPECT_EQ(item.data(Qt::ToolTipRole).toString(), name);
    const QStringList lines =
        ShownCaption().Text(item, w->ListView()->visualRect(item)).split(QChar(QChar::LineSeparator));
    ASSERT_EQ(lines.size(), 2);
    QString shown = lines.join(QString());
    if (shown.endsWith(QChar(0x2026)))
        shown.chop(1); // cut at the cell's end; the tooltip has it whole
    EXPECT_GT(shown.size(), lines[0].size());
    EXPECT_TRUE(name.startsWith(shown)) << shown.toStdString();
    const QModelIndex shortItem = w->Model().index(0);
    EXPECT_EQ(ShownCaption().Text(shortItem, w->ListView()->visualRect(shortItem)), "b.jwk");
}

TEST_F(MainWindow, MaximisedWindowKeepsItsNormalBoundsStored) {
    WriteIni("[Form]\nHeight=300\nBS=1\n");
    auto w = Open();
    QApplication::processEvents();
    EXPECT_TRUE(w->isMaximized());
    w->close();
    EXPECT_EQ(Stored("Form/Height"), "300");
    EXPECT_EQ(Stored("Form/BS"), "1");
}

TEST_F(MainWindow, WrongTypedValueShowsTheErrorAndStillAppliesTheViews) {
    // The view flags come before the printer font's size, which QSettings reads as a list.
    WriteIni("[ApplicationSet]\nViewToolBar=0\n[PrinterFontSet]\nSize=1,2\n");
    ModalAnswers answers;
    answers.ThenClick("OK");
    auto w = std::make_unique<TForm1>(OpenIniStore(IniPath()));
    ASSERT_EQ(answers.Boxes().size(), 1u);
    EXPECT_EQ(answers.Boxes()[0].text, QStringLiteral("'Size' のデータ型が不正です"));
    EXPECT_EQ(answers.Boxes()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(answers.Boxes()[0].title, ApplicationTitle());
    w->show();
    EXPECT_FALSE(Child<QWidget>(w.get(), "ToolBar1")->isVisible());
    EXPECT_FALSE(Action(w.get(), "VToolBar")->isChecked());
    EXPECT_TRUE(Child<QWidget>(w.get(), "StatusBar1")->isVisible());
}

TEST_F(MainWindow, FailedSaveIsShownAndTheWindowStillCloses) {
    TForm1 w(std::make_unique<RefusingStore>());
    w.show();
    ModalAnswers answers;
    answers.ThenClick("OK");
    Action(&w, "Exit1")->trigger();
    ASSERT_EQ(answers.Boxes().size(), 1u);
    EXPECT_EQ(answers.Boxes()[0].text, QStringLiteral("'Height' の設定に失敗しました"));
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindow, DeleteRemovesTheSelectionFromEveryCommandAndKeepsTheThumbnails) {
    const std::function<void(TForm1&)> commands[] = {
        [](TForm1& w) { Action(&w, "Delete1")->trigger(); },
        [](TForm1& w) { Child<QToolButton>(&w, "ToolButton3")->click(); },
        [](TForm1& w) { QTest::keyClick(w.ListView(), Qt::Key_Delete); },
    };
    for (const auto& command : commands) {
        auto w = Open();
        AddItems(*w, {"d.jwk", "b.jwk", "a.jwk", "c.jwk"});
        EXPECT_EQ(w->Panel(1), QStringLiteral("ﾌｧｲﾙ数:4")); // counted as the items arrive
        Select(*w, {1, 3});
        command(*w);
        ASSERT_EQ(w->Model().Count(), 2);
        EXPECT_EQ(w->Model().At(0).caption, "a.jwk");
        EXPECT_EQ(w->Model().At(0).imageIndex, 2);
        EXPECT_EQ(w->Model().At(1).caption, "c.jwk");
        EXPECT_EQ(w->Model().At(1).imageIndex, 3);
        EXPECT_EQ(w->ImageList1().Count(), 4);
        EXPECT_EQ(w->Panel(1), QStringLiteral("ﾌｧｲﾙ数:2"));
    }
}

TEST_F(MainWindow, DeleteWithoutSelectionStillRewritesTheCountAndDeletingAllLeavesZero) {
    auto w = Open();
    AddItems(*w, {"a.jwk", "b.jwk", "c.jwk"});
    w->SetPanel(1, "x");
    w->Delete1Click();
    EXPECT_EQ(w->Model().Count(), 3);
    EXPECT_EQ(w->Panel(1), QStringLiteral("ﾌｧｲﾙ数:3"));
    w->ListView()->selectAll();
    w->Delete1Click();
    EXPECT_EQ(w->Model().Count(), 0);
    EXPECT_EQ(w->Panel(1), QStringLiteral("ﾌｧｲﾙ数:0"));
    EXPECT_EQ(w->ImageList1().Count(), 3);
}

TEST_F(MainWindow, PopupDeleteIsGreyedExactlyWithoutSelection) {
    auto w = Open();
    AddItems(*w, {"a.jwk", "b.jwk"});
    auto* popup = Child<QMenu>(w.get(), "PopupMenu1");
    QAction* del = Action(w.get(), "Delete1");
    popup->popup(QPoint(10, 10));
    EXPECT_FALSE(del->isEnabled());
    popup->hide();
    Select(*w, {1});
    popup->popup(QPoint(10, 10));
    EXPECT_TRUE(del->isEnabled());
    popup->hide();
    w->ListView()->clearSelection();
    popup->popup(QPoint(10, 10));
    EXPECT_FALSE(del->isEnabled());
    popup->hide();
}

TEST_F(MainWindow, PrintWithAnEmptyListOnlySaysSo) {
    auto w = Open();
    ModalAnswers answers;
    answers.ThenClick("OK");
    Action(w.get(), "Print1")->trigger();
    ASSERT_EQ(answers.Boxes().size(), 1u);
    EXPECT_EQ(answers.Boxes()[0].text, QStringLiteral("印刷するデータがありません。"));
    EXPECT_EQ(answers.Boxes()[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(answers.Classes().size(), 1u); // no print dialog
}

TEST_F(MainWindow, PrintWithItemsRunsThePrintDialog) {
    auto w = Open();
    AddItems(*w, {"a.jwk"});
    ModalAnswers answers;
    answers.ThenReject();
    Child<QToolButton>(w.get(), "ToolButton2")->click();
    ASSERT_EQ(answers.Classes().size(), 1u);
    EXPECT_TRUE(answers.Boxes().empty());
    EXPECT_EQ(w->Model().Count(), 1);
}

TEST_F(MainWindow, SetupAfterOkAsksOnlyWithAListAndNoShowsTheNote) {
    auto w = Open();
    {
        ModalAnswers answers;
        answers.ThenAccept();
        Action(w.get(), "N4")->trigger();
        EXPECT_EQ(answers.Classes(), std::vector<QString>({"plavik::TForm2"}));
    }
    AddItems(*w, {"a.jwk", "b.jwk"});
    ModalAnswers answers;
    answers.ThenAccept().ThenClick("いいえ(&N)").ThenClick("OK");
    Action(w.get(), "N6")->trigger();
    ASSERT_EQ(answers.Boxes().size(), 2u);
    const testing::SeenBox& ask = answers.Boxes()[0];
    EXPECT_EQ(ask.text, QStringLiteral("設定が変わりました。\n読み込み直しますか？"));
    EXPECT_EQ(ask.title, ApplicationTitle());
    EXPECT_EQ(ask.icon, QMessageBox::NoIcon);
    EXPECT_EQ(ask.defaultButton, QStringLiteral("はい(&Y)"));
    EXPECT_EQ(ask.escapeButton, QStringLiteral("いいえ(&N)"));
    EXPECT_EQ(answers.Boxes()[1].text,
              QStringLiteral("印刷には設定内容を使用しますので\n画面の表示と違う場合があります。"));
    EXPECT_EQ(answers.Unexpected(), 0);
    EXPECT_EQ(w->Model().Count(), 2); // the list is left as it was
}

TEST_F(MainWindow, SetupYesListsTheListedFolderAgainAsTheSameKind) {
    auto w = Open();
    w->FileListing2(dir_.path());
    EXPECT_EQ(w->QuickViewImage().height(), 106);
    AddItems(*w, {"a.jwc"});
    ModalAnswers answers;
    answers.ThenAccept().ThenClick("はい(&Y)");
    w->ShowSetup(3);
    EXPECT_EQ(answers.Unexpected(), 0);
    EXPECT_EQ(w->Model().Count(), 0);
    EXPECT_EQ(w->Panel(2), QDir::toNativeSeparators(dir_.path()) + QDir::separator());
    EXPECT_EQ(w->ImageList1().Size(), QSize(100, 71)); // listed again as drawings
}

TEST_F(MainWindow, SetupHandsThePaletteOverEvenAfterCancel) {
    auto w = Open();
    AddItems(*w, {"a.jwk"});
    w->Settings().Colors[kPen1] = 0x123456;
    ModalAnswers answers;
    answers.ThenReject();
    w->ShowSetup(0);
    EXPECT_EQ(w->JwkColors()[kPen1], 0x123456u);
    EXPECT_EQ(answers.Classes().size(), 1u); // Cancel asks nothing
}

TEST_F(MainWindow, OpenDialogOffersItsFourFiltersAndCancelKeepsTheList) {
    auto w = Open();
    AddItems(*w, {"a.jwk"});
    w->SetPanel(2, "kept");
    QStringList filters;
    QString name;
    ModalAnswers answers;
    answers.Then([&](QWidget* d) {
        auto* dialog = static_cast<QFileDialog*>(d);
        filters = dialog->nameFilters();
        name = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
        dialog->reject();
    });
    Child<QToolButton>(w.get(), "ToolButton1")->click();
    EXPECT_EQ(filters, QStringList({"jw_cad図面ﾌｧｲﾙ(*.jwc)", "jw_cad図形ﾌｧｲﾙ(*.jwk)",
                                    "jw_cad図面ﾌｧｲﾙ(*.jww *.jwc)", "jw_cad図形ﾌｧｲﾙ(*.jws *.jwk)"}));
    EXPECT_EQ(name, QStringLiteral("フォルダ指定"));
    EXPECT_EQ(w->Model().Count(), 1);
    EXPECT_EQ(w->Panel(2), "kept");
}

TEST_F(MainWindow, OpenListsTheChosenFilesFolderByTheFilter) {
    QFile(dir_.filePath("x.jwk")).open(QIODevice::WriteOnly);
    QFile(dir_.filePath("y.jwc")).open(QIODevice::WriteOnly);
    const std::tuple<const char*, const char*, int> cases[] = {{"jw_cad図形ﾌｧｲﾙ(*.jwk)", "x.jwk", 150},
                                                               {"jw_cad図面ﾌｧｲﾙ(*.jwc)", "y.jwc", 106}};
    for (const auto& [filter, file, height] : cases) {
        auto w = Open();
        AddItems(*w, {"old.jwk"});
        ModalAnswers answers;
        answers.Then([&](QWidget* d) {
            auto* dialog = static_cast<QFileDialog*>(d);
            dialog->selectNameFilter(QString::fromUtf8(filter));
            // Typed, as the user does: selectFile leaves the name alone while the edit has the focus.
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(dir_.filePath(file));
            static_cast<QDialog*>(dialog)->accept(); // through QDialog, where accept is public
        });
        w->Open1Click();
        EXPECT_TRUE(answers.Boxes().empty()) << file;
        EXPECT_EQ(w->Model().Count(), 0) << file;
        EXPECT_EQ(w->Panel(2), QDir::toNativeSeparators(dir_.path()) + QDir::separator()) << file;
        EXPECT_EQ(w->QuickViewImage().height(), height) << file;
    }
}

TEST_F(MainWindow, OpenWithThePromptListsTheFolderShownAndTheNextOpenStartsOnThatFilter) {
    QDir(dir_.path()).mkdir("sub");
    const QString sub = dir_.filePath("sub");
    auto w = Open();
    ModalAnswers answers;
    answers.Then([&](QWidget* d) {
        auto* dialog = static_cast<QFileDialog*>(d);
        dialog->setDirectory(sub);
        dialog->selectNameFilter(QStringLiteral("jw_cad図形ﾌｧｲﾙ(*.jwk)"));
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        name->setText(QStringLiteral("フォルダ指定"));
        QTest::keyClick(name, Qt::Key_Return); // the prompt left as it is
    });
    w->Open1Click();
    EXPECT_EQ(answers.Classes().size(), 1u); // no "file not found"
    EXPECT_EQ(w->Panel(2), QDir::toNativeSeparators(sub) + QDir::separator());
    EXPECT_EQ(w->QuickViewImage().height(), 150); // listed as figures

    QString filter, folder;
    answers.Then([&](QWidget* d) {
        auto* dialog = static_cast<QFileDialog*>(d);
        filter = dialog->selectedNameFilter();
        folder = dialog->directory().absolutePath();
        dialog->reject();
    });
    w->Open1Click();
    EXPECT_EQ(filter, QStringLiteral("jw_cad図形ﾌｧｲﾙ(*.jwk)"));
    EXPECT_EQ(folder, sub);
}

TEST_F(MainWindow, OpenRefusesANameThatIsNotThere) {
    auto w = Open();
    AddItems(*w, {"a.jwk"});
    ModalAnswers answers;
    answers
        .Then([&](QWidget* d) {
            auto* dialog = static_cast<QFileDialog*>(d);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(dir_.filePath("missing.jwc"));
            static_cast<QDialog*>(dialog)->accept();
        })
        .ThenClick("OK")
        .ThenReject();
    w->Open1Click();
    ASSERT_EQ(answers.Boxes().size(), 1u);
    EXPECT_TRUE(answers.Boxes()[0].text.startsWith("missing.jwc\n")) << answers.Boxes()[0].text.toStdString();
    EXPECT_EQ(w->Model().Count(), 1); // nothing listed
}

TEST_F(MainWindow, PrinterSetupChoosesThePrinterForPrinting) {
    auto w = Open();
    QString okText;
    bool offersPrinters = false;
    ModalAnswers answers;
    answers.Then([&](QWidget* d) {
        auto* dialog = qobject_cast<QPrintDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        offersPrinters = dialog->findChild<QComboBox*>("printers") != nullptr;
        okText = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->text();
        EXPECT_EQ(dialog->printer(), &w->Printer()); // what it sets is what printing starts from
        dialog->accept();
    });
    Action(w.get(), "S1")->trigger();
    EXPECT_EQ(answers.Classes(), std::vector<QString>({"QPrintDialog"}));
    EXPECT_TRUE(offersPrinters);
    EXPECT_EQ(okText, "OK");
}

TEST_F(MainWindow, PicturesAreDrawnInTheScreensOwnPixels) {
    auto w = Open();
    const qreal ratio = w->devicePixelRatioF();
    if (qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2) {
        EXPECT_EQ(ratio, 2.0);
    }
    EXPECT_EQ(w->ImageList1().Size(), QSize(48, 48) * ratio);
    EXPECT_EQ(w->ListView()->iconSize(), QSize(48, 48)); // laid out in points
    AddItems(*w, {"a.jwk"});
    EXPECT_EQ(w->Model().index(0).data(Qt::DecorationRole).value<QPixmap>().devicePixelRatio(), ratio);

    // The quick view fills its picture's every pixel.
    EXPECT_EQ(w->QuickViewImage().size(), QSize(150, 150) * ratio);
    w->QView1(std::filesystem::path(PLAVIK_SOURCE_DIR) / "samples/figures/door.jwk", "door.jwk");
    const QImage& picture = w->QuickViewImage();
    QRect drawn;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != picture.pixel(0, 0))
                drawn |= QRect(x, y, 1, 1);
    EXPECT_GT(drawn.right(), picture.width() * 3 / 4);
    EXPECT_EQ(w->findChild<QLabel*>("Image1")->pixmap().deviceIndependentSize(), QSizeF(150, 150));
}

// The quick view's panel is widened and narrowed with the splitter: the picture is drawn again at the
// panel's width in the kind's proportion, never under 150 pixels, and the width is kept for the next run.
TEST_F(MainWindow, QuickViewGrowsWithItsPanelAndTheSplitterIsKeptOverARestart) {
    const std::filesystem::path file = PathFromText(dir_.filePath("plan.jww"));
    const auto bytes = test::JwwWriter::Drawing(600).Line(-150, -100, 150, 100).Bytes();
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    int kept = 0;
    {
        auto w = Open();
        auto* splitter = Child<QSplitter>(w.get(), "Splitter1");
        QWidget* panel = Child<QWidget>(w.get(), "Panel2");
        QApplication::processEvents();
        w->Init2();
        w->QView2(file, "plan.jww");
        const qreal ratio = w->devicePixelRatioF();
        const auto pictureWidth = [&] { return std::lround(w->QuickViewImage().width() / ratio); };
        for (const int asked : {420, 40}) {
            QList<int> sizes = splitter->sizes();
            sizes[1] += sizes[2] - asked;
            sizes[2] = asked;
            splitter->setSizes(sizes);
            const int expected = std::max(panel->width() - 10, 150);
            EXPECT_TRUE(QTest::qWaitFor([&] { return pictureWidth() == expected; }, 3000))
                << asked << ": " << pictureWidth() << " for a panel of " << panel->width();
            const QImage& picture = w->QuickViewImage();
            EXPECT_EQ(picture.height(), std::lround(picture.width() / std::sqrt(2.0))) << asked;
            EXPECT_EQ(w->findChild<QLabel*>("Image1")->pixmap().deviceIndependentSize(),
                      QSizeF(picture.size()) / ratio);
            // The line from corner to corner is drawn across the new picture, not the old one.
            EXPECT_NE(picture.pixel(picture.width() / 2, picture.height() / 2), picture.pixel(1, 1)) << asked;
            if (asked == 420)
                kept = panel->width();
        }
        EXPECT_GE(panel->width(), 160);
        QList<int> sizes = splitter->sizes();
        sizes[1] += sizes[2] - kept;
        sizes[2] = kept;
        splitter->setSizes(sizes);
        w->close();
    }
    EXPECT_GT(kept, 400);
    auto again = Open();
    QApplication::processEvents();
    EXPECT_EQ(Child<QWidget>(again.get(), "Panel2")->width(), kept);
    again->Init2(); // a drawing's picture: the panel's width, well within its height
    const long width = std::lround((kept - 10) * again->devicePixelRatioF());
    EXPECT_TRUE(QTest::qWaitFor([&] { return again->QuickViewImage().width() == width; }, 3000))
        << again->QuickViewImage().width();
}

// Below the picture: a drawing's memo (wrapped), paper and the scales of the groups it draws in; a .jwc's
// comment; nothing of either for the next file that has none.
TEST_F(MainWindow, QuickViewShowsADrawingsMemoPaperAndScalesAndAJwcsComment) {
    const auto save = [this](const char* name, const std::vector<std::uint8_t>& bytes) {
        const std::filesystem::path file = PathFromText(dir_.filePath(QLatin1String(name)));
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    };
    std::string longLine; // a line of kanji, as memos are written: no spaces to break at
    for (int i = 0; i < 12; ++i)
        longLine += "\x95\xbd\x96\xca\x90\x7d"; // 平面図
    const auto jww = save("plan.jww", test::JwwWriter::Drawing(600)
                                          .Memo("\x82\x50\x8a\x4b\x95\xbd\x96\xca\x90\x7d\r\n" + longLine)
                                          .Paper(3)
                                          .GroupScale(1, 50)
                                          .GroupScale(2, 20)
                                          .Line(0, 0, 10, 10)
                                          .Line(0, 0, 10, 10, test::JwwAttr{.group = 1})
                                          .Bytes());
    const auto jwc =
        save("old.jwc", test::JwcWriter().Comment("\x8b\x8c\x90\x7d").Line(0, 0, 10, 10).Build());
    auto w = Open();
    QApplication::processEvents();
    w->Init2();
    const auto shown = [&w](const char* name) {
        auto* label = w->findChild<QLabel*>(QLatin1String(name));
        return label && label->isVisible() ? label->text() : QStringLiteral("(hidden)");
    };
    w->QView2(jww, "plan.jww");
    EXPECT_EQ(shown("Label2"), "plan.jww");
    EXPECT_EQ(shown("MemoTitle1"), QStringLiteral("【メモ】"));
    EXPECT_EQ(shown("Memo1"), QStringLiteral("１階平面図\n") + QStringLiteral("平面図").repeated(12));
    EXPECT_EQ(shown("Paper1"), "A3");
    EXPECT_EQ(shown("Scale1"), "1/100, 1/50"); // group 2 draws nothing
    auto* memo = w->findChild<QLabel*>("Memo1");
    QApplication::processEvents();
    EXPECT_LE(memo->geometry().right(), Child<QWidget>(w.get(), "Panel2")->width()); // wrapped, not widened
    EXPECT_GE(memo->height(), 3 * memo->fontMetrics().height());

    w->QView2(jwc, "old.jwc");
    EXPECT_EQ(shown("MemoTitle1"), QStringLiteral("【コメント】"));
    EXPECT_EQ(shown("Memo1"), QStringLiteral("旧図"));
    EXPECT_EQ(shown("Paper1"), "(hidden)");
    EXPECT_EQ(shown("Scale1"), "(hidden)");
    EXPECT_EQ(shown("PaperTitle1"), "(hidden)");
}

} // namespace
} // namespace plavik
