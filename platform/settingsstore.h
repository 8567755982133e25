// A store of named text values in sections: the registry on Windows, an INI file elsewhere.
#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>

namespace plavik {

// Raised by a store that cannot read or write a value; the message is the user-facing text.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The value's text, or nothing when the section or value is missing. Throws StoreError
    // ("'%s' のデータ型が不正です") when the stored value is not text.
    virtual std::optional<QString> ReadText(const QString& section, const QString& name) = 0;
    // Sets the value to text. Throws StoreError when it cannot.
    virtual void WriteText(const QString& section, const QString& name, const QString& text) = 0;
    // Makes what was written durable; throws StoreError when it cannot.
    virtual void Flush() = 0;
};

// The user's own store: HKEY_CURRENT_USER\Orvanta\Plavik on Windows, Orvanta/Plavik.ini elsewhere.
std::unique_ptr<SettingsStore> OpenUserStore();
// An INI file at the given path (tests, the command line).
std::unique_ptr<SettingsStore> OpenIniStore(const QString& path);

} // namespace plavik
