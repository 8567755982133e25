// The installed tree: the programs and the desktop files where the desktop looks for them, naming
// the programs by the prefix given at install time.
#include "support/jwcwriter.h"
#include "toolrunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace plavik::test {
namespace {

// The key=value lines of a desktop-style file's one group, which must be `group`.
QMap<QString, QString> ReadEntryFile(const QString& path, const QString& group) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << path.toStdString();
    QMap<QString, QString> entries;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            EXPECT_FALSE(inGroup) << "a second group in " << path.toStdString();
            EXPECT_EQ(line, "[" + group + "]");
            inGroup = true;
            continue;
        }
        EXPECT_TRUE(inGroup) << line.toStdString();
        const qsizetype equals = line.indexOf('=');
        EXPECT_GT(equals, 0) << line.toStdString();
        entries.insert(line.left(equals), line.mid(equals + 1));
    }
    return entries;
}

struct MimeType {
    QStringList globs; // pattern, then "case-sensitive" attribute
    QStringList magic; // offset:value
};

QMap<QString, MimeType> ReadMimePackage(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QMap<QString, MimeType> types;
    QString current;
    bool root = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == u"mime-info") {
            root = xml.namespaceUri() == u"http://www.freedesktop.org/standards/shared-mime-info";
        } else if (xml.name() == u"mime-type") {
            current = a.value("type").toString();
        } else if (xml.name() == u"glob") {
            types[current].globs << a.value("pattern").toString() + " " +
                                        a.value("case-sensitive").toString();
        } else if (xml.name() == u"match") {
            types[current].magic << a.value("offset").toString() + ":" + a.value("value").toString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(root);
    return types;
}

TEST(ToolInstall, TreeForTheDesktop) {
    Scratch prefix;
    const QString root = prefix.Path("usr");
    const ToolRun install = RunProgram(
        PLAVIK_CMAKE_COMMAND, {"--install", PLAVIK_BINARY_DIR, "--prefix", root, "--component", "tools"});
    ASSERT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();

    const QString program = root + "/bin/plavik-render";
    EXPECT_TRUE(QFileInfo(program).isExecutable());

    const auto thumbnailer =
        ReadEntryFile(root + "/share/thumbnailers/plavik.thumbnailer", "Thumbnailer Entry");
    EXPECT_EQ(thumbnailer.value("Exec"), program + " thumbnailer -s %s %i %o");
    EXPECT_EQ(thumbnailer.value("TryExec"), program);
    EXPECT_EQ(thumbnailer.value("MimeType"),
              "application/x-jwk;application/x-jwc;application/x-jws;application/x-jww;");

    const auto desktop = ReadEntryFile(root + "/share/applications/plavik.desktop", "Desktop Entry");
    EXPECT_EQ(desktop.value("Type"), "Application");
    EXPECT_EQ(desktop.value("Name"), "Plavik");
    EXPECT_EQ(desktop.value("Exec"), root + "/bin/plavik %f");
    EXPECT_EQ(desktop.value("Terminal"), "false");
    EXPECT_EQ(desktop.value("Icon"), "plavik");
    EXPECT_EQ(desktop.value("MimeType"),
              "application/x-jwk;application/x-jwc;application/x-jws;application/x-jww;");

    // The icon in the hicolor theme, scalable and at each usual size.
    const QString icons = root + "/share/icons/hicolor/";
    EXPECT_TRUE(QFile::exists(icons + "scalable/apps/plavik.svg"));
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        EXPECT_EQ(QImage(icons + QString("%1x%1/apps/plavik.png").arg(size)).size(), QSize(size, size))
            << size;

    // The software centre's entry names the menu entry and the programs.
    QFile metainfo(root + "/share/metainfo/org.orvanta.plavik.metainfo.xml");
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    QXmlStreamReader info(&metainfo);
    QStringList seen;
    while (!info.atEnd()) {
        info.readNext();
        if (info.isStartElement() &&
            (info.name() == u"id" || info.name() == u"launchable" || info.name() == u"binary"))
            seen << info.name().toString() + "=" + info.readElementText();
    }
    EXPECT_FALSE(info.hasError()) << info.errorString().toStdString();
    EXPECT_EQ(seen, (QStringList{"id=org.orvanta.plavik", "launchable=plavik.desktop", "binary=plavik",
                                 "binary=plavik-render"}));

    // A manual page for each program.
    for (const QString& page : {QString("plavik"), QString("plavik-render")}) {
        QFile man(root + "/share/man/man1/" + page + ".1");
        ASSERT_TRUE(man.open(QIODevice::ReadOnly)) << page.toStdString();
        EXPECT_TRUE(man.readLine().startsWith(".TH " + page.toUpper().toUtf8() + " 1")) << page.toStdString();
    }

    const auto types = ReadMimePackage(root + "/share/mime/packages/plavik.xml");
    EXPECT_EQ(types.keys(), (QStringList{"application/x-jwc", "application/x-jwk", "application/x-jws",
                                         "application/x-jww"}));
    EXPECT_EQ(types.value("application/x-jwk").globs, QStringList{"*.jwk false"});
    EXPECT_EQ(types.value("application/x-jwk").magic, QStringList{"0:jw_cad(c)sym"});
    EXPECT_EQ(types.value("application/x-jwc").globs, QStringList{"*.jwc false"});
    EXPECT_EQ(types.value("application/x-jwc").magic, QStringList{"0:jw_cad(c)data"});
    EXPECT_EQ(types.value("application/x-jws").globs, QStringList{"*.jws false"});
    EXPECT_EQ(types.value("application/x-jws").magic, QStringList{"0:JwsData."});
    EXPECT_EQ(types.value("application/x-jww").globs, QStringList{"*.jww false"});
    EXPECT_EQ(types.value("application/x-jww").magic, QStringList{"0:JwwData."});

    // The thumbnailer's own command line, as a file manager fills it in, works from the installed tree,
    // also with nothing of the session in its environment (as in a sandbox), and leaves nothing behind.
    const QString input = prefix.Write("in.jwc", JwcWriter().Build());
    const QString output = prefix.Path("out.png");
    const QString temp = prefix.Path("tmp");
    ASSERT_TRUE(QDir().mkpath(temp));
    QStringList args = thumbnailer.value("Exec").split(' ');
    const QString exec = args.takeFirst();
    args.replaceInStrings("%s", "128").replaceInStrings("%i", input).replaceInStrings("%o", output);
    QProcess run;
    QProcessEnvironment bare;
    bare.insert("TMPDIR", temp);
    run.setProcessEnvironment(bare);
    run.start(exec, args);
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(output).size(), QSize(128, 91));
    EXPECT_EQ(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());

    // The shared-mime-info compiler accepts the package, where it is installed.
    const QString compiler = QStandardPaths::findExecutable("update-mime-database");
    if (!compiler.isEmpty()) {
        const ToolRun compiled = RunProgram(compiler, {root + "/share/mime"});
        EXPECT_EQ(compiled.exitCode, 0) << compiled.err.toStdString();
        EXPECT_TRUE(QFile::exists(root + "/share/mime/application/x-jwk.xml"));
        EXPECT_TRUE(QFile::exists(root + "/share/mime/application/x-jwc.xml"));
        EXPECT_TRUE(QFile::exists(root + "/share/mime/application/x-jww.xml"));
    }
}

TEST(ToolInstall, BothInstalledProgramsTellTheirVersion) {
    Scratch prefix;
    const QString root = prefix.Path("usr");
    const ToolRun install =
        RunProgram(PLAVIK_CMAKE_COMMAND, {"--install", PLAVIK_BINARY_DIR, "--prefix", root});
    ASSERT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();
    for (const QString& program : {QString("plavik"), QString("plavik-render")}) {
        // No display: the version needs no window.
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(root + "/bin/" + program, {"--version"});
        ASSERT_TRUE(process.waitForFinished(30000)) << program.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
        EXPECT_EQ(process.readAllStandardOutput(), (program + " " PLAVIK_VERSION "\n").toUtf8());
    }
}

} // namespace
} // namespace plavik::test
