// find: the matching files one a line or as JSON, unreadable files on standard error, and the exit
// statuses; the index goes to a scratch cache folder.
#include "support/jwcwriter.h"
#include "support/jwwwriter.h"
#include "toolrunner.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace plavik::test {
namespace {

const std::string kBenki = "\x95\xd6\x8a\xed"; // "便器" in code page 932

class ToolFind : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(scratch_.Path("lib/b"));
        scratch_.Write("lib/Zu_name.dat", {'W', 'C', '\r', '\n'});
        scratch_.Write("lib/b/seat.jws", JwwWriter::Figure().Text(0, 0, 1, 0, kBenki).Bytes());
        scratch_.Write("lib/toilet.jws", JwwWriter::Figure().Text(0, 0, 1, 0, "W" + kBenki).Bytes());
    }

    ToolRun Find(QStringList arguments) {
        arguments.prepend(QStringLiteral("find"));
        const QString cache = scratch_.Path("cache");
        return RunTool(arguments, QString(), [cache](QProcess& process) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
            process.setProcessEnvironment(env);
        });
    }

    Scratch scratch_;
};

TEST_F(ToolFind, PrintsMatchingPathsSortedByName) {
    const ToolRun run = Find({scratch_.Path("lib"), QStringLiteral("便器")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(run.out),
              scratch_.Path("lib/b/seat.jws") + u'\n' + scratch_.Path("lib/toilet.jws") + u'\n');
    EXPECT_TRUE(run.err.isEmpty());
    // The window's index, in the user's cache folder.
    EXPECT_TRUE(QFile::exists(scratch_.Path("cache/Orvanta/Plavik/search.sqlite")));
}

TEST_F(ToolFind, JsonGivesTitleAndTheTextMatched) {
    const ToolRun run = Find(
        {QStringLiteral("--json"), scratch_.Path("lib"), QStringLiteral("wc"), QStringLiteral("べんき")});
    ASSERT_EQ(run.exitCode, 1) << run.err.toStdString(); // hiragana is not kanji
    EXPECT_EQ(run.out, "[]\n");

    const ToolRun found = Find(
        {scratch_.Path("lib"), QStringLiteral("ｗｃ"), QStringLiteral("便器"), QStringLiteral("--json")});
    ASSERT_EQ(found.exitCode, 0) << found.err.toStdString();
    const QJsonArray hits = QJsonDocument::fromJson(found.out).array();
    ASSERT_EQ(hits.size(), 1);
    const QJsonObject hit = hits[0].toObject();
    EXPECT_EQ(hit.value("path").toString(), scratch_.Path("lib/toilet.jws"));
    EXPECT_EQ(hit.value("title").toString(), QStringLiteral("WC"));
    EXPECT_EQ(hit.value("match").toString(), QStringLiteral("WC"));
}

TEST_F(ToolFind, UnreadableFilesOnStandardErrorAndExitStatuses) {
    const JwcWriter drawing = JwcWriter().Text(0, 0, 1, 1, kBenki);
    const QString cut = scratch_.Write("lib/cut.jwc", drawing.Build(drawing.Build().size() - 30));
    const ToolRun run = Find({scratch_.Path("lib"), QStringLiteral("便器")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.count('\n'), 2);
    const QStringList errors = ErrorLines(run);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("plavik-render: ") + cut + QStringLiteral(": ")))
        << errors[0].toStdString();

    EXPECT_EQ(Find({scratch_.Path("lib"), QStringLiteral("見当たらない")}).exitCode, 1);
    EXPECT_EQ(Find({scratch_.Path("lib")}).exitCode, 2);
    EXPECT_EQ(Find({scratch_.Path("lib"), QStringLiteral("x"), QStringLiteral("--jsn")}).exitCode, 2);
    const ToolRun missing = Find({scratch_.Path("none"), QStringLiteral("便器")});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_TRUE(missing.out.isEmpty());
}

} // namespace
} // namespace plavik::test
