#include "settings/registry.h"

#include "render/strtoint.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <type_traits>

namespace plavik {

namespace {

enum class Kind { Integer, Boolean, Text };

// Reads and sets one stored number (integers, colours, booleans as 0/1) of the state.
struct Accessor {
    std::int32_t (*get)(const StoredState&);
    void (*set)(StoredState&, std::int32_t);
};

template <typename T> std::int32_t ToStored(T v) {
    if constexpr (std::is_same_v<T, bool>)
        return v ? 1 : 0;
    else
        return static_cast<std::int32_t>(v); // colours keep their bits: 0xFFFFFFFF is -1
}

template <typename T> T FromStored(std::int32_t v) {
    if constexpr (std::is_same_v<T, bool>)
        return v != 0;
    else
        return static_cast<T>(v);
}

// A field of one of the state's parts: Part is &StoredState::settings, ::font or ::geometry.
template <auto Part, auto Member> constexpr Accessor Field() {
    using T = std::remove_cvref_t<decltype(std::declval<StoredState>().*Part.*Member)>;
    return {[](const StoredState& s) { return ToStored((s.*Part).*Member); },
            [](StoredState& s, std::int32_t v) { (s.*Part).*Member = FromStored<T>(v); }};
}

template <auto Member> constexpr Accessor Setting() {
    return Field<&StoredState::settings, Member>();
}
template <auto Member> constexpr Accessor Font() {
    return Field<&StoredState::font, Member>();
}
template <auto Member> constexpr Accessor Geometry() {
    return Field<&StoredState::geometry, Member>();
}

// One of the ten colours of the figure palette.
template <int Index> constexpr Accessor Colour() {
    return {[](const StoredState& s) { return ToStored(s.settings.Colors[Index]); },
            [](StoredState& s, std::int32_t v) { s.settings.Colors[Index] = FromStored<COLORREF>(v); }};
}

// One bit of the printer font's style, stored as a boolean of its own.
template <int Bit> constexpr Accessor StyleBit() {
    return {[](const StoredState& s) { return (s.font.Style & Bit) != 0 ? 1 : 0; },
            [](StoredState& s, std::int32_t v) {
                s.font.Style = v != 0 ? s.font.Style | Bit : s.font.Style & ~Bit;
            }};
}

struct Entry {
    const char16_t* section;
    const char16_t* name;
    Kind kind;
    std::int32_t fallback; // the default of an integer or boolean; the font name's is its own
    Accessor value;        // integers and booleans; the only text is the font name
    bool bounds;           // the window's bounds: saved only while the window is normal
    std::int32_t min = std::numeric_limits<std::int32_t>::min(); // a loaded number is clamped to these
    std::int32_t max = std::numeric_limits<std::int32_t>::max();
};

constexpr Entry Int(const char16_t* section, const char16_t* name, std::int32_t fallback, Accessor a,
                    bool bounds = false) {
    return {section, name, Kind::Integer, fallback, a, bounds};
}
constexpr Entry Bool(const char16_t* section, const char16_t* name, bool fallback, Accessor a) {
    return {section, name, Kind::Boolean, fallback ? 1 : 0, a, false};
}
// A thumbnail edge, clamped to the sizes the program draws.
constexpr Entry Thumbnail(const char16_t* name, std::int32_t fallback, Accessor a) {
    return {u"ApplicationSet", name, Kind::Integer, fallback, a, false, kMinThumbnailSize, kMaxThumbnailSize};
}

const QString kFontName = QStringLiteral("ＭＳ ゴシック");

// Every stored value, in the order in which they are loaded and saved.
const std::array<Entry, 55> kEntries = {{
    Int(u"Form", u"Height", 450, Geometry<&WindowGeometry::Height>(), true),
    Int(u"Form", u"Width", 600, Geometry<&WindowGeometry::Width>(), true),
    Int(u"Form", u"Left", 0, Geometry<&WindowGeometry::Left>(), true),
    Int(u"Form", u"Top", 0, Geometry<&WindowGeometry::Top>(), true),
    Bool(u"Form", u"BS", false, Geometry<&WindowGeometry::Maximized>()),
    Thumbnail(u"IconSize", 48, Setting<&TListSettings::IconSize>()),
    Thumbnail(u"IconSize2", 100, Setting<&TListSettings::IconSize2>()),
    Bool(u"ApplicationSet", u"ViewToolBar", true, Setting<&TListSettings::ViewToolBar>()),
    Bool(u"ApplicationSet", u"ViewQuickView", true, Setting<&TListSettings::ViewQuickView>()),
    Bool(u"ApplicationSet", u"ViewStatusBar", true, Setting<&TListSettings::ViewStatusBar>()),
    Bool(u"ApplicationSet", u"UnKnownJwk", false, Setting<&TListSettings::UnKnownJwk>()),
    Bool(u"ApplicationSet", u"UnKnownJwc", false, Setting<&TListSettings::UnKnownJwc>()),
    Int(u"PageSet", u"MarginLeft", 20, Setting<&TListSettings::MarginLeft>()),
    Int(u"PageSet", u"MarginTop", 20, Setting<&TListSettings::MarginTop>()),
    Int(u"PageSet", u"MarginRight", 20, Setting<&TListSettings::MarginRight>()),
    Int(u"PageSet", u"MarginBottom", 20, Setting<&TListSettings::MarginBottom>()),
    {u"PrinterFontSet", u"Name", Kind::Text, 0, {}, false},
    Int(u"PrinterFontSet", u"Size", 9, Font<&PrinterFont::Size>()),
    Int(u"PrinterFontSet", u"Color", 0, Font<&PrinterFont::Color>()),
    Bool(u"PrinterFontSet", u"Bold", false, StyleBit<kBold>()),
    Bool(u"PrinterFontSet", u"Italic", false, StyleBit<kItalic>()),
    Bool(u"PrinterFontSet", u"Underline", false, StyleBit<kUnderline>()),
    Bool(u"PrinterFontSet", u"Strikeout", false, StyleBit<kStrikeOut>()),
    Int(u"ImageSet", u"ImageSize", 20, Setting<&TListSettings::ImageSize>()),
    Int(u"ImageSet", u"ImageSize2", 40, Setting<&TListSettings::ImageSize2>()),
    Int(u"ImageSet", u"SpaceR", 2, Setting<&TListSettings::SpaceR>()),
    Int(u"ImageSet", u"SpaceB", 2, Setting<&TListSettings::SpaceB>()),
    Int(u"ImageSet", u"SpaceR2", 5, Setting<&TListSettings::SpaceR2>()),
    Int(u"ImageSet", u"SpaceB2", 5, Setting<&TListSettings::SpaceB2>()),
    Bool(u"ImageSet", u"prFileName", true, Setting<&TListSettings::prFileName>()),
    Bool(u"ImageSet", u"prFileSize", true, Setting<&TListSettings::prFileSize>()),
    Bool(u"ImageSet", u"prFileDate", true, Setting<&TListSettings::prFileDate>()),
    Bool(u"ImageSet", u"prBorder", true, Setting<&TListSettings::prBorder>()),
    Bool(u"ImageSet", u"prText", true, Setting<&TListSettings::prText>()),
    Bool(u"ImageSet", u"prPos", true, Setting<&TListSettings::prPos>()),
    Bool(u"ImageSet", u"prAddLine", true, Setting<&TListSettings::prAddLine>()),
    Bool(u"ImageSet", u"prcFileName", true, Setting<&TListSettings::prcFileName>()),
    Bool(u"ImageSet", u"prcComment", true, Setting<&TListSettings::prcComment>()),
    Bool(u"ImageSet", u"prcFileSize", true, Setting<&TListSettings::prcFileSize>()),
    Bool(u"ImageSet", u"prcFileDate", true, Setting<&TListSettings::prcFileDate>()),
    Bool(u"ImageSet", u"prcBorder", true, Setting<&TListSettings::prcBorder>()),
    Int(u"ImageSet", u"prcTextMode", 2, Setting<&TListSettings::prcTextMode>()),
    Bool(u"ImageSet", u"prcAddLine", true, Setting<&TListSettings::prcAddLine>()),
    Int(u"ColorSet", u"Back", 16777215, Colour<kBack>()),
    Int(u"ColorSet", u"Pen1", 0, Colour<1>()),
    Int(u"ColorSet", u"Pen2", 0, Colour<2>()),
    Int(u"ColorSet", u"Pen3", 0, Colour<3>()),
    Int(u"ColorSet", u"Pen4", 0, Colour<4>()),
    Int(u"ColorSet", u"Pen5", 0, Colour<5>()),
    Int(u"ColorSet", u"Pen6", 0, Colour<6>()),
    Int(u"ColorSet", u"Text", 0, Colour<kText>()),
    Int(u"ColorSet", u"Pos", 0, Colour<kPos>()),
    Int(u"ColorSet", u"Border", 0, Colour<kBorder>()),
    // Added later than the others, so that stores written before it load as they did.
    Bool(u"PageSet", u"Header", false, Setting<&TListSettings::PageHeader>()),
    Bool(u"ImageSet", u"prcFitContent", false, Setting<&TListSettings::prcFitContent>()),
}};

QString Section(const Entry& e) {
    return QString::fromUtf16(e.section);
}
QString Name(const Entry& e) {
    return QString::fromUtf16(e.name);
}

void SetDefault(const Entry& e, StoredState& state) {
    if (e.kind == Kind::Text)
        state.font.Name = kFontName;
    else
        e.value.set(state, e.fallback);
}

// Loads one value; a missing value or a number that does not convert gives the default. False when
// the value is missing.
bool Load(const Entry& e, SettingsStore& store, StoredState& state) {
    const std::optional<QString> text = store.ReadText(Section(e), Name(e));
    if (!text) {
        SetDefault(e, state);
        return false;
    }
    // Stored text ends at its first NUL, as a C string does.
    const QString value = text->left(text->indexOf(QChar(u'\0')));
    if (e.kind == Kind::Text) {
        state.font.Name = value;
        return true;
    }
    const std::optional<std::int32_t> number = TextToInt(value.toStdString());
    e.value.set(state, std::clamp(number.value_or(e.fallback), e.min, e.max));
    return true;
}

bool HoldsDefault(const Entry& e, const StoredState& state) {
    return e.kind == Kind::Text ? state.font.Name == kFontName : e.value.get(state) == e.fallback;
}

QString StoredText(const Entry& e, const StoredState& state) {
    if (e.kind == Kind::Text)
        return state.font.Name;
    return QString::number(e.value.get(state)); // "%d": signed decimal
}

// Where a load of the store stops: the first value of the wrong type, or the end of the table.
std::size_t FirstUnreadable(SettingsStore& store) {
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        try {
            store.ReadText(Section(kEntries[i]), Name(kEntries[i]));
        } catch (const StoreError&) {
            return i;
        }
    }
    return kEntries.size();
}

} // namespace

LoadResult LoadSettings(SettingsStore& store) {
    LoadResult result;
    for (const Entry& e : kEntries)
        SetDefault(e, result.state);
    try {
        for (const Entry& e : kEntries)
            if (Load(e, store, result.state) && e.bounds)
                result.boundsStored = true;
    } catch (const StoreError& error) {
        result.error = QString::fromUtf8(error.what());
    }
    return result;
}

void SaveSettings(SettingsStore& store, const StoredState& state, bool windowNormal) {
    // A load stops at a value it cannot read, so that value and all after it held only their
    // defaults. Writing those defaults would destroy what is stored, so such a value is written only
    // when the program has since changed it.
    const std::size_t unread = FirstUnreadable(store);
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        const Entry& e = kEntries[i];
        if (e.bounds && !windowNormal)
            continue; // keep the last normal bounds
        if (i >= unread && HoldsDefault(e, state))
            continue;
        store.WriteText(Section(e), Name(e), StoredText(e, state));
    }
    store.Flush();
}

} // namespace plavik
