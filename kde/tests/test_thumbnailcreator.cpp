// The KDE thumbnail plugin, loaded as KDE's thumbnail worker loads it and asked for pictures of the
// sample files; and, where KDE's thumbnail worker is installed, the whole way through KIO::PreviewJob.
#include <KFileItem>
#include <KIO/PreviewJob>
#include <KIO/ThumbnailCreator>
#include <KPluginFactory>
#include <KPluginMetaData>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLibraryInfo>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <ostream>

// Texts in test messages as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Given on the command line by the ctest entry.
struct Paths {
    QString render;    // the built plavik-render
    QString mainBuild; // Plavik's build folder, to install from
    QString cmake;
    QString source; // Plavik's source folder: the samples and the MIME package
} paths;

// Whether this process knows Plavik's MIME types (see InstallMimeTypes).
bool mimeTypesInstalled = false;

struct Sample {
    const char* file; // under samples/
    const char* mimeType;
    bool figure; // figures are square, drawings are not
};

const Sample kSamples[] = {
    {"figures/door.jwk", "application/x-jwk", true},
    {"drawings/site.jwc", "application/x-jwc", false},
    {"jws-figures/table.jws", "application/x-jws", true},
    {"jww-drawings/plan.jww", "application/x-jww", false},
};

QString SamplePath(const Sample& sample) {
    return paths.source + QStringLiteral("/samples/") + QString::fromUtf8(sample.file);
}

struct Run {
    int exitCode = -1;
    QByteArray err;
};

Run RunProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not finish";
        return run;
    }
    run.err = process.readAllStandardError();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

// Sets an environment variable for one test and puts the old value back.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~EnvironmentOverride() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// Qt's plugin folder relative to Qt's prefix: where the plugin must be under the prefix /usr.
QString QtPluginDirInPrefix() {
    return QDir(QLibraryInfo::location(QLibraryInfo::PrefixPath))
        .relativeFilePath(QLibraryInfo::location(QLibraryInfo::PluginsPath));
}

// Installs plavik-render and the plugin into prefix, as "cmake --install" does.
void InstallInto(const QString& prefix) {
    for (const QString& component : {QStringLiteral("tools"), QStringLiteral("kde")}) {
        const Run run =
            RunProgram(paths.cmake, {QStringLiteral("--install"), paths.mainBuild, QStringLiteral("--prefix"),
                                     prefix, QStringLiteral("--component"), component});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
}

std::unique_ptr<KIO::ThumbnailCreator> LoadCreator(const QString& pluginFile) {
    const KPluginMetaData metaData(pluginFile);
    EXPECT_TRUE(metaData.isValid()) << pluginFile.toStdString();
    auto result = KPluginFactory::instantiatePlugin<KIO::ThumbnailCreator>(metaData);
    EXPECT_TRUE(result) << result.errorString.toStdString();
    return std::unique_ptr<KIO::ThumbnailCreator>(result.plugin);
}

KIO::ThumbnailResult Create(KIO::ThumbnailCreator& creator, const QString& file, const QString& mimeType,
                            int side) {
    return creator.create(
        KIO::ThumbnailRequest(QUrl::fromLocalFile(file), QSize(side, side), mimeType, 1.0, 0));
}

// What plavik-render's thumbnailer draws of the file by itself.
QImage DrawnByPlavikRender(const QString& file, int side) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.png"));
    const Run run = RunProgram(paths.render, {QStringLiteral("thumbnailer"), QStringLiteral("-s"),
                                              QString::number(side), file, out});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QImage(out);
}

// How many pixels differ from the most common colour (the background).
int DrawnPixels(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[rgb.pixel(x, y)];
    int most = 0;
    for (const auto& [colour, count] : counts)
        most = std::max(most, count);
    return rgb.width() * rgb.height() - most;
}

// The checks every good picture passes: the size asked for, something drawn, and plavik-render's own
// pixels.
void ExpectThumbnailOf(const KIO::ThumbnailResult& result, const Sample& sample, int side) {
    ASSERT_TRUE(result.isValid()) << sample.file;
    const QImage image = result.image();
    ASSERT_FALSE(image.isNull()) << sample.file;
    EXPECT_EQ(std::max(image.width(), image.height()), side) << sample.file;
    if (sample.figure)
        EXPECT_EQ(image.width(), image.height()) << sample.file;
    else
        EXPECT_LT(std::min(image.width(), image.height()), side * 3 / 4) << sample.file;
    EXPECT_GT(DrawnPixels(image), side) << sample.file << " looks blank";
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
              DrawnByPlavikRender(SamplePath(sample), side).convertToFormat(QImage::Format_RGB32))
        << sample.file;
}

TEST(KdeThumbnailer, MetadataNamesPlaviksFourMimeTypes) {
    QFile package(paths.source + QStringLiteral("/tools/plavik-render/data/plavik-mime.xml"));
    ASSERT_TRUE(package.open(QIODevice::ReadOnly));
    QSet<QString> packaged;
    const QRegularExpression type(QStringLiteral("<mime-type type=\"([^\"]+)\""));
    for (auto it = type.globalMatch(QString::fromUtf8(package.readAll())); it.hasNext();)
        packaged.insert(it.next().captured(1));
    ASSERT_EQ(packaged.size(), 4);

    const KPluginMetaData metaData(QStringLiteral(PLAVIK_PLUGIN_FILE));
    ASSERT_TRUE(metaData.isValid());
    const QStringList types = metaData.mimeTypes();
    EXPECT_EQ(QSet<QString>(types.begin(), types.end()), packaged);
    EXPECT_TRUE(metaData.rawData().value(QStringLiteral("CacheThumbnail")).toBool());
}

TEST(KdeThumbnailer, InstalledPluginRunsThePlavikRenderBesideIt) {
    QTemporaryDir scratch;
    const QString prefix = scratch.filePath(QStringLiteral("usr"));
    ASSERT_NO_FATAL_FAILURE(InstallInto(prefix));
    // Installed under the prefix /usr, the plugin is in the folder where Qt 5 looks for plugins.
    EXPECT_EQ(QStringLiteral(PLAVIK_THUMBCREATOR_DIR),
              QtPluginDirInPrefix() + QStringLiteral("/kf5/thumbcreator"));
    const QString plugin = prefix + QStringLiteral("/" PLAVIK_THUMBCREATOR_DIR "/plavikthumbnail.so");
    ASSERT_TRUE(QFileInfo::exists(plugin)) << plugin.toStdString();

    // Nothing on PATH: only the installed program can draw.
    EnvironmentOverride path("PATH", QFile::encodeName(scratch.filePath(QStringLiteral("empty"))));
    auto creator = LoadCreator(plugin);
    ASSERT_TRUE(creator);
    for (const Sample& sample : kSamples)
        ExpectThumbnailOf(Create(*creator, SamplePath(sample), QString::fromUtf8(sample.mimeType), 128),
                          sample, 128);
    // The longer side follows the smaller side of the size asked for.
    const KIO::ThumbnailResult wide =
        creator->create(KIO::ThumbnailRequest(QUrl::fromLocalFile(SamplePath(kSamples[3])), QSize(300, 96),
                                              QStringLiteral("application/x-jww"), 1.0, 0));
    ExpectThumbnailOf(wide, kSamples[3], 96);
}

TEST(KdeThumbnailer, FilesThatAreNoFigureOrDrawingGiveNoPicture) {
    QTemporaryDir scratch;
    const QString fake = scratch.filePath(QStringLiteral("fake.jws"));
    QFile file(fake);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("JwsDat? not a figure at all\n");
    file.close();

    EnvironmentOverride path("PATH", QFile::encodeName(QFileInfo(paths.render).absolutePath()));
    auto creator = LoadCreator(QStringLiteral(PLAVIK_PLUGIN_FILE));
    ASSERT_TRUE(creator);
    for (const QString& input : {fake, scratch.filePath(QStringLiteral("missing.jwk"))}) {
        const KIO::ThumbnailResult result = Create(*creator, input, QStringLiteral("application/x-jws"), 128);
        EXPECT_FALSE(result.isValid()) << input.toStdString();
        EXPECT_TRUE(result.image().isNull()) << input.toStdString();
    }
    // Only local files can be handed to plavik-render.
    const KIO::ThumbnailResult remote =
        creator->create(KIO::ThumbnailRequest(QUrl(QStringLiteral("sftp://host/door.jwk")), QSize(128, 128),
                                              QStringLiteral("application/x-jwk"), 1.0, 0));
    EXPECT_FALSE(remote.isValid());
    EXPECT_TRUE(remote.image().isNull());
    // The same creator still draws a good file afterwards.
    ExpectThumbnailOf(Create(*creator, SamplePath(kSamples[0]), QStringLiteral("application/x-jwk"), 64),
                      kSamples[0], 64);
}

TEST(KdeThumbnailer, PluginWithoutPlavikRenderBesideItLooksOnPath) {
    // The plugin in an installed layout, but no plavik-render in the prefix's bin folder.
    QTemporaryDir scratch;
    const QString pluginDir = scratch.filePath(QStringLiteral("usr/" PLAVIK_THUMBCREATOR_DIR));
    ASSERT_TRUE(QDir().mkpath(pluginDir));
    const QString plugin = pluginDir + QStringLiteral("/plavikthumbnail.so");
    ASSERT_TRUE(QFile::copy(QStringLiteral(PLAVIK_PLUGIN_FILE), plugin));
    const QString binDir = scratch.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(binDir));
    ASSERT_TRUE(QFile::link(paths.render, binDir + QStringLiteral("/plavik-render")));

    auto creator = LoadCreator(plugin);
    ASSERT_TRUE(creator);
    {
        EnvironmentOverride path(
            "PATH", QFile::encodeName(scratch.filePath(QStringLiteral("empty")) + QLatin1Char(':') + binDir));
        ExpectThumbnailOf(Create(*creator, SamplePath(kSamples[1]), QStringLiteral("application/x-jwc"), 100),
                          kSamples[1], 100);
    }
    {
        // Nowhere to be found: a failure, not a hang or a crash.
        EnvironmentOverride path("PATH", QFile::encodeName(scratch.filePath(QStringLiteral("empty"))));
        const KIO::ThumbnailResult result =
            Create(*creator, SamplePath(kSamples[1]), QStringLiteral("application/x-jwc"), 100);
        EXPECT_FALSE(result.isValid());
        EXPECT_TRUE(result.image().isNull());
    }
}

// KDE's file manager asks for previews through KIO::PreviewJob, which hands each file to the thumbnail
// worker (kio-extras) in a process of its own; the worker picks the plugin by the file's MIME type.
TEST(KdeThumbnailer, PreviewJobDrawsThroughTheThumbnailWorker) {
    const QString worker =
        QLibraryInfo::location(QLibraryInfo::PluginsPath) + QStringLiteral("/kf5/kio/thumbnail.so");
    if (!QFileInfo::exists(worker))
        GTEST_SKIP() << "KDE's thumbnail worker (kio-extras) is not installed";
    if (!mimeTypesInstalled)
        GTEST_SKIP() << "update-mime-database (shared-mime-info) is not installed";

    QTemporaryDir scratch;
    const QString prefix = scratch.filePath(QStringLiteral("usr"));
    ASSERT_NO_FATAL_FAILURE(InstallInto(prefix));
    const QString pluginRoot = prefix + QStringLiteral("/") + QtPluginDirInPrefix();
    // The job looks for plugins in this process, the worker in its own.
    QCoreApplication::addLibraryPath(pluginRoot);
    EnvironmentOverride pluginPath("QT_PLUGIN_PATH", QFile::encodeName(pluginRoot));
    EnvironmentOverride cache("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("cache"))));
    EnvironmentOverride fork("KDE_FORK_SLAVES", "1");
    ASSERT_TRUE(KIO::PreviewJob::availablePlugins().contains(QStringLiteral("plavikthumbnail")));

    KFileItemList items;
    for (const Sample& sample : kSamples)
        items.append(KFileItem(QUrl::fromLocalFile(SamplePath(sample)), QString::fromUtf8(sample.mimeType),
                               KFileItem::Unknown));
    const QString fake = scratch.filePath(QStringLiteral("fake.jwk"));
    QFile file(fake);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a figure\n");
    file.close();
    items.append(
        KFileItem(QUrl::fromLocalFile(fake), QStringLiteral("application/x-jwk"), KFileItem::Unknown));

    const QStringList plugins{QStringLiteral("plavikthumbnail")};
    auto* job = new KIO::PreviewJob(items, QSize(128, 128), &plugins);
    std::map<QString, QImage> previews;
    QStringList failed;
    QObject::connect(job, &KIO::PreviewJob::gotPreview, [&](const KFileItem& item, const QPixmap& preview) {
        previews[item.localPath()] = preview.toImage();
    });
    QObject::connect(job, &KIO::PreviewJob::failed,
                     [&](const KFileItem& item) { failed.append(item.localPath()); });
    QEventLoop loop;
    QObject::connect(job, &KJob::result, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();

    EXPECT_EQ(failed, QStringList{fake});
    ASSERT_EQ(previews.size(), std::size(kSamples));
    for (const Sample& sample : kSamples) {
        const QImage& preview = previews[SamplePath(sample)];
        EXPECT_EQ(preview.convertToFormat(QImage::Format_RGB32),
                  DrawnByPlavikRender(SamplePath(sample), 128).convertToFormat(QImage::Format_RGB32))
            << sample.file;
    }
}

// KDE's preview job picks the plugin by a file's MIME type, which it knows only when the MIME database
// does: Plavik's package goes into a data folder of this run's own before anything reads the database,
// for this process and the workers it starts.
std::unique_ptr<QTemporaryDir> InstallMimeTypes() {
    const QString compiler = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (compiler.isEmpty())
        return nullptr;
    auto dataHome = std::make_unique<QTemporaryDir>();
    const QString packages = dataHome->filePath(QStringLiteral("mime/packages"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome->path()));
    if (!QDir().mkpath(packages) ||
        !QFile::copy(paths.source + QStringLiteral("/tools/plavik-render/data/plavik-mime.xml"),
                     packages + QStringLiteral("/plavik.xml")) ||
        QProcess::execute(compiler, {dataHome->filePath(QStringLiteral("mime"))}) != 0)
        return nullptr;
    mimeTypesInstalled = true;
    return dataHome;
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s PLAVIK_RENDER PLAVIK_BUILD_DIR CMAKE PLAVIK_SOURCE_DIR\n", argv[0]);
        return 2;
    }
    paths = {QFile::decodeName(argv[1]), QFile::decodeName(argv[2]), QFile::decodeName(argv[3]),
             QFile::decodeName(argv[4])};
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const auto dataHome = InstallMimeTypes();
    return RUN_ALL_TESTS();
}
