// Hostile settings files, generated from fixed seeds: wrong types, huge numbers, binary garbage,
// missing and repeated sections, junk keys and junk lines. Every file must load without a crash into
// defaults or the stored values, and save back without losing a value that was valid.
#include "render/strtoint.h"
#include "settings/registry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace plavik {
namespace {

// An in-memory store that keeps the texts written to it, to see a whole state as its 55 texts.
class TextsStore : public SettingsStore {
public:
    std::vector<std::pair<QString, QString>> writes; // "Section/Name" and text, in order
    std::optional<QString> ReadText(const QString&, const QString&) override { return std::nullopt; }
    void WriteText(const QString& section, const QString& name, const QString& text) override {
        writes.emplace_back(section + '/' + name, text);
    }
    void Flush() override {}
};

// The texts a state saves as, key by key, in the stored order.
std::vector<std::pair<QString, QString>> TextsOf(const StoredState& state) {
    TextsStore store;
    SaveSettings(store, state, true);
    return store.writes;
}

bool IsBoolean(const QString& key) {
    const QString name = key.section('/', 1);
    if (name == "prcTextMode")
        return false;
    for (const char* prefix :
         {"BS", "View", "UnKnown", "pr", "Bold", "Italic", "Underline", "Strikeout", "Header"})
        if (name.startsWith(prefix))
            return true;
    return false;
}

// What loading must give for each value of a file, found by reading the file with QSettings itself:
// the stored number (booleans as "0"/"1") or the default, and the first value of a type other than
// text, where loading stops.
struct Expected {
    std::vector<std::pair<QString, QString>> texts;
    std::optional<QString> error;
    bool damaged = false; // the INI parser reports a format error
};

Expected Predict(const QString& path) {
    const auto defaults = TextsOf(StoredState{});
    Expected e;
    e.texts = defaults;
    QSettings raw(path, QSettings::IniFormat);
    raw.allKeys();
    e.damaged = raw.status() == QSettings::FormatError;
    for (std::size_t i = 0; i < defaults.size(); ++i) {
        const QString& key = defaults[i].first;
        if (!raw.contains(key))
            continue;
        const QVariant value = raw.value(key);
        if (value.typeId() != QMetaType::QString) {
            e.error = QString("'%1' のデータ型が不正です").arg(key.section('/', 1));
            break;
        }
        QString text = value.toString();
        text = text.left(text.indexOf(QChar(u'\0')));
        if (key == "PrinterFontSet/Name") {
            e.texts[i].second = text;
            continue;
        }
        auto number = TextToInt(text.toStdString());
        if (!number)
            continue;
        if (key == "ApplicationSet/IconSize" || key == "ApplicationSet/IconSize2")
            number = std::clamp(*number, kMinThumbnailSize, kMaxThumbnailSize);
        e.texts[i].second = IsBoolean(key) ? QString(*number != 0 ? "1" : "0") : QString::number(*number);
    }
    return e;
}

// Builds random INI files from a seed.
class HostileIni {
public:
    explicit HostileIni(unsigned seed) : rng_(seed) {}

    // Known sections and values with hostile values; junkLines adds lines of random bytes.
    QByteArray Make(bool junkLines) {
        static const char* const kSections[] = {"Form",     "ApplicationSet", "PageSet", "PrinterFontSet",
                                                "ImageSet", "ColorSet",       "Other",   "form"};
        static const auto kKeys = TextsOf(StoredState{});
        QByteArray out;
        if (Chance(4))
            out += Garbage(40) + '\n'; // before any section: the general group
        const int sections = Pick(12);
        for (int s = 0; s < sections; ++s) {
            out += '[' + QByteArray(kSections[Pick(std::size(kSections))]) + "]\n";
            const int lines = Pick(20);
            for (int l = 0; l < lines; ++l) {
                if (junkLines && Chance(5)) {
                    out += Garbage(60) + '\n';
                    continue;
                }
                const QString& key = kKeys[Pick(kKeys.size())].first;
                out += (Chance(10) ? QByteArray("x") : QByteArray()) + key.section('/', 1).toUtf8() + '=' +
                       Value() + (Chance(8) ? "\r\n" : "\n");
            }
        }
        return out;
    }

private:
    std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }
    bool Chance(int oneIn) { return Pick(static_cast<std::size_t>(oneIn)) == 0; }

    // Random bytes of a line: anything but line ends.
    QByteArray Garbage(std::size_t most) {
        QByteArray bytes;
        const std::size_t n = Pick(most + 1);
        for (std::size_t i = 0; i < n; ++i) {
            char c = static_cast<char>(Pick(256));
            bytes += (c == '\n' || c == '\r') ? ' ' : c;
        }
        return bytes;
    }

    QByteArray Value() {
        static const char* const kValues[] = {
            "0",
            "1",
            "-1",
            "2",
            "64",
            " 64 ",
            "\" 64\"",
            "\"64 \"",
            "$40",
            "0x40",
            "$FFFFFFFF",
            "$100000000",
            "2147483647",
            "2147483648",
            "-2147483648",
            "-2147483649",
            "99999999999999999999999999",
            "+7",
            "-0",
            "1e3",
            "12abc",
            "abc",
            "",
            "1,2",
            "\"1,2\"",
            "a, b, c",
            "@Invalid()",
            "@ByteArray(12)",
            "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1)",
            "@Variant(junk)",
            "\"unterminated",
            "back\\\\slash",
            "semi;colon",
            "\\x41\\x42",
            "ＭＳ 明朝",
            "\"\\0\"",
            "%U0041",
        };
        switch (Pick(10)) {
        case 0:
            return Garbage(30);
        case 1:
            return QByteArray(static_cast<qsizetype>(Pick(5000) + 1), '9'); // a huge number
        default:
            return kValues[Pick(std::size(kValues))];
        }
    }

    std::mt19937 rng_;
};

template <std::size_t N> QByteArray Raw(const char (&bytes)[N]) {
    return QByteArray(bytes, N - 1); // NULs included
}

class SettingsFuzz : public ::testing::Test {
protected:
    QTemporaryDir dir;
    int files = 0;
    // QSettings caches files by path: every hand-written file gets a fresh one.
    QString Write(const QByteArray& content) {
        const QString path = dir.filePath(QString("f%1.ini").arg(++files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }
    static QByteArray Content(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Loads the file as predicted, saves it back, and checks that loading again gives the same:
    // values the first load did not reach keep their stored text, so they read as before too. A
    // file the INI parser finds damaged may refuse the save, but then stays exactly as it was.
    // Returns whether the file was saved.
    bool LoadAndSaveBack(const QByteArray& content, const std::string& label) {
        SCOPED_TRACE(label);
        // The prediction reads a copy: QSettings reports a damaged file only to the first reader.
        const QString copy = Write(content);
        const Expected expected = Predict(copy);

        const QString path = Write(content);
        const LoadResult loaded = LoadSettings(*OpenIniStore(path));
        EXPECT_EQ(loaded.error, expected.error);
        EXPECT_EQ(TextsOf(loaded.state), expected.texts);
        try {
            SaveSettings(*OpenIniStore(path), loaded.state, true);
        } catch (const StoreError& error) {
            EXPECT_TRUE(expected.damaged) << "the save failed: " << error.what();
            EXPECT_EQ(Content(path), content) << "a refused save must leave the file as it was";
            return false;
        }
        const LoadResult again = LoadSettings(*OpenIniStore(path));
        EXPECT_EQ(again.error, loaded.error);
        EXPECT_EQ(TextsOf(again.state), TextsOf(loaded.state));
        return true;
    }
};

TEST_F(SettingsFuzz, ParseableHostileFilesLoadAndSaveBack) {
    int saved = 0;
    for (unsigned seed = 1; seed <= 120; ++seed)
        saved += LoadAndSaveBack(HostileIni(seed).Make(false), "seed " + std::to_string(seed));
    // Only values of random bytes can make a file the parser refuses.
    EXPECT_GT(saved, 60);
}

TEST_F(SettingsFuzz, FilesWithJunkLinesLoadAndSaveBack) {
    for (unsigned seed = 1001; seed <= 1080; ++seed)
        LoadAndSaveBack(HostileIni(seed).Make(true), "seed " + std::to_string(seed));
}

TEST_F(SettingsFuzz, PureGarbageGivesTheDefaults) {
    std::mt19937 rng(7);
    for (int n = 0; n < 40; ++n) {
        QByteArray bytes;
        const int size = std::uniform_int_distribution<int>(0, 4000)(rng);
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
        // Random bytes almost never spell a section of ours; when they do the prediction covers it.
        LoadAndSaveBack(bytes, "garbage " + std::to_string(n));
    }
}

// Shapes that sit right on an edge of the INI parser, each with the value it must load as.
TEST_F(SettingsFuzz, AwkwardShapesKeepTheirValidValues) {
    struct Case {
        const char* label;
        QByteArray content;
        const char* key;
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"missing sections", "[ImageSet]\nprcTextMode=3\n", "ImageSet/prcTextMode", "3", nullptr},
        {"repeated section", "[PageSet]\nMarginLeft=5\n[ColorSet]\nBack=1\n[PageSet]\nMarginTop=6\n",
         "PageSet/MarginTop", "6", nullptr},
        {"repeated value", "[PageSet]\nMarginLeft=5\nMarginLeft=6\n", "PageSet/MarginLeft", "6", nullptr},
        {"empty key", "[PageSet]\n=5\nMarginLeft=9\n", "PageSet/MarginLeft", "9", nullptr},
        {"NUL in a key", Raw("[PageSet]\n\0\x01=2\nMarginLeft=9\n"), "PageSet/MarginLeft", "9", nullptr},
        {"NUL in a value",
         Raw("[PageSet]\nMarginLeft=9\0"
             "7\n"),
         "PageSet/MarginLeft", "9", nullptr},
        {"key with a slash", "[PageSet]\nMargin\\Left=3\nMarginTop=8\n", "PageSet/MarginTop", "8", nullptr},
        {"wrong type first", "[Form]\nHeight=1,2\n[PageSet]\nMarginLeft=9\n", "PageSet/MarginLeft", "20",
         "'Height' のデータ型が不正です"},
        {"wrong type last", "[ColorSet]\nBorder=@Invalid()\nBack=255\n", "ColorSet/Back", "255",
         "'Border' のデータ型が不正です"},
        {"byte array", "[ApplicationSet]\nIconSize=@ByteArray(64)\n", "ApplicationSet/IconSize", "48",
         "'IconSize' のデータ型が不正です"},
        {"unterminated quote", "[PageSet]\nMarginTop=3\nMarginLeft=\"12\n", "PageSet/MarginTop", "3",
         nullptr},
        {"line without equals", "[PageSet]\nMarginLeft=4\njust words\nMarginTop=5\n", "PageSet/MarginTop",
         "5", nullptr},
        {"unclosed section", "[PageSet\nMarginLeft=4\n", "PageSet/MarginLeft", "4", nullptr},
        {"a million digits", "[PageSet]\nMarginLeft=" + QByteArray(1 << 20, '7') + "\nMarginTop=5\n",
         "PageSet/MarginLeft", "20", nullptr},
    };
    for (const Case& c : cases) {
        LoadAndSaveBack(c.content, c.label);
        const LoadResult loaded = LoadSettings(*OpenIniStore(Write(c.content)));
        EXPECT_EQ(loaded.error, c.error ? std::optional<QString>(c.error) : std::nullopt) << c.label;
        for (const auto& [key, text] : TextsOf(loaded.state)) {
            if (key == c.key) {
                EXPECT_EQ(text, c.text) << c.label;
            }
        }
    }
}

} // namespace
} // namespace plavik
