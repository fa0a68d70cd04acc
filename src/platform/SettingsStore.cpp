#include "platform/SettingsStore.h"

#include <QSettings>

namespace tarvik {

namespace {
QString Path(const QString& section, const QString& key) {
    return section + '/' + key;
}
} // namespace

QString SettingsStore::Get(const QString& section, const QString& key) {
    const QSettings settings(QStringLiteral("Tarvik"), QStringLiteral("Tarvik"));
    return settings.value(Path(section, key)).toString();
}

bool SettingsStore::Set(const QString& section, const QString& key, const QString& value) {
    QSettings settings(QStringLiteral("Tarvik"), QStringLiteral("Tarvik"));
    settings.setValue(Path(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace tarvik
