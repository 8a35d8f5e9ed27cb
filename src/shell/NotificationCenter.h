#pragma once
// Stand-in for the default notification centre: string names, no object. Screens ask for
// another screen only by posting its name; `ViewController` observes the names.
//
// Observers always run on the GUI thread: a post from the GUI thread calls them at once,
// in registration order; a post from a worker is queued to the GUI thread. An observer is
// dropped when its context object is destroyed. Call `addObserver` on the GUI thread.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <mutex>
#include <vector>

namespace zembra {

class NotificationCenter {
public:
    static NotificationCenter &defaultCenter();

    void addObserver(QObject *context, const QString &name, std::function<void()> observer);
    void removeObservers(QObject *context);
    void post(const QString &name);

private:
    struct Observer {
        QPointer<QObject> context;
        QString name;
        std::function<void()> call;
    };
    std::mutex m_mutex;
    std::vector<Observer> m_observers;
};

} // namespace zembra
