#include "platform/linux/AutostartLoginItem.h"

#include "platform/PidFile.h"
#include "platform/VisibleText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QThreadPool>

namespace zembra::platform {

namespace {

// One worker, shared by every login item, starts and stops watcher processes in the
// order they were asked for. It is never destroyed: a stop still waiting when the program
// ends has already sent its signal, and nothing must wait for it at exit.
QThreadPool &watcherControl() {
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(1);
        return p;
    }();
    return *pool;
}

QString autostartFolder() {
    // The XDG base directory rules ignore a relative $XDG_CONFIG_HOME.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const bool usable = !config.isEmpty() && QDir::isAbsolutePath(config);
    const QString base = usable ? config : QDir::homePath() + QLatin1String("/.config");
    return base + QLatin1String("/autostart");
}

std::optional<QString> quoted(const QString &argument) {
    QString out;
    bool plain = !argument.isEmpty();
    for (const QChar c : argument) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return std::nullopt;
        // Reserved characters need the argument quoted; inside quotes these four are
        // escaped with a backslash.
        if (QStringLiteral(" \t\"'\\><~|&;$*?#()`").contains(c))
            plain = false;
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        // A literal percent sign is written twice (field codes start with one).
        if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
        out += c;
    }
    return plain ? out : QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

QString autostartEntryFile(const QString &identifier) {
    return autostartFolder() + QLatin1Char('/') + identifier + QLatin1String(".desktop");
}

std::optional<QString> execLine(const QString &program, const QStringList &arguments) {
    QStringList words;
    for (const QString &a : QStringList{program} + arguments) {
        const auto q = quoted(a);
        if (!q)
            return std::nullopt;
        words << *q;
    }
    // The value is itself a string of the key file format, whose escape is a backslash.
    return words.join(QLatin1Char(' ')).replace(QLatin1Char('\\'), QLatin1String("\\\\"));
}

std::optional<QByteArray> autostartEntryText(const WatcherCommand &command) {
    const auto exec = execLine(command.program, command.arguments);
    if (!exec)
        return std::nullopt;
    QByteArray text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Uninstaller zembra Spider\n"
        "Comment=Tells you when an application is removed without Uninstaller zembra\n"
        "NoDisplay=true\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    text += "Exec=" + exec->toUtf8() + "\n";
    return text;
}

AutostartLoginItem::AutostartLoginItem(QString identifier, WatcherCommand command)
    : m_identifier(std::move(identifier)), m_command(std::move(command)) {}

bool AutostartLoginItem::setEnabled(bool enabled) {
    const QString file = autostartEntryFile(m_identifier);
    if (!enabled) {
        // Asked at once; the worker then asks again and waits for the lock to go, after
        // any start still queued, so neither a start asked before nor one asked next
        // leaves a watcher running.
        PidFile::askHolderToStop(m_command.pidFile);
        const bool removed = !QFile::exists(file) || QFile::remove(file);
        watcherControl().start([pidFile = m_command.pidFile] { PidFile::stopHolder(pidFile); });
        return removed;
    }
    m_problem.clear();
    const auto text = autostartEntryText(m_command);
    if (!text) {
        m_problem = QObject::tr("the path of a folder or program it is given holds a line break or "
                                "another control character");
        return false;
    }
    bool written = false;
    if (QDir().mkpath(autostartFolder())) {
        QSaveFile out(file);
        written =
            out.open(QIODevice::WriteOnly) && out.write(*text) == text->size() && out.commit();
    }
    if (!written) {
        m_problem = QObject::tr("its autostart entry could not be written in %1")
                        .arg(visiblyEscaped(autostartFolder()));
        return false;
    }
    // A watcher that already runs keeps running; it refuses a second copy itself too.
    // Only while still switched on: the entry is gone once it is switched off.
    watcherControl().start([command = m_command, file] {
        if (QFile::exists(file) && !PidFile::holder(command.pidFile))
            QProcess::startDetached(command.program, command.arguments + command.runArguments);
    });
    return true;
}

std::unique_ptr<LoginItem> makeWatcherLoginItem(WatcherCommand command) {
    return std::make_unique<AutostartLoginItem>(kWatcherIdentifier, std::move(command));
}

} // namespace zembra::platform
