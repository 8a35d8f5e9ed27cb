#include "platform/SettingsStore.h"

#include "platform/VisibleText.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <chrono>
#include <filesystem>
#include <map>
#include <utility>

namespace zembra::platform {

namespace {

std::mutex g_folderMutex;
QString g_folder; // set by --settings-dir; empty: the user's configuration folder

QString configFile(const QString &name) {
    return SettingsStore::folder() + QLatin1Char('/') + name + QLatin1String(".conf");
}

namespace fs = std::filesystem;

fs::path pathOf(const QString &text) {
    return fs::path(QFile::encodeName(text).toStdString());
}

QString shown(const fs::path &path) {
    return visiblyEscaped(std::string_view(path.native()));
}

// Why `entry`, seen as itself (a link is not followed), cannot be a file of the settings
// folder; nothing for a regular file or a missing one.
std::optional<QString> notRegular(const fs::path &entry, const fs::path &folder) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(entry, ec);
    if (st.type() == fs::file_type::not_found || fs::is_regular_file(st))
        return std::nullopt;
    const QString name = shown(entry.lexically_relative(folder));
    if (fs::is_symlink(st))
        return QStringLiteral("%1 in the settings folder %2 is a symbolic link")
            .arg(name, shown(folder));
    return QStringLiteral("%1 in the settings folder %2 is not a regular file")
        .arg(name, shown(folder));
}

// Why `folder` cannot hold settings: a link, not a folder, or not to be made.
std::optional<QString> notAFolder(const fs::path &folder) {
    std::error_code ec;
    if (fs::symlink_status(folder, ec).type() == fs::file_type::not_found)
        fs::create_directories(folder, ec);
    const fs::file_status st = fs::symlink_status(folder, ec);
    if (st.type() == fs::file_type::not_found)
        return QStringLiteral("the settings folder %1 cannot be made").arg(shown(folder));
    if (fs::is_symlink(st))
        return QStringLiteral("the settings folder %1 is a symbolic link").arg(shown(folder));
    if (!fs::is_directory(st))
        return QStringLiteral("the settings folder %1 is not a folder").arg(shown(folder));
    return std::nullopt;
}

// Why QSettings must not be given `file`: its folder, the file or its lock file.
std::optional<QString> storeFileProblem(const QString &file) {
    const fs::path path = pathOf(file);
    if (const auto problem = notAFolder(path.parent_path()))
        return problem;
    if (const auto problem = notRegular(path, path.parent_path()))
        return problem;
    return notRegular(pathOf(file + QLatin1String(".lock")), path.parent_path());
}

// A lock file left empty (its writer ended between making it and writing its pid there)
// counts as stale only once 30 s old: until then every write, the GUI thread's too, waits
// on it. A live writer fills it at once, so an empty one this old was abandoned.
constexpr auto kAbandonedLockAge = std::chrono::seconds(2);

void dropAbandonedLock(const QString &file) {
    const fs::path lock = pathOf(file + QLatin1String(".lock"));
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(lock, ec)) || fs::file_size(lock, ec) != 0 || ec)
        return;
    const auto written = fs::last_write_time(lock, ec);
    if (!ec && fs::file_time_type::clock::now() - written >= kAbandonedLockAge)
        fs::remove(lock, ec);
}

} // namespace

std::optional<QString> SettingsStore::folderProblem() {
    const fs::path folder = pathOf(SettingsStore::folder());
    if (const auto problem = notAFolder(folder))
        return problem;
    std::error_code ec;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder, ec)) {
        std::error_code inner;
        if (fs::is_directory(entry.symlink_status(inner))) {
            for (const fs::directory_entry &file : fs::directory_iterator(entry.path(), inner))
                if (const auto problem = notRegular(file.path(), folder))
                    return problem;
        } else if (const auto problem = notRegular(entry.path(), folder)) {
            return problem;
        }
    }
    if (ec)
        return QStringLiteral("the settings folder %1 cannot be read").arg(shown(folder));
    return std::nullopt;
}

QString SettingsStore::folder() {
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
    : m_filePath(filePath), m_problem(storeFileProblem(filePath)) {
    if (!m_problem)
        m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::setFolder(const QString &folder) {
    std::lock_guard lock(g_folderMutex);
    g_folder = folder;
}

SettingsStore &SettingsStore::standard() {
    static SettingsStore store(configFile(QStringLiteral("Uninstaller zembra")));
    return store;
}

SettingsStore &SettingsStore::suite(const QString &suiteName) {
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<SettingsStore>> suites;
    std::lock_guard lock(mutex);
    auto &slot = suites[suiteName];
    if (!slot)
        slot = std::make_unique<SettingsStore>(configFile(suiteName));
    return *slot;
}

QVariant SettingsStore::value(const QString &key) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_overrides.constFind(key);
    if (it != m_overrides.constEnd())
        return *it;
    const auto held = m_held.constFind(key);
    if (held != m_held.constEnd())
        return *held;
    return m_settings ? m_settings->value(key) : m_memory.value(key);
}

bool SettingsStore::fileStillSafe() {
    if (!m_settings)
        return false;
    m_problem = storeFileProblem(m_filePath);
    if (!m_problem) {
        dropAbandonedLock(m_filePath);
        return true;
    }
    for (const QString &key : m_settings->allKeys())
        m_memory.insert(key, m_settings->value(key));
    m_settings.reset();
    return false;
}

namespace {
// The file holds `value` under `key` already (an integer reads back as text from disk).
bool stores(const QSettings &settings, const QString &key, const QVariant &value) {
    if (!value.isValid())
        return !settings.contains(key);
    if (!settings.contains(key))
        return false;
    const QVariant stored = settings.value(key);
    if (value.typeId() == QMetaType::QByteArray)
        return stored.typeId() == QMetaType::QByteArray &&
               stored.toByteArray() == value.toByteArray();
    return stored.typeId() != QMetaType::QByteArray && stored.toString() == value.toString();
}
} // namespace

void SettingsStore::write(const QString &key, const QVariant &value) {
    std::lock_guard lock(m_mutex);
    if (m_heldBatches > 0 && m_settings) {
        // Dropped again when it is what the file holds: the batch then writes nothing.
        if (stores(*m_settings, key, value))
            m_held.remove(key);
        else
            m_held.insert(key, value);
        return;
    }
    if (m_settings && stores(*m_settings, key, value))
        return;
    if (fileStillSafe()) {
        if (value.isValid())
            m_settings->setValue(key, value);
        else
            m_settings->remove(key);
        m_settings->sync();
        fileStillSafe(); // what QSettings left behind is checked too
    } else if (value.isValid()) {
        m_memory.insert(key, value);
    } else {
        m_memory.remove(key);
    }
}

int SettingsStore::integerForKey(const QString &key) const {
    bool ok = false;
    const int v = value(key).toInt(&ok);
    return ok ? v : 0;
}

QByteArray SettingsStore::dataForKey(const QString &key) const {
    const QVariant v = value(key);
    return v.isValid() ? v.toByteArray() : QByteArray();
}

void SettingsStore::setInteger(const QString &key, int value) {
    write(key, value);
}

void SettingsStore::setData(const QString &key, const QByteArray &value) {
    write(key, value);
}

void SettingsStore::remove(const QString &key) {
    write(key, QVariant());
}

void SettingsStore::synchronize() {
    std::lock_guard lock(m_mutex);
    if (fileStillSafe()) {
        m_settings->sync();
        fileStillSafe();
    }
}

SettingsStore::WriteBatch::WriteBatch(SettingsStore &store) : m_store(store) {
    std::lock_guard lock(m_store.m_mutex);
    ++m_store.m_heldBatches;
}

SettingsStore::WriteBatch::~WriteBatch() {
    std::lock_guard lock(m_store.m_mutex);
    if (--m_store.m_heldBatches > 0 || m_store.m_held.isEmpty())
        return;
    const QHash<QString, QVariant> held = std::exchange(m_store.m_held, {});
    const bool safe = m_store.fileStillSafe();
    for (auto it = held.constBegin(); it != held.constEnd(); ++it) {
        if (safe && it.value().isValid())
            m_store.m_settings->setValue(it.key(), it.value());
        else if (safe)
            m_store.m_settings->remove(it.key());
        else if (it.value().isValid())
            m_store.m_memory.insert(it.key(), it.value());
        else
            m_store.m_memory.remove(it.key());
    }
    if (safe) {
        m_store.m_settings->sync();
        m_store.fileStillSafe();
    }
}

void SettingsStore::setOverride(const QString &key, const QVariant &value) {
    std::lock_guard lock(m_mutex);
    m_overrides.insert(key, value);
}

bool SettingsStore::isOverridden(const QString &key) const {
    std::lock_guard lock(m_mutex);
    return m_overrides.contains(key);
}

QString SettingsStore::fileName() const {
    return m_filePath;
}

std::optional<QString> SettingsStore::problem() const {
    std::lock_guard lock(m_mutex);
    return m_problem;
}

} // namespace zembra::platform
