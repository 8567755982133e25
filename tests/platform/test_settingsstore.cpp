#include "platform/settingsstore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "support/sizelimit.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifndef Q_OS_WIN
#include <utime.h>
#endif

namespace plavik {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    // QSettings caches files by path within a process, so every test gets paths of its own.
    QTemporaryDir dir;
    QString PathOf(const QString& name) const { return dir.filePath(name); }

    static void WriteFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray ReadFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static std::string ErrorOf(SettingsStore& store) {
        try {
            store.Flush();
        } catch (const StoreError& e) {
            return e.what();
        }
        return "no error";
    }
};

TEST_F(SettingsStoreTest, ReadsTextAndRefusesOtherTypes) {
    const QString path = PathOf("read.ini");
    WriteFile(path, "[S]\nPlain=$40\nQuoted=\" 64\"\nEmpty=\nList=1,2\nQuotedList=\"1,2\"\n"
                    "Number=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x1)\nRect=@Rect(1 2 3 4)\n"
                    "Nul=@String(64\\0junk)\nEscaped=@@x\nName=\xEF\xBC\xAD\xEF\xBC\xB3 x\n");
    auto store = OpenIniStore(path);
    const std::pair<const char*, std::optional<QString>> texts[] = {
        {"Plain", "$40"}, {"Quoted", " 64"}, {"Empty", ""},      {"QuotedList", "1,2"},
        {"Nul", "64"},    {"Escaped", "@x"}, {"Name", "ＭＳ x"}, {"Missing", std::nullopt},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(store->ReadText("S", name), text) << name;
    EXPECT_EQ(store->ReadText("Other", "Plain"), std::nullopt);
    for (const char* name : {"List", "Number", "Rect"}) {
        try {
            store->ReadText("S", name);
            ADD_FAILURE() << name << " read as text";
        } catch (const StoreError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(name) + "' のデータ型が不正です");
        }
    }
}

TEST_F(SettingsStoreTest, WrittenTextComesBackUnchanged) {
    const QString path = PathOf("write.ini");
    const QString texts[] = {" 64", "64 ", "1,2", "@x", "a;b=c\"d", "ＭＳ ゴシック", "-5", ""};
    {
        auto store = OpenIniStore(path);
        for (int i = 0; i < int(std::size(texts)); ++i)
            store->WriteText("S", QString("V%1").arg(i), texts[i]);
        store->WriteText("S", "Nul", QString::fromUtf8("ab\0cd", 5));
        store->Flush();
    }
    EXPECT_TRUE(ReadFile(path).contains("=\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4")) << "UTF-8 in the file";
    auto again = OpenIniStore(path);
    for (int i = 0; i < int(std::size(texts)); ++i)
        EXPECT_EQ(again->ReadText("S", QString("V%1").arg(i)), texts[i]);
    EXPECT_EQ(again->ReadText("S", "Nul"), "ab");
}

TEST_F(SettingsStoreTest, FailedSaveIsReportedWhereNothingCanBeWritten) {
    const QString folder = PathOf("folder.ini");
    ASSERT_TRUE(QDir().mkpath(folder));
    WriteFile(PathOf("plain"), "x");
    for (const auto& [path, error] :
         {std::pair{folder, EISDIR}, std::pair{PathOf("plain/under.ini"), ENOTDIR}}) {
        auto store = OpenIniStore(path);
        store->WriteText("S", "V", "1");
        EXPECT_EQ(ErrorOf(*store), "'" + QDir::toNativeSeparators(path).toStdString() +
                                       "' の設定に失敗しました: " + std::strerror(error));
    }
}

#ifndef Q_OS_WIN
// The old file stays whole when the new one cannot be written out: the write is cut short here by
// a file size limit, which holds even for root. The reason is told.
TEST_F(SettingsStoreTest, InterruptedSaveKeepsTheOldFile) {
    const QString path = PathOf("old.ini");
    const QByteArray old = "[S]\nV=old\n";
    WriteFile(path, old);
    auto store = OpenIniStore(path);
    store->WriteText("S", "V", QString(4096, u'y'));
    std::string error;
    {
        test::FileSizeLimit limit(1024);
        error = ErrorOf(*store);
    }
    EXPECT_EQ(error, "'" + QDir::toNativeSeparators(path).toStdString() +
                         "' の設定に失敗しました: " + std::strerror(EFBIG));
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.ini"})
        << "no temporary or lock file left";
}

// A read-only settings file is not rewritten behind the user's back; a linked one (a set of dotfiles)
// stays a link and its target takes the settings.
TEST_F(SettingsStoreTest, ReadOnlyFileIsKeptAndLinkedFileWrittenThrough) {
    const QString locked = PathOf("locked.ini");
    WriteFile(locked, "[S]\nV=old\n");
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    auto store = OpenIniStore(locked);
    store->WriteText("S", "V", "new");
    EXPECT_EQ(ErrorOf(*store), "'" + QDir::toNativeSeparators(locked).toStdString() +
                                   "' の設定に失敗しました: " + std::strerror(EACCES));
    EXPECT_EQ(ReadFile(locked), "[S]\nV=old\n");

    ASSERT_TRUE(QDir(dir.path()).mkdir("dotfiles"));
    WriteFile(PathOf("dotfiles/Plavik.ini"), "[S]\nV=old\n");
    const QString link = PathOf("Plavik.ini");
    ASSERT_TRUE(QFile::link("dotfiles/Plavik.ini", link));
    auto linked = OpenIniStore(link);
    linked->WriteText("S", "V", "new");
    EXPECT_EQ(ErrorOf(*linked), "no error");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadFile(PathOf("dotfiles/Plavik.ini")), "[S]\nV=new\n");
    EXPECT_EQ(QDir(PathOf("dotfiles")).entryList(QDir::Files | QDir::Hidden), QStringList{"Plavik.ini"});
}

#endif

#ifndef Q_OS_WIN
// Earlier versions left a temporary file and QSettings' lock file beside the settings file when they
// were killed during a save; a save removes those, and nothing of the user's.
TEST_F(SettingsStoreTest, LeftoversOfEarlierSavesAreRemoved) {
    const QString path = PathOf("Plavik.ini");
    const QStringList leftovers = {"Plavik.ini.a1B2c3", "Plavik.ini.Xy9Zq0.lock"};
    const QStringList kept = {"Plavik.ini.backup", "Plavik.ini.a1B2c3.old", "Plavik.ini"};
    for (const QString& name : leftovers + kept) {
        WriteFile(PathOf(name), "[S]\nV=1\n");
        const utimbuf old{1000000000, 1000000000};
        ASSERT_EQ(::utime(PathOf(name).toLocal8Bit().constData(), &old), 0);
    }
    auto store = OpenIniStore(path);
    store->WriteText("S", "V", "2");
    EXPECT_EQ(ErrorOf(*store), "no error");
    QStringList expected = kept;
    expected.sort();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}
#endif

TEST_F(SettingsStoreTest, DamagedFileIsNotRewritten) {
    const QString path = PathOf("damaged.ini");
    const QByteArray damaged = "[S]\nV=1\n[Broken\nstray line\n";
    WriteFile(path, damaged);
    auto store = OpenIniStore(path);
    EXPECT_EQ(store->ReadText("S", "V"), "1");
    store->WriteText("S", "V", "2");
    EXPECT_EQ(ErrorOf(*store),
              "設定ファイル '" + QDir::toNativeSeparators(path).toStdString() + "' の形式が不正です");
    store.reset();
    EXPECT_EQ(ReadFile(path), damaged);
}

#ifndef Q_OS_WIN
TEST_F(SettingsStoreTest, UserStoreIsOneFileWithoutFallbacks) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    WriteFile(PathOf("Orvanta.ini"), "[S]\nFromOrganisation=1\n");
    auto store = OpenUserStore();
    EXPECT_EQ(store->ReadText("S", "FromOrganisation"), std::nullopt);
    store->WriteText("Form", "BS", "1");
    store->Flush();
    EXPECT_EQ(ReadFile(PathOf("Orvanta/Plavik.ini")), "[Form]\nBS=1\n");
}
#endif

} // namespace
} // namespace plavik
