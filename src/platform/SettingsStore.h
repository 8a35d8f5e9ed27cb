#pragma once
// Stand-in for the user defaults: a QSettings file behind a mutex, so that the leftover
// search may read grants from its worker thread.
//
// Integers read 0 when absent; every write goes to disk at once (but for the writes held
// by a WriteBatch, which go together at its end), and a write that changes nothing
// stored does not touch the disk. Overrides shadow stored
// values for this process only and are never written (the command line uses them for
// the grants it is given). Tests make their own store on a temporary file.
//
// QSettings opens its file by path: it reads and writes through a symbolic link and
// blocks for good on a FIFO. So the folder must be a real folder and the file and its
// lock file regular files (or missing), checked before QSettings is made, before each
// write and after it; a store that fails keeps its values in memory for the rest of the
// run, and problem() says why.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <mutex>
#include <optional>

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
    // Why the settings folder cannot be used, for a message; nothing when it can. It must
    // be a real folder, not a link (it is made when missing), and nothing in it (nor in
    // its folders) may be a link or a special file: every program reads or writes there.
    static std::optional<QString> folderProblem();
    // The application's standard store, in the user's configuration folder.
    static SettingsStore &standard();
    // The shared suite of the application group, named after the suite.
    static SettingsStore &suite(const QString &suiteName);

    int integerForKey(const QString &key) const;
    QByteArray dataForKey(const QString &key) const;

    void setInteger(const QString &key, int value);
    void setData(const QString &key, const QByteArray &value);
    void remove(const QString &key);
    // Reads again what another process wrote. Never needed after a write: every write
    // is on disk when it returns.
    void synchronize();

    void setOverride(const QString &key, const QVariant &value);
    // True when `key` is shadowed by an override for this process.
    bool isOverridden(const QString &key) const;

    // While one lives, writes to `store` are kept (and read back) in memory and go to
    // disk together when the last batch ends: start-up writes several keys, one file
    // rewrite instead of one each. Batches nest; GUI thread.
    class WriteBatch {
    public:
        explicit WriteBatch(SettingsStore &store);
        ~WriteBatch();
        WriteBatch(const WriteBatch &) = delete;
        WriteBatch &operator=(const WriteBatch &) = delete;

    private:
        SettingsStore &m_store;
    };

    QString fileName() const;
    // Why this store keeps its values in memory only; nothing while it uses its file.
    std::optional<QString> problem() const;

private:
    QVariant value(const QString &key) const;
    // Sets (or, with an invalid value, removes) `key` and writes the file when it is safe.
    void write(const QString &key, const QVariant &value);
    // Leaves the file for memory when it is no longer safe to use; true while it is.
    bool fileStillSafe();

    mutable std::mutex m_mutex;
    QString m_filePath;
    std::unique_ptr<QSettings> m_settings; // null once the values are kept in memory
    QHash<QString, QVariant> m_memory;
    std::optional<QString> m_problem;
    QHash<QString, QVariant> m_overrides;
    int m_heldBatches = 0;
    // Written while a batch holds them, an invalid value for a removal. Kept out of
    // QSettings until the batch ends: it writes its pending values on its own at the next
    // turn of the event loop (and when destroyed), without the checks above.
    QHash<QString, QVariant> m_held;
};

} // namespace zembra::platform
