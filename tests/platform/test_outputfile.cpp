// The one writer of output files: whole files or the old ones, links, modes, read-only files, what
// is not a regular file, and the clean-up of temporary files of writers that were killed.
#include "platform/outputfile.h"
#include "support/sizelimit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

namespace plavik {
namespace {

class OutputFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString PathOf(const QString& name) const { return dir.filePath(name); }
    static std::filesystem::path Native(const QString& path) { return path.toStdString(); }

    void WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile f(PathOf(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray ReadFile(const QString& name) const {
        QFile f(PathOf(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Every entry of the folder, hidden ones included.
    QStringList Entries() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    mode_t ModeOf(const QString& name) const {
        struct stat st {};
        EXPECT_EQ(::stat(PathOf(name).toLocal8Bit().constData(), &st), 0);
        return st.st_mode & 07777;
    }
};

TEST_F(OutputFileTest, FailedWriteKeepsTheOldFileAndLeavesNothing) {
    const QByteArray old = "old bytes";
    WriteFile("out.png", old);
    const QByteArray big(8192, 'n');
    for (const bool inPlace : {false, true}) {
        std::optional<QString> error;
        {
            test::FileSizeLimit limit(4096);
            error = WriteWholeFile(Native(PathOf("out.png")), big, inPlace);
        }
        EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EFBIG))) << inPlace;
        EXPECT_EQ(ReadFile("out.png"), old);
        EXPECT_EQ(Entries(), QStringList{"out.png"});
    }
    // Through the device, as a PDF writer writes: the failure shows at Commit, whatever came after.
    {
        OutputFile file(Native(PathOf("out.png")));
        ASSERT_TRUE(file.Open());
        {
            test::FileSizeLimit limit(4096);
            file.Device().write(big);
        }
        file.Device().write("tail");
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.Error(), QString::fromLocal8Bit(std::strerror(EFBIG)));
    }
    EXPECT_EQ(ReadFile("out.png"), old);
    EXPECT_EQ(Entries(), QStringList{"out.png"});
    // A missing folder says so.
    EXPECT_EQ(WriteWholeFile(Native(PathOf("no/such.png")), "x"),
              QString::fromLocal8Bit(std::strerror(ENOENT)));
}

TEST_F(OutputFileTest, ABatchPutsItsFilesInPlaceOnlyWhenCommittedAndNamesThoseItCannot) {
    WriteFile("a.dxf", "old a");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    {
        OutputBatch batch;
        EXPECT_EQ(batch.Add(Native(PathOf("a.dxf")), "new a"), std::nullopt);
        EXPECT_EQ(batch.Add(Native(PathOf("b.dxf")), "new b"), std::nullopt);
        EXPECT_EQ(batch.Add(Native(PathOf("sub/c.dxf")), "new c"), std::nullopt);
        EXPECT_EQ(ReadFile("a.dxf"), "old a") << "not before the commit";
        EXPECT_FALSE(QFileInfo::exists(PathOf("b.dxf")));
        // A folder gone before the commit: its file fails, the others are put in place.
        ASSERT_TRUE(QDir(PathOf("sub")).removeRecursively());
        const auto failures = batch.Commit();
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].first, Native(PathOf("sub/c.dxf")));
        EXPECT_EQ(failures[0].second, QString::fromLocal8Bit(std::strerror(ENOENT)));
    }
    EXPECT_EQ(ReadFile("a.dxf"), "new a");
    EXPECT_EQ(ReadFile("b.dxf"), "new b");
    EXPECT_EQ(Entries(), (QStringList{"a.dxf", "b.dxf"}));
    // A batch dropped without its commit leaves the targets as they were, and no temporary file.
    {
        OutputBatch batch;
        EXPECT_EQ(batch.Add(Native(PathOf("a.dxf")), "dropped"), std::nullopt);
    }
    EXPECT_EQ(ReadFile("a.dxf"), "new a");
    EXPECT_EQ(Entries(), (QStringList{"a.dxf", "b.dxf"}));
}

TEST_F(OutputFileTest, LinksStayLinksAndTheirTargetsAreWritten) {
    WriteFile("real.png", "old");
    ASSERT_TRUE(QFile::link("real.png", PathOf("link.png")));
    ASSERT_TRUE(QFile::link("link.png", PathOf("chain.png")));
    ASSERT_TRUE(QFile::link("sub/new.png", PathOf("dangling.png")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    EXPECT_EQ(WriteWholeFile(Native(PathOf("chain.png")), "new"), std::nullopt);
    EXPECT_EQ(WriteWholeFile(Native(PathOf("dangling.png")), "created"), std::nullopt);
    for (const char* link : {"link.png", "chain.png", "dangling.png"})
        EXPECT_TRUE(QFileInfo(PathOf(link)).isSymLink()) << link;
    EXPECT_EQ(ReadFile("real.png"), "new");
    EXPECT_EQ(ReadFile("sub/new.png"), "created");
    EXPECT_EQ(Entries(), (QStringList{"chain.png", "dangling.png", "link.png", "real.png", "sub"}));
    // A loop of links is refused as such.
    ASSERT_TRUE(QFile::link("b", PathOf("a")));
    ASSERT_TRUE(QFile::link("a", PathOf("b")));
    EXPECT_EQ(WriteWholeFile(Native(PathOf("a")), "x"), QString::fromLocal8Bit(std::strerror(ELOOP)));
}

TEST_F(OutputFileTest, ModesAreKeptAndReadOnlyFilesRefused) {
    WriteFile("shared.png", "old");
    ASSERT_EQ(::chmod(PathOf("shared.png").toLocal8Bit().constData(), 0644), 0);
    EXPECT_EQ(WriteWholeFile(Native(PathOf("shared.png")), "new"), std::nullopt);
    EXPECT_EQ(ModeOf("shared.png"), 0644u);

    const mode_t oldMask = ::umask(027);
    const auto created = WriteWholeFile(Native(PathOf("fresh.png")), "new");
    ::umask(oldMask);
    EXPECT_EQ(created, std::nullopt);
    EXPECT_EQ(ModeOf("fresh.png"), 0640u);

    // Refused by mode, even for root, replaced or written in place.
    WriteFile("locked.png", "kept");
    ASSERT_EQ(::chmod(PathOf("locked.png").toLocal8Bit().constData(), 0444), 0);
    for (const bool inPlace : {false, true})
        EXPECT_EQ(WriteWholeFile(Native(PathOf("locked.png")), "new", inPlace),
                  QString::fromLocal8Bit(std::strerror(EACCES)));
    EXPECT_EQ(ReadFile("locked.png"), "kept");
    EXPECT_EQ(ModeOf("locked.png"), 0444u);
}

// A file written in place stays the same file: a reader that held it open reads the new bytes.
TEST_F(OutputFileTest, InPlaceKeepsTheFileAndPipesAreWrittenDirectly) {
    WriteFile("held.png", QByteArray(100, 'o'));
    const int held = ::open(PathOf("held.png").toLocal8Bit().constData(), O_RDONLY);
    ASSERT_GE(held, 0);
    EXPECT_EQ(WriteWholeFile(Native(PathOf("held.png")), "new", true), std::nullopt);
    char buffer[200] = {};
    EXPECT_EQ(::pread(held, buffer, sizeof buffer, 0), 3);
    EXPECT_EQ(QByteArray(buffer, 3), "new");
    ::close(held);

    const QString fifo = PathOf("fifo");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const int reader = ::open(fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (const bool hold : {false, true}) {
        OutputFile file(Native(fifo));
        ASSERT_TRUE(file.Open(hold));
        EXPECT_TRUE(file.Write("piped", 5));
        EXPECT_TRUE(file.Commit());
        EXPECT_EQ(::read(reader, buffer, sizeof buffer), 5) << hold;
    }
    ::close(reader);
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    EXPECT_EQ(Entries(), (QStringList{"fifo", "held.png"}));
}

TEST_F(OutputFileTest, StaleTemporariesAreRemovedAndLiveOnesKept) {
    // A process that has ended.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const QString dead = QStringLiteral(".out.png.plavik-%1-AbCdEf").arg(child);
    const QString ended = QStringLiteral(".out.png.plavik-%1-AbCdEf.lock").arg(child);
    const QString mine = QStringLiteral(".out.png.plavik-%1-AbCdEf").arg(::getpid());
    // A process that is running (the first one), with a file older than this process: its id was
    // taken again.
    const QString reused = QStringLiteral(".out.png.plavik-1-AbCdEf");
    const QString running = QStringLiteral(".out.png.plavik-1-GhIjKl");
    const QString other = QStringLiteral(".other.png.plavik-%1-AbCdEf").arg(child);
    for (const QString& name : {dead, ended, mine, reused, running, other})
        WriteFile(name, "partial");
    const utimbuf old{1000000000, 1000000000};
    ASSERT_EQ(::utime(PathOf(reused).toLocal8Bit().constData(), &old), 0);
    EXPECT_EQ(WriteWholeFile(Native(PathOf("out.png")), "new"), std::nullopt);
    QStringList left{mine, running, other, "out.png"};
    left.sort();
    EXPECT_EQ(Entries(), left);
}

} // namespace
} // namespace plavik
#endif
