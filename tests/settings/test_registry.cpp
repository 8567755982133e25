#include "settings/registry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <climits>
#include <map>
#include <ostream>
#include <vector>

// Texts in failure messages.
static std::ostream& operator<<(std::ostream& os, const QString& text) {
    return os << text.toStdString();
}

namespace plavik {
namespace {

// Every value in its stored order, with the text that the defaults save as.
const char* const kDefaultTexts =
    "Form/Height=450 Form/Width=600 Form/Left=0 Form/Top=0 Form/BS=0 ApplicationSet/IconSize=48 "
    "ApplicationSet/IconSize2=100 ApplicationSet/ViewToolBar=1 ApplicationSet/ViewQuickView=1 "
    "ApplicationSet/ViewStatusBar=1 ApplicationSet/UnKnownJwk=0 ApplicationSet/UnKnownJwc=0 "
    "PageSet/MarginLeft=20 PageSet/MarginTop=20 PageSet/MarginRight=20 PageSet/MarginBottom=20 "
    "PrinterFontSet/Name=ＭＳ_ゴシック PrinterFontSet/Size=9 PrinterFontSet/Color=0 PrinterFontSet/Bold=0 "
    "PrinterFontSet/Italic=0 PrinterFontSet/Underline=0 PrinterFontSet/Strikeout=0 ImageSet/ImageSize=20 "
    "ImageSet/ImageSize2=40 ImageSet/SpaceR=2 ImageSet/SpaceB=2 ImageSet/SpaceR2=5 ImageSet/SpaceB2=5 "
    "ImageSet/prFileName=1 ImageSet/prFileSize=1 ImageSet/prFileDate=1 ImageSet/prBorder=1 ImageSet/prText=1 "
    "ImageSet/prPos=1 ImageSet/prAddLine=1 ImageSet/prcFileName=1 ImageSet/prcComment=1 "
    "ImageSet/prcFileSize=1 ImageSet/prcFileDate=1 ImageSet/prcBorder=1 ImageSet/prcTextMode=2 "
    "ImageSet/prcAddLine=1 ColorSet/Back=16777215 ColorSet/Pen1=0 ColorSet/Pen2=0 ColorSet/Pen3=0 "
    "ColorSet/Pen4=0 ColorSet/Pen5=0 ColorSet/Pen6=0 ColorSet/Text=0 ColorSet/Pos=0 ColorSet/Border=0 "
    "PageSet/Header=0 ImageSet/prcFitContent=0";

// A store in memory that logs the order of reads and writes.
class LogStore : public SettingsStore {
public:
    std::map<QString, QString> values;
    QStringList reads, writes;
    int flushes = 0;
    std::optional<QString> ReadText(const QString& section, const QString& name) override {
        reads << section + '/' + name;
        auto it = values.find(section + '/' + name);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    void WriteText(const QString& section, const QString& name, const QString& text) override {
        writes << section + '/' + name + '=' + QString(text).replace(' ', '_');
        values[section + '/' + name] = text;
    }
    void Flush() override { ++flushes; }
};

class RegistryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    int files = 0;
    // QSettings caches by path: a fresh file for every store a test writes by hand.
    QString FreshPath() { return dir.filePath(QString("s%1.ini").arg(++files)); }
    QString HandWritten(const QByteArray& ini) {
        const QString path = FreshPath();
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ini);
        return path;
    }
    // Stores one text through the INI store and loads the whole state back.
    LoadResult LoadWith(const QString& section, const QString& name, const QString& text) {
        const QString path = FreshPath();
        auto store = OpenIniStore(path);
        store->WriteText(section, name, text);
        store->Flush();
        return LoadSettings(*OpenIniStore(path));
    }
};

TEST_F(RegistryTest, FirstRunGivesTheDefaultsInStoredOrder) {
    LogStore store;
    const LoadResult loaded = LoadSettings(store);
    EXPECT_FALSE(loaded.error);
    const QStringList loadOrder = store.reads;
    SaveSettings(store, loaded.state, true);
    EXPECT_EQ(store.writes.join(' '), kDefaultTexts);
    EXPECT_EQ(store.flushes, 1);
    QStringList names;
    for (const QString& w : store.writes)
        names << w.section('=', 0, 0);
    EXPECT_EQ(loadOrder.join(' '), names.join(' ')) << "loaded in the order saved";

    // The record's own initial values agree with the stored defaults.
    LogStore fresh;
    SaveSettings(fresh, StoredState{}, true);
    EXPECT_EQ(fresh.writes, store.writes);
    EXPECT_EQ(loaded.state.geometry, WindowGeometry{});
    EXPECT_EQ(loaded.state.font, PrinterFont{});
}

TEST_F(RegistryTest, IntegersAndBooleansConvertOrFallBack) {
    const std::pair<QString, int> integers[] = {
        {" 64", 64},        {"64 ", 20},  {"6a", 20},
        {"$40", 64},        {"0x40", 64}, {"-5", -5},
        {"2147483648", 20}, {"", 20},     {"2147483647", INT_MAX},
    };
    for (const auto& [text, expected] : integers)
        EXPECT_EQ(LoadWith("ImageSet", "ImageSize", text).state.settings.ImageSize, expected) << text;
    const std::tuple<QString, bool, bool> booleans[] = {
        {"2", true, true},  {"-1", true, true},   {"0", false, false}, {"$0", false, false},
        {" 1", true, true}, {"abc", true, false}, {"", true, false},
    };
    for (const auto& [text, toolBar, unknownJwk] : booleans) {
        EXPECT_EQ(LoadWith("ApplicationSet", "ViewToolBar", text).state.settings.ViewToolBar, toolBar)
            << text;
        EXPECT_EQ(LoadWith("ApplicationSet", "UnKnownJwk", text).state.settings.UnKnownJwk, unknownJwk)
            << text;
    }
}

TEST_F(RegistryTest, ThumbnailSizesAreClampedToWhatIsDrawn) {
    const std::pair<QString, int> sizes[] = {{"20000", 512}, {"60000", 512}, {"513", 512}, {"512", 512},
                                             {"16", 16},     {"15", 16},     {"0", 16},    {"-7", 16}};
    for (const auto& [text, expected] : sizes) {
        EXPECT_EQ(LoadWith("ApplicationSet", "IconSize", text).state.settings.IconSize, expected) << text;
        EXPECT_EQ(LoadWith("ApplicationSet", "IconSize2", text).state.settings.IconSize2, expected) << text;
    }
    EXPECT_EQ(LoadWith("ApplicationSet", "IconSize2", "abc").state.settings.IconSize2, 100);
}

TEST_F(RegistryTest, MaximisedWindowKeepsItsLastNormalBounds) {
    const QString path = HandWritten("[Form]\nBS=1\nHeight=300\n");
    LoadResult loaded = LoadSettings(*OpenIniStore(path));
    EXPECT_EQ(loaded.state.geometry, (WindowGeometry{300, 600, 0, 0, true}));
    loaded.state.geometry.Height = 1024; // what a maximised window reports
    SaveSettings(*OpenIniStore(path), loaded.state, false);
    auto store = OpenIniStore(path);
    EXPECT_EQ(store->ReadText("Form", "Height"), "300");
    EXPECT_EQ(store->ReadText("Form", "Width"), std::nullopt);
    EXPECT_EQ(store->ReadText("Form", "BS"), "1");

    LogStore log;
    SaveSettings(log, StoredState{}, false); // minimised: no bounds, BS "0"
    EXPECT_EQ(log.writes.first(), "Form/BS=0");
}

TEST_F(RegistryTest, WrongTypeStopsTheLoadAndSurvivesTheSave) {
    const QString path = HandWritten("[Form]\nHeight=300\n[ApplicationSet]\nIconSize=64\nIconSize2=1,2\n"
                                     "ViewToolBar=0\n[PageSet]\nMarginLeft=7\n[ColorSet]\nBack=255\n");
    LoadResult loaded = LoadSettings(*OpenIniStore(path));
    ASSERT_TRUE(loaded.error);
    EXPECT_EQ(*loaded.error, "'IconSize2' のデータ型が不正です");
    EXPECT_EQ(loaded.state.geometry.Height, 300);
    EXPECT_EQ(loaded.state.settings.IconSize, 64);
    EXPECT_EQ(loaded.state.settings.IconSize2, 100);
    EXPECT_TRUE(loaded.state.settings.ViewToolBar);
    EXPECT_EQ(loaded.state.settings.MarginLeft, 20);
    EXPECT_EQ(loaded.state.settings.Colors[kBack], 0xFFFFFFu);
    EXPECT_EQ(loaded.state.font.Size, 9);

    // Values the load never reached keep what is stored unless the program changed them.
    loaded.state.settings.MarginTop = 33;
    SaveSettings(*OpenIniStore(path), loaded.state, true);
    {
        auto store = OpenIniStore(path);
        EXPECT_THROW(store->ReadText("ApplicationSet", "IconSize2"), StoreError);
        EXPECT_EQ(store->ReadText("ApplicationSet", "ViewToolBar"), "0");
        EXPECT_EQ(store->ReadText("PageSet", "MarginLeft"), "7");
        EXPECT_EQ(store->ReadText("PageSet", "MarginTop"), "33");
        EXPECT_EQ(store->ReadText("ColorSet", "Back"), "255");
        EXPECT_EQ(store->ReadText("ColorSet", "Pen1"), std::nullopt);
    }
    // Changing the unreadable value itself repairs the store.
    loaded.state.settings.IconSize2 = 120;
    SaveSettings(*OpenIniStore(path), loaded.state, true);
    const LoadResult repaired = LoadSettings(*OpenIniStore(path));
    EXPECT_FALSE(repaired.error);
    EXPECT_EQ(repaired.state.settings.IconSize2, 120);
    EXPECT_FALSE(repaired.state.settings.ViewToolBar);
    EXPECT_EQ(repaired.state.settings.MarginLeft, 7);
    EXPECT_EQ(repaired.state.settings.Colors[kBack], 255u);
}

// A file written by hand with awkward values, loaded and saved again, value by value.
TEST_F(RegistryTest, HandWrittenFileSavesBackNormalised) {
    const QString path = HandWritten(
        "[ApplicationSet]\nIconSize=\" 64\"\nIconSize2=$40\nViewToolBar=2\nViewStatusBar=abc\n"
        "[PageSet]\nMarginLeft=0x10\nMarginTop=-0\n[PrinterFontSet]\nName=\xEF\xBC\xAD\xEF\xBC\xB3 明朝\n"
        "Color=-5\nBold=1\nUnderline=-1\nItalic=0\n[ImageSet]\nprcTextMode=7\n"
        "[ColorSet]\nBack=$FFFFFFFF\nBorder=12345\n[Other]\nKept=yes\n");
    const LoadResult loaded = LoadSettings(*OpenIniStore(path));
    EXPECT_FALSE(loaded.error);
    EXPECT_EQ(loaded.state.font, (PrinterFont{"ＭＳ 明朝", 9, 0xFFFFFFFBu, kBold | kUnderline}));
    SaveSettings(*OpenIniStore(path), loaded.state, true);
    auto store = OpenIniStore(path);
    const std::tuple<const char*, const char*, const char*> expected[] = {
        {"ApplicationSet", "IconSize", "64"},    {"ApplicationSet", "IconSize2", "64"},
        {"ApplicationSet", "ViewToolBar", "1"},  {"ApplicationSet", "ViewStatusBar", "1"},
        {"PageSet", "MarginLeft", "16"},         {"PageSet", "MarginTop", "0"},
        {"PrinterFontSet", "Name", "ＭＳ 明朝"}, {"PrinterFontSet", "Color", "-5"},
        {"PrinterFontSet", "Bold", "1"},         {"PrinterFontSet", "Italic", "0"},
        {"PrinterFontSet", "Underline", "1"},    {"PrinterFontSet", "Strikeout", "0"},
        {"ImageSet", "prcTextMode", "7"},        {"ColorSet", "Back", "-1"},
        {"ColorSet", "Border", "12345"},         {"Other", "Kept", "yes"},
    };
    for (const auto& [section, name, text] : expected)
        EXPECT_EQ(store->ReadText(section, name), QString(text)) << section << '/' << name;
}

// The header option came after the other values: a store without it loads as before, with the header
// off, and the option is kept under its own name.
// So did the fit to the drawn content, off by default too.
TEST_F(RegistryTest, LaterValuesAreOffByDefault) {
    const QString old = HandWritten("[PageSet]\nMarginLeft=7\n[ColorSet]\nBorder=5\n");
    const LoadResult loaded = LoadSettings(*OpenIniStore(old));
    EXPECT_FALSE(loaded.error);
    EXPECT_FALSE(loaded.state.settings.PageHeader);
    EXPECT_FALSE(loaded.state.settings.prcFitContent);
    EXPECT_EQ(loaded.state.settings.MarginLeft, 7);
    EXPECT_TRUE(LoadWith("PageSet", "Header", "1").state.settings.PageHeader);
    EXPECT_TRUE(LoadWith("ImageSet", "prcFitContent", "1").state.settings.prcFitContent);

    // Saved and loaded again it stays on.
    StoredState state;
    state.settings.prcFitContent = true;
    const QString path = FreshPath();
    SaveSettings(*OpenIniStore(path), state, true);
    EXPECT_EQ(OpenIniStore(path)->ReadText("ImageSet", "prcFitContent"), "1");
    EXPECT_TRUE(LoadSettings(*OpenIniStore(path)).state.settings.prcFitContent);
}

TEST_F(RegistryTest, FailedSaveComesBackAsStoreError) {
    const QString path = FreshPath();
    QFile file(path); // a file where the folder should be
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_THROW(SaveSettings(*OpenIniStore(path + "/plavik.ini"), StoredState{}, true), StoreError);
}

} // namespace
} // namespace plavik
