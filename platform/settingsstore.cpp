#include "platform/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QTemporaryFile>
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
// An INI file is never rewritten in place: QSettings ignores a short write (a full disk) and renames
// the truncated file over the old one, reporting success. So the new file is written under another
// name, read back from the disk and compared, and only then renamed over the old one. A file that
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
    StoreError SetFailed() const { return Failure(QStringLiteral("'%1' の設定に失敗しました"), Shown()); }
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
            throw SetFailed();
        QMap<QString, QVariant> content;
        for (const QString& key : keys)
            content.insert(key, settings_->value(key));
        for (const auto& [key, text] : pending)
            content.insert(key, text);

        const QString target = settings_->fileName();
        TempName written(target), checked(target);
        // The first save also makes the folder (~/.config/Orvanta).
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!written.Reserve() || !checked.Reserve())
            throw SetFailed();
        // What the new file should hold, as QSettings itself took it (keys it cannot store, such as an
        // empty one from a damaged file, drop out here).
        QMap<QString, QVariant> expected;
        {
            QSettings out(written.path, QSettings::IniFormat);
            for (auto it = content.cbegin(); it != content.cend(); ++it)
                out.setValue(it.key(), it.value());
            out.sync();
            if (out.status() != QSettings::NoError)
                throw SetFailed();
            for (const QString& key : out.allKeys())
                expected.insert(key, out.value(key));
        }
        for (const auto& [key, text] : pending) {
            if (expected.value(key) != QVariant(text))
                throw SetFailed();
        }
        // QSettings caches files by name: under a name it has never seen, it reads the disk.
        if (!Rename(written.path, checked.path) || !ReadsBack(checked.path, expected))
            throw SetFailed();
        if (QFile::exists(target))
            QFile::setPermissions(checked.path, QFile::permissions(target));
        if (!Rename(checked.path, target))
            throw SetFailed();
        settings_->sync(); // nothing pending: it only takes in the new file
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

    // A fresh file name beside the target, removed again unless renamed away.
    struct TempName {
        explicit TempName(const QString& target) : pattern(target + QStringLiteral(".XXXXXX")) {}
        ~TempName() {
            if (!path.isEmpty())
                QFile::remove(path);
        }
        bool Reserve() {
            QTemporaryFile file(pattern);
            file.setAutoRemove(false);
            if (!file.open())
                return false;
            path = file.fileName();
            return true;
        }
        QString pattern;
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
