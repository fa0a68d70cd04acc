#include "platform/SettingsStore.h"

#include "platform/Native.h"

namespace tarvik {

namespace {
QString Path(const QString& section, const QString& key) {
    return section + '/' + key;
}
} // namespace

QString SettingsStore::Get(const QString& section, const QString& key) {
    return native::OpenSettings()->value(Path(section, key)).toString();
}

bool SettingsStore::Set(const QString& section, const QString& key, const QString& value) {
    const std::unique_ptr<QSettings> settings = native::OpenSettings();
    settings->setValue(Path(section, key), value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

} // namespace tarvik
