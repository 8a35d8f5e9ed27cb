#pragma once
// Stand-in for the user defaults: a QSettings file behind a mutex, so that the leftover
// search may read grants from its worker thread.
//
// Integers read 0 when absent; every write goes to disk at once. Overrides shadow stored
// values for this process only and are never written (the command line uses them for
// the grants it is given). Tests make their own store on a temporary file.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <mutex>

class QSettings;

namespace zembra::platform {

class SettingsStore {
public:
    // A store kept in `filePath` (INI format).
    explicit SettingsStore(const QString &filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // Keeps the standard store and every suite in `folder` instead of the user's
    // configuration folder (--settings-dir: the demo, tests, screenshots). Call it
    // before the first use of `standard()` or `suite()`.
    static void setFolder(const QString &folder);
    // The folder that holds the stores: the one given to setFolder(), else the
    // application's folder in the user's configuration folder. The watcher keeps its
    // snapshot and pid file there too.
    static QString folder();
    // The application's standard store, in the user's configuration folder.
    static SettingsStore &standard();
    // The shared suite of the application group, named after the suite.
    static SettingsStore &suite(const QString &suiteName);

    int integerForKey(const QString &key) const;
    QByteArray dataForKey(const QString &key) const;

    void setInteger(const QString &key, int value);
    void setData(const QString &key, const QByteArray &value);
    void remove(const QString &key);
    void synchronize();

    void setOverride(const QString &key, const QVariant &value);

    QString fileName() const;

private:
    QVariant value(const QString &key) const;

    mutable std::mutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
    QHash<QString, QVariant> m_overrides;
};

} // namespace zembra::platform
