// The settings dialog, driven through its controls by object name.
#include "settings/colorpresets.h"
#include "settings/colorswatch.h"
#include "settings/numerickeyfilter.h"
#include "settings/placementpicture.h"
#include "settings/tform2.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace plavik {
namespace {

template <class T> T* Child(QWidget* dialog, const char* name) {
    T* child = dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Runs action on the next modal widget of type T, polling while a modal loop runs.
template <class T> void WhenModal(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    const QDeadlineTimer deadline(5000);
    QObject::connect(timer, &QTimer::timeout, [timer, action, deadline] {
        T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!modal && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (modal)
            action(modal);
    });
    timer->start(10);
}

struct CheckBinding {
    const char* control;
    bool TListSettings::*field;
};
const CheckBinding kChecks[] = {
    {"CheckBox4", &TListSettings::UnKnownJwk},   {"CheckBox18", &TListSettings::UnKnownJwc},
    {"CheckBox12", &TListSettings::prcFileName}, {"CheckBox13", &TListSettings::prcComment},
    {"CheckBox14", &TListSettings::prcFileSize}, {"CheckBox15", &TListSettings::prcFileDate},
    {"CheckBox17", &TListSettings::prcBorder},   {"CheckBox16", &TListSettings::prcAddLine},
    {"CheckBox3", &TListSettings::prFileName},   {"CheckBox5", &TListSettings::prFileSize},
    {"CheckBox6", &TListSettings::prFileDate},   {"CheckBox2", &TListSettings::prPos},
    {"CheckBox1", &TListSettings::prText},       {"CheckBox9", &TListSettings::prAddLine},
    {"CheckBox10", &TListSettings::prBorder},    {"CheckBox20", &TListSettings::prcFitContent},
};

struct EditBinding {
    const char* control;
    std::int32_t TListSettings::*field;
    int digits; // how many can be typed; 0 for any number
};
// In the order OK copies them. The thumbnail sizes take three digits, for their range of 16 to 512.
const EditBinding kEdits[] = {
    {"Edit7", &TListSettings::IconSize, 3},    {"Edit10", &TListSettings::IconSize2, 3},
    {"Edit1", &TListSettings::MarginTop, 2},   {"Edit2", &TListSettings::MarginLeft, 2},
    {"Edit3", &TListSettings::MarginRight, 2}, {"Edit4", &TListSettings::MarginBottom, 2},
    {"Edit11", &TListSettings::SpaceR2, 2},    {"Edit12", &TListSettings::SpaceB2, 2},
    {"Edit9", &TListSettings::ImageSize2, 0},  {"Edit5", &TListSettings::SpaceR, 2},
    {"Edit6", &TListSettings::SpaceB, 2},      {"Edit8", &TListSettings::ImageSize, 2},
};

// Every field of the record, for comparing two records whole.
std::vector<std::int64_t> Fields(const TListSettings& s) {
    std::vector<std::int64_t> all = {s.ViewToolBar, s.ViewStatusBar, s.ViewQuickView, s.prcTextMode};
    for (const auto& c : kChecks)
        all.push_back(s.*c.field);
    for (const auto& e : kEdits)
        all.push_back(s.*e.field);
    for (COLORREF c : s.Colors)
        all.push_back(c);
    return all;
}

TEST(SettingsDialog, EachTagOpensItsPage) {
    TListSettings settings;
    PrinterFont font;
    const std::pair<int, const char*> cases[] = {{1, "基本設定"},    {2, "ページ設定"},  {3, "図面ﾘｽﾄ設定"},
                                                 {4, "図形ﾘｽﾄ設定"}, {5, "色設定"},      {0, "図面ﾘｽﾄ設定"},
                                                 {9, "図面ﾘｽﾄ設定"}, {-1, "図面ﾘｽﾄ設定"}};
    for (const auto& [tag, title] : cases) {
        TForm2 dialog(settings, font);
        auto* pages = Child<QTabWidget>(&dialog, "PageControl1");
        EXPECT_EQ(pages->tabText(2), QString::fromUtf8("図面ﾘｽﾄ設定")); // the page shown unless chosen
        dialog.SelectPageByTag(tag);
        EXPECT_EQ(pages->tabText(pages->currentIndex()), QString::fromUtf8(title)) << tag;
    }
}

TEST(SettingsDialog, FixedWindowWithExactlyTheListedControlsDisabled) {
    TListSettings settings;
    PrinterFont font;
    TForm2 dialog(settings, font);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("設定"));
    EXPECT_EQ(dialog.minimumSize(), QSize(412, 331));
    EXPECT_EQ(dialog.maximumSize(), QSize(412, 331));
    EXPECT_EQ(dialog.font().pixelSize(), 12);

    const QStringList disabled = {
        "RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4", "RadioButton5", "RadioButton6",
        "CheckBox7",    "CheckBox8",    "CheckBox11",   "Button3",      "Button5",      "Button6",
        "Button7",      "Button8",      "Button9",      "Button10",     "Button11",     "Button12"};
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) {
        if (b->objectName().isEmpty())
            continue; // the tab bar's own scroll buttons
        EXPECT_EQ(b->isEnabled(), !disabled.contains(b->objectName())) << b->objectName().toStdString();
        if (auto* push = qobject_cast<QPushButton*>(b)) {
            EXPECT_FALSE(push->autoDefault() || push->isDefault()) << push->objectName().toStdString();
        }
    }
    EXPECT_EQ(dialog.findChildren<QCheckBox*>().size(), 20);
    auto* fit = Child<QCheckBox>(&dialog, "CheckBox20");
    EXPECT_EQ(fit->text(), QString::fromUtf8("図面の範囲に合わせる"));
    EXPECT_TRUE(Child<QWidget>(&dialog, "TabSheet5")->isAncestorOf(fit));
    EXPECT_EQ(dialog.findChildren<QRadioButton*>().size(), 9);
    EXPECT_EQ(dialog.findChildren<QLineEdit*>().size(), 12);

    // No control reaches outside its group box, so nothing is cut off or covers a neighbour's edge.
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
        for (QWidget* w : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->objectName() != "Label19" && !w->objectName().startsWith("RadioButton")) {
                EXPECT_TRUE(box->rect().contains(w->geometry())) << w->objectName().toStdString();
            }
        }
    }
}

TEST(SettingsDialog, TextModeOpensItsRadioButtonAndOkStoresIt) {
    const struct {
        int stored;
        const char* checked;
        int afterOk;
    } cases[] = {{1, "RadioButton9", 1}, {2, "RadioButton7", 2}, {3, "RadioButton8", 3},
                 {0, "RadioButton7", 2}, {7, "RadioButton7", 2}, {-1, "RadioButton7", 2}};
    for (const auto& c : cases) {
        TListSettings settings;
        settings.prcTextMode = c.stored;
        PrinterFont font;
        TForm2 dialog(settings, font);
        EXPECT_TRUE(Child<QRadioButton>(&dialog, c.checked)->isChecked()) << c.stored;
        Child<QPushButton>(&dialog, "Button1")->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(settings.prcTextMode, c.afterOk) << c.stored;
    }
}

TEST(SettingsDialog, EachControlShowsAndStoresItsOwnField) {
    // Check boxes: one field true at a time must show as exactly one checked box, and back.
    for (const auto& target : kChecks) {
        TListSettings settings;
        for (const auto& c : kChecks)
            settings.*c.field = false;
        settings.*target.field = true;
        PrinterFont font;
        TForm2 dialog(settings, font);
        for (const auto& c : kChecks)
            EXPECT_EQ(Child<QCheckBox>(&dialog, c.control)->isChecked(), c.field == target.field)
                << target.control << " shown in " << c.control;
        Child<QCheckBox>(&dialog, target.control)->setChecked(false);
        for (const auto& c : kChecks)
            Child<QCheckBox>(&dialog, c.control)->setChecked(c.field != target.field);
        Child<QPushButton>(&dialog, "Button1")->click();
        for (const auto& c : kChecks)
            EXPECT_EQ(settings.*c.field, c.field != target.field) << target.control << " into " << c.control;
    }

    // Edits and swatches: distinct values in, other distinct values out.
    TListSettings settings;
    for (std::size_t i = 0; i < std::size(kEdits); ++i)
        settings.*kEdits[i].field = static_cast<std::int32_t>(10 + i);
    for (std::size_t i = 0; i < settings.Colors.size(); ++i)
        settings.Colors[i] = static_cast<COLORREF>(0x010101 * (i + 1));
    PrinterFont font;
    TForm2 dialog(settings, font);
    for (std::size_t i = 0; i < std::size(kEdits); ++i) {
        auto* edit = Child<QLineEdit>(&dialog, kEdits[i].control);
        EXPECT_EQ(edit->text(), QString::number(10 + i)) << kEdits[i].control;
        edit->setText(QString::number(50 + i));
    }
    const COLORREF shown[9] = {0x020202, 0x030303, 0x040404, 0x050505, 0x060606,
                               0x070707, 0x010101, 0x080808, 0x090909}; // Pen1..Pen6, Back, Text, Pos
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Child<ColorSwatch>(&dialog, ("Shape" + std::to_string(i + 1)).c_str())->Color(), shown[i]);
    Child<QPushButton>(&dialog, "Button1")->click();
    for (std::size_t i = 0; i < std::size(kEdits); ++i)
        EXPECT_EQ(settings.*kEdits[i].field, static_cast<std::int32_t>(50 + i)) << kEdits[i].control;
    for (std::size_t i = 0; i < settings.Colors.size(); ++i)
        EXPECT_EQ(settings.Colors[i], 0x010101 * (i + 1)) << i; // untouched swatches give back the same
}

TEST(SettingsDialog, PresetsChangeTheSwatchesOnlyUntilOk) {
    const struct {
        const char* button;
        SwatchColors colors; // Pen1..Pen6, Back, Text, Pos
    } cases[] = {
        {"Button14", {0, 0, 0, 0, 0, 0, 0xFFFFFF, 0, 0}},
        {"Button15", {0x808000, 0x808080, 0x008000, 0x000080, 0x800000, 0xFF0000, 0xFFFFFF, 0, 0x0000FF}},
        {"Button13", {0xFFFF00, 0xFFFFFF, 0x00FF00, 0x00FFFF, 0x800080, 0xFF0000, 0, 0xFFFFFF, 0x0000FF}},
    };
    for (const auto& c : cases) {
        TListSettings settings;
        settings.Colors = {0x111111, 0x222222, 0x333333, 0x444444, 0x555555,
                           0x666666, 0x777777, 0x888888, 0x999999, 0x123456};
        const auto before = Fields(settings);
        PrinterFont font;
        {
            TForm2 dialog(settings, font);
            Child<QPushButton>(&dialog, c.button)->click();
            Child<QPushButton>(&dialog, "Button2")->click();
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
        }
        EXPECT_EQ(Fields(settings), before) << c.button;

        TForm2 dialog(settings, font);
        Child<QPushButton>(&dialog, c.button)->click();
        Child<QPushButton>(&dialog, "Button1")->click();
        const Palette expected = {c.colors[6], c.colors[0], c.colors[1], c.colors[2], c.colors[3],
                                  c.colors[4], c.colors[5], c.colors[7], c.colors[8], 0x123456};
        EXPECT_EQ(settings.Colors, expected) << c.button;
    }
    EXPECT_EQ(kJwCadPreset[6], 0x000000u); // jw_cad's standard colours: black background...
    EXPECT_EQ(kJwCadPreset[7], 0xFFFFFFu); // ...and white text
}

TEST(SettingsDialog, UnconvertibleEditKeepsTheDialogOpenAndTheRecordWhole) {
    const struct {
        const char* control;
        QString text;
        const char* page;
    } cases[] = {{"Edit8", "", "図形ﾘｽﾄ設定"},
                 {"Edit10", "12a", "基本設定"},
                 {"Edit9", "2147483648", "図面ﾘｽﾄ設定"},
                 {"Edit4", "１", "ページ設定"}};
    for (const auto& c : cases) {
        TListSettings settings;
        PrinterFont font;
        const auto before = Fields(settings);
        TForm2 dialog(settings, font);
        auto* bad = Child<QLineEdit>(&dialog, c.control);
        Child<QLineEdit>(&dialog, "Edit7")->setText("33"); // copied before the bad edit
        Child<QLineEdit>(&dialog, "Edit6")->setText("44");
        Child<QCheckBox>(&dialog, "CheckBox4")->setChecked(true);
        bad->setText(c.text);

        QString shownText, shownTitle;
        bool stillOpen = false;
        QWidget* focused = nullptr;
        QString page;
        QTimer::singleShot(0, &dialog, [&] { Child<QPushButton>(&dialog, "Button1")->click(); });
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            shownText = box->text();
            shownTitle = box->windowTitle();
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            box->accept();
            QTimer::singleShot(0, &dialog, [&] {
                stillOpen = dialog.isVisible();
                focused = dialog.focusWidget();
                auto* pages = Child<QTabWidget>(&dialog, "PageControl1");
                page = pages->tabText(pages->currentIndex());
                dialog.reject();
            });
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(shownText, "'" + c.text + QString::fromUtf8("' は数値ではありません"));
        EXPECT_EQ(shownTitle, QApplication::applicationName());
        EXPECT_TRUE(stillOpen) << c.control;
        EXPECT_EQ(focused, bad) << c.control;
        EXPECT_EQ(page, QString::fromUtf8(c.page));
        EXPECT_EQ(Fields(settings), before) << c.control;
    }
}

TEST(SettingsDialog, ThumbnailSizeOutsideItsRangeIsRefusedWithItsRange) {
    const std::pair<const char*, const char*> refused[] = {
        {"Edit10", "20000"}, {"Edit10", "513"}, {"Edit10", "15"}, {"Edit10", "0"}, {"Edit7", "8"}};
    for (const auto& [control, text] : refused) {
        TListSettings settings;
        PrinterFont font;
        const auto before = Fields(settings);
        TForm2 dialog(settings, font);
        Child<QLineEdit>(&dialog, control)->setText(text);
        QString shown;
        bool stillOpen = false;
        QTimer::singleShot(0, &dialog, [&] { Child<QPushButton>(&dialog, "Button1")->click(); });
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            shown = box->text();
            box->accept();
            QTimer::singleShot(0, &dialog, [&] {
                stillOpen = dialog.isVisible();
                EXPECT_EQ(dialog.focusWidget(), Child<QLineEdit>(&dialog, control));
                dialog.reject();
            });
        });
        dialog.exec();
        EXPECT_EQ(shown, QString::fromUtf8("サムネイルのサイズは 16 から 512 までの数値で指定してください。"))
            << control << " " << text;
        EXPECT_TRUE(stillOpen) << control << " " << text;
        EXPECT_EQ(Fields(settings), before) << control << " " << text;
    }
    for (const char* text : {"16", "512"}) {
        TListSettings settings;
        PrinterFont font;
        TForm2 dialog(settings, font);
        Child<QLineEdit>(&dialog, "Edit10")->setText(text);
        Child<QPushButton>(&dialog, "Button1")->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << text;
        EXPECT_EQ(settings.IconSize2, QString(text).toInt());
    }
}

TEST(SettingsDialog, LargestNumberAndLongStoredValuesAreKept) {
    TListSettings settings;
    settings.MarginLeft = 100; // longer than its edit lets anyone type
    settings.MarginTop = -15;  // a negative value loaded from the store
    PrinterFont font;
    TForm2 dialog(settings, font);
    Child<QLineEdit>(&dialog, "Edit9")->setText("2147483647");
    Child<QPushButton>(&dialog, "Button1")->click();
    EXPECT_EQ(settings.ImageSize2, 2147483647);
    EXPECT_EQ(settings.MarginLeft, 100);
    EXPECT_EQ(settings.MarginTop, -15);
}

TEST(NumericEdits, OnlyDigitsCanBeTyped) {
    for (char16_t c = 0; c < 0x100; ++c) {
        QChar key(c);
        AsciiCancel(key);
        const bool passes = c == 8 || c == 27 || (c >= u'0' && c <= u'9');
        EXPECT_EQ(key, passes ? QChar(c) : QChar(0)) << int(c);
    }

    TListSettings settings;
    PrinterFont font;
    TForm2 dialog(settings, font);
    dialog.show();
    for (const auto& e : kEdits) {
        auto* edit = Child<QLineEdit>(&dialog, e.control);
        Child<QTabWidget>(&dialog, "PageControl1")->setCurrentWidget(edit->parentWidget()->parentWidget());
        edit->setFocus();
        edit->setText("5");
        edit->end(false);
        QTest::keyClicks(edit, "a-.+ xE$");
        EXPECT_EQ(edit->text(), "5") << e.control;
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), "") << e.control;
        QTest::keyClicks(edit, "123456");
        EXPECT_EQ(edit->text(), e.digits > 0 ? QString("123456").left(e.digits) : "123456") << e.control;
        edit->selectAll();
        QTest::keyClicks(edit, "99");
        EXPECT_EQ(edit->text(), "99") << e.control;
    }
}

TEST(SettingsDialog, KeysEnterAndEscape) {
    TListSettings settings;
    PrinterFont font;
    {
        TForm2 dialog(settings, font);
        dialog.show();
        auto* edit = Child<QLineEdit>(&dialog, "Edit9");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible()); // no default button
        auto* ok = Child<QPushButton>(&dialog, "Button1");
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    TForm2 dialog(settings, font);
    dialog.show();
    auto* edit = Child<QLineEdit>(&dialog, "Edit9");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(SettingsDialog, ConfirmedFontSurvivesCancel) {
    TListSettings settings;
    PrinterFont font;
    font.Color = 0x0000FF;
    {
        TForm2 dialog(settings, font);
        dialog.SetFontChooser([](const QFont& initial, QWidget*) -> std::optional<QFont> {
            EXPECT_EQ(initial.family(),
                      QFontInfo(QFont("IPAGothic")).family()); // what "ＭＳ ゴシック" is drawn in
            EXPECT_EQ(initial.pointSize(), 9);
            QFont chosen("IPAPGothic", 14);
            chosen.setBold(true);
            chosen.setStrikeOut(true);
            return chosen;
        });
        Child<QPushButton>(&dialog, "Button4")->click();
        // An installed family is shown alone, in the name the font database gives it.
        EXPECT_EQ(Child<QLabel>(&dialog, "Label19")->text(), QFontInfo(QFont("IPAPGothic")).family());
        EXPECT_EQ(Child<QLabel>(&dialog, "Label21")->text(), "");
        EXPECT_EQ(Child<QLabel>(&dialog, "Label20")->text(), "14");
        Child<QPushButton>(&dialog, "Button2")->click();
    }
    EXPECT_EQ(font, (PrinterFont{"IPAPGothic", 14, 0x0000FF, kBold | kStrikeOut}));

    // Cancelling the font dialog changes nothing; the labels still show the font.
    TForm2 dialog(settings, font);
    dialog.SetFontChooser([](const QFont&, QWidget*) { return std::optional<QFont>(); });
    Child<QLabel>(&dialog, "Label20")->setText("");
    Child<QPushButton>(&dialog, "Button4")->click();
    EXPECT_EQ(Child<QLabel>(&dialog, "Label20")->text(), "14");
    EXPECT_EQ(font, (PrinterFont{"IPAPGothic", 14, 0x0000FF, kBold | kStrikeOut}));
}

TEST(SettingsDialog, FontButtonRunsTheFontDialog) {
    TListSettings settings;
    PrinterFont font;
    TForm2 dialog(settings, font);
    WhenModal<QFontDialog>([](QFontDialog* fonts) {
        QFont chosen = fonts->currentFont();
        chosen.setPointSize(11);
        chosen.setUnderline(true);
        fonts->setCurrentFont(chosen);
        fonts->accept();
    });
    Child<QPushButton>(&dialog, "Button4")->click();
    EXPECT_EQ(font.Size, 11);
    EXPECT_EQ(font.Style, kUnderline);
    EXPECT_EQ(Child<QLabel>(&dialog, "Label20")->text(), "11");
}

TEST(PrinterFontDialog, OpensOnTheStoredFontAndOkWithoutAChangeKeepsIt) {
    const PrinterFont stored; // "ＭＳ ゴシック", 9 points, regular
    const PrinterFont bold{QStringLiteral("ＭＳ ゴシック"), 12, 0, kBold};
    for (const PrinterFont& start : {stored, bold}) {
        TListSettings settings;
        PrinterFont font = start;
        TForm2 dialog(settings, font);
        QFont shown;
        WhenModal<QFontDialog>([&](QFontDialog* fonts) {
            shown = fonts->currentFont();
            fonts->accept();
        });
        Child<QPushButton>(&dialog, "Button4")->click();
        EXPECT_EQ(QFontInfo(shown).family(), QFontInfo(QFont("ＭＳ ゴシック")).family());
        EXPECT_EQ(shown.pointSize(), start.Size);
        EXPECT_FALSE(shown.italic());
        EXPECT_EQ(font, start);
        // The page shows the font the pages are printed in, the stored Windows name beside it.
        EXPECT_EQ(Child<QLabel>(&dialog, "Label19")->text(), QFontInfo(QFont("ＭＳ ゴシック")).family());
        EXPECT_NE(Child<QLabel>(&dialog, "Label19")->text(), QStringLiteral("ＭＳ ゴシック"));
        EXPECT_EQ(Child<QLabel>(&dialog, "Label21")->text(), QStringLiteral("（ＭＳ ゴシック）"));
    }
}

TEST(PlacementPictures, RowOrderIsTheColumnOrderTransposed) {
    const QImage columns = PlacementPicture(PlacementOrder::ColumnByColumn);
    const QImage rows = PlacementPicture(PlacementOrder::RowByRow);
    ASSERT_EQ(columns.size(), QSize(32, 32));
    ASSERT_EQ(rows.size(), QSize(32, 32));
    EXPECT_NE(columns, rows);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(columns.pixel(x, y), rows.pixel(y, x)) << x << "," << y;
    // The arrow runs down the middle of the first column.
    EXPECT_EQ(QColor(columns.pixel(6, 15)), QColor(Qt::red));
    EXPECT_EQ(QColor(columns.pixel(15, 6)), QColor(Qt::white));
}

} // namespace
} // namespace plavik
