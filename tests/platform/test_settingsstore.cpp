#include "platform/settingsstore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
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
    for (const QString& path : {folder, PathOf("plain/under.ini")}) {
        auto store = OpenIniStore(path);
        store->WriteText("S", "V", "1");
        EXPECT_EQ(ErrorOf(*store),
                  "'" + QDir::toNativeSeparators(path).toStdString() + "' の設定に失敗しました");
    }
}

#ifndef Q_OS_WIN
// The old file stays whole when the new one cannot be written out: the write is cut short here by
// a file size limit, which holds even for root.
TEST_F(SettingsStoreTest, InterruptedSaveKeepsTheOldFile) {
    const QString path = PathOf("old.ini");
    const QByteArray old = "[S]\nV=old\n";
    WriteFile(path, old);
    auto store = OpenIniStore(path);
    store->WriteText("S", "V", QString(4096, u'y'));
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string error = ErrorOf(*store);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, "'" + QDir::toNativeSeparators(path).toStdString() + "' の設定に失敗しました");
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.ini"}) << "no temporary left";
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
