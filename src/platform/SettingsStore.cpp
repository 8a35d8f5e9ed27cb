#include "platform/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <map>

namespace zembra::platform {

namespace {

std::mutex g_folderMutex;
QString g_folder; // set by --settings-dir; empty: the user's configuration folder

QString configFile(const QString &name)
{
    return SettingsStore::folder() + QLatin1Char('/') + name + QLatin1String(".conf");
}

} // namespace

QString SettingsStore::folder()
{
    {
        std::lock_guard lock(g_folderMutex);
        if (!g_folder.isEmpty())
            return g_folder;
    }
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QLatin1String("/.config");
    return dir + QLatin1String("/zembra");
}

SettingsStore::SettingsStore(const QString &filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::setFolder(const QString &folder)
{
    std::lock_guard lock(g_folderMutex);
    g_folder = folder;
}

SettingsStore &SettingsStore::standard()
{
    static SettingsStore store(configFile(QStringLiteral("Uninstaller zembra")));
    return store;
}

SettingsStore &SettingsStore::suite(const QString &suiteName)
{
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<SettingsStore>> suites;
    std::lock_guard lock(mutex);
    auto &slot = suites[suiteName];
    if (!slot)
        slot = std::make_unique<SettingsStore>(configFile(suiteName));
    return *slot;
}

QVariant SettingsStore::value(const QString &key) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_overrides.constFind(key);
    if (it != m_overrides.constEnd())
        return *it;
    return m_settings->value(key);
}

int SettingsStore::integerForKey(const QString &key) const
{
    bool ok = false;
    const int v = value(key).toInt(&ok);
    return ok ? v : 0;
}

QByteArray SettingsStore::dataForKey(const QString &key) const
{
    const QVariant v = value(key);
    return v.isValid() ? v.toByteArray() : QByteArray();
}

void SettingsStore::setInteger(const QString &key, int value)
{
    std::lock_guard lock(m_mutex);
    m_settings->setValue(key, value);
    m_settings->sync();
}

void SettingsStore::setData(const QString &key, const QByteArray &value)
{
    std::lock_guard lock(m_mutex);
    m_settings->setValue(key, value);
    m_settings->sync();
}

void SettingsStore::remove(const QString &key)
{
    std::lock_guard lock(m_mutex);
    m_settings->remove(key);
    m_settings->sync();
}

void SettingsStore::synchronize()
{
    std::lock_guard lock(m_mutex);
    m_settings->sync();
}

void SettingsStore::setOverride(const QString &key, const QVariant &value)
{
    std::lock_guard lock(m_mutex);
    m_overrides.insert(key, value);
}

QString SettingsStore::fileName() const
{
    std::lock_guard lock(m_mutex);
    return m_settings->fileName();
}

} // namespace zembra::platform
