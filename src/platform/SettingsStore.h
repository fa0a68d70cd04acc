#pragma once
// The per-user settings store: strings under application "Tarvik", a section and a key.

#include <QString>

namespace tarvik {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The empty string when absent.
    virtual QString Get(const QString& section, const QString& key);
    // False when the store could not be written.
    virtual bool Set(const QString& section, const QString& key, const QString& value);
};

} // namespace tarvik
