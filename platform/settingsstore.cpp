#include "platform/settingsstore.h"

#include "platform/folderscan.h"
#include "platform/outputfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QVariant>

#include <filesystem>
#include <map>
#include <system_error>
#include <utility>
#include <vector>

namespace plavik {

namespace {

// Text up to its first NUL, as a C string would hold it.
QString CutAtNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

StoreError Failure(const QString& pattern, const QString& name) {
    return StoreError(pattern.arg(name).toStdString());
}

// A store over QSettings. Writes are held back until Flush.
//
// An INI file is never written by QSettings in place: QSettings ignores a short write (a full disk)
// and renames the truncated file over the old one, reporting success. So QSettings writes the new
// file under another name, which is read back from the disk and compared, and only then are its bytes
// written out by the program's one writer of output files (which checks its writes, keeps the old
// file whole on failure, writes through a symbolic link and refuses a read-only file). A file that
// does not parse, or that cannot be read, is left as it is and the save fails.
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore(std::unique_ptr<QSettings> settings, bool file)
        : settings_(std::move(settings)), file_(file) {
        // Only the one file or key: no system-wide or organisation-wide fallbacks.
        settings_->setFallbacksEnabled(false);
        settings_->setAtomicSyncRequired(true);
    }

    std::optional<QString> ReadText(const QString& section, const QString& name) override {
        const QString key = Key(section, name);
        for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
            if (it->first == key)
                return it->second;
        }
        if (const auto it = saved_.find(key); it != saved_.end())
            return it->second;
        if (!settings_->contains(key))
            return std::nullopt;
        const QVariant value = settings_->value(key);
        // A registry number, or in an INI file an unquoted list such as 1,2 or an @Variant.
        if (value.typeId() != QMetaType::QString)
            throw Failure(QStringLiteral("'%1' のデータ型が不正です"), name);
        return CutAtNul(value.toString());
    }

    void WriteText(const QString& section, const QString& name, const QString& text) override {
        // Cut at the first NUL: the text reads back the same, and the registry keeps a plain string
        // instead of binary data.
        pending_.emplace_back(Key(section, name), CutAtNul(text));
    }

    void Flush() override {
        const auto pending = std::exchange(pending_, {});
        if (file_)
            SaveFile(pending);
        else
            SaveNative(pending);
        for (const auto& [key, text] : pending)
            saved_[key] = text;
    }

private:
    static QString Key(const QString& section, const QString& name) { return section + u'/' + name; }
    QString Shown() const { return QDir::toNativeSeparators(settings_->fileName()); }
    // The save failed, for the system's reason when it is known.
    StoreError SetFailed(const QString& reason = QString()) const {
        const QString text = QStringLiteral("'%1' の設定に失敗しました").arg(Shown());
        return StoreError((reason.isEmpty() ? text : text + QStringLiteral(": ") + reason).toStdString());
    }
    StoreError Damaged() const {
        return Failure(QStringLiteral("設定ファイル '%1' の形式が不正です"), Shown());
    }

    void SaveNative(const std::vector<std::pair<QString, QString>>& pending) {
        for (const auto& [key, text] : pending)
            settings_->setValue(key, text);
        settings_->sync();
        if (settings_->status() != QSettings::NoError)
            throw SetFailed();
    }

    void SaveFile(const std::vector<std::pair<QString, QString>>& pending) {
        // Parsing every section brings out a damaged file.
        const QStringList keys = settings_->allKeys();
        if (settings_->status() == QSettings::FormatError)
            throw Damaged();
        if (settings_->status() != QSettings::NoError)
            throw SetFailed(WhyNotWritten(settings_->fileName()));
        QMap<QString, QVariant> content;
        for (const QString& key : keys)
            content.insert(key, settings_->value(key));
        for (const auto& [key, text] : pending)
            content.insert(key, text);

        const QString target = settings_->fileName();
        // The first save also makes the folder (~/.config/Orvanta).
        QDir().mkpath(QFileInfo(target).absolutePath());
        // QSettings writes the new file under a temporary name of the program's writer (its lock file
        // takes that name too, so the writer's clean-up takes both when a save was killed).
        Scratch written(target), checked(target);
        QString reason;
        if (!written.Make(reason) || !checked.Make(reason))
            throw SetFailed(reason);
        // What the new file should hold, as QSettings itself took it (keys it cannot store, such as an
        // empty one from a damaged file, drop out here).
        QMap<QString, QVariant> expected;
        {
            QSettings out(written.path, QSettings::IniFormat);
            for (auto it = content.cbegin(); it != content.cend(); ++it)
                out.setValue(it.key(), it.value());
            out.sync();
            if (out.status() != QSettings::NoError)
                throw SetFailed(WhyNotWritten(target));
            for (const QString& key : out.allKeys())
                expected.insert(key, out.value(key));
        }
        for (const auto& [key, text] : pending) {
            if (expected.value(key) != QVariant(text))
                throw SetFailed();
        }
        // QSettings caches files by name: under a name it has never seen, it reads the disk. What it
        // wrote is checked so, as QSettings does not tell a short write.
        if (!Rename(written.path, checked.path) || !ReadsBack(checked.path, expected))
            throw SetFailed(WhyNotWritten(target));
        QFile file(checked.path);
        if (!file.open(QIODevice::ReadOnly))
            throw SetFailed(file.errorString());
        if (const auto error = WriteWholeFile(PathFromText(target), file.readAll()))
            throw SetFailed(*error);
        settings_->sync(); // nothing pending: it only takes in the new file
        // Earlier versions saved through "Plavik.ini.XXXXXX" with QSettings' lock file beside it, and
        // left both behind when they were killed.
        const std::filesystem::path saved = PathFromText(target);
        const std::string name = saved.filename().string() + ".";
        for (const char* suffix : {"", ".lock"})
            RemoveEarlierTemporaries(saved.parent_path(), name, suffix);
    }

    // Why the settings file cannot be written, when QSettings did not say: the reason the program's
    // writer gets for a file of the settings' size there (a full disk, a size limit, a read-only
    // file); empty when it could write one.
    static QString WhyNotWritten(const QString& target) {
        OutputFile probe(PathFromText(target));
        const QByteArray room(64 * 1024, '\0');
        if (probe.Open())
            probe.Write(room.constData(), room.size());
        return probe.Error(); // never committed: the probe goes when it is dropped
    }

    static bool ReadsBack(const QString& path, const QMap<QString, QVariant>& content) {
        QSettings in(path, QSettings::IniFormat);
        if (in.allKeys().size() != content.size() || in.status() != QSettings::NoError)
            return false;
        for (auto it = content.cbegin(); it != content.cend(); ++it) {
            if (!in.contains(it.key()))
                return false;
            if (it.value().typeId() == QMetaType::QString && in.value(it.key()) != it.value())
                return false;
        }
        return true;
    }

    static bool Rename(const QString& from, const QString& to) {
        std::error_code error;
        std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                                std::filesystem::path(to.toStdU16String()), error);
        return !error;
    }

    // A temporary file of the writer beside the target, removed again (with a lock file QSettings may
    // leave) unless renamed away.
    struct Scratch {
        explicit Scratch(const QString& target) : target(target) {}
        ~Scratch() {
            if (!path.isEmpty()) {
                QFile::remove(path);
                QFile::remove(path + QStringLiteral(".lock"));
            }
        }
        bool Make(QString& error) {
            path = PathText(MakeTemporaryBeside(PathFromText(target), error));
            return !path.isEmpty();
        }
        QString target;
        QString path;
    };

    std::unique_ptr<QSettings> settings_;
    bool file_;
    std::vector<std::pair<QString, QString>> pending_; // key and text, in the order written
    std::map<QString, QString> saved_;                 // texts of earlier flushes, as written
};

} // namespace

std::unique_ptr<SettingsStore> OpenUserStore() {
#ifdef Q_OS_WIN
    // Directly under HKEY_CURRENT_USER, not under its Software key; every value a REG_SZ string.
    return std::make_unique<QtSettingsStore>(
        std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Orvanta\\Plavik"),
                                    QSettings::NativeFormat),
        false);
#else
    // ~/.config/Orvanta/Plavik.ini on Linux; Qt 6 reads and writes INI files as UTF-8.
    return std::make_unique<QtSettingsStore>(
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Orvanta"),
                                    QStringLiteral("Plavik")),
        true);
#endif
}

std::unique_ptr<SettingsStore> OpenIniStore(const QString& path) {
    return std::make_unique<QtSettingsStore>(std::make_unique<QSettings>(path, QSettings::IniFormat), true);
}

} // namespace plavik
