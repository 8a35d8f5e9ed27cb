#include "shell/NotificationCenter.h"

#include <QCoreApplication>
#include <QThread>

namespace zembra {

NotificationCenter &NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(QObject *context, const QString &name,
                                     std::function<void()> observer) {
    std::lock_guard lock(m_mutex);
    m_observers.push_back({context, name, std::move(observer)});
}

void NotificationCenter::removeObservers(QObject *context) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [context](const Observer &o) {
        return o.context.isNull() || o.context == context;
    });
}

void NotificationCenter::post(const QString &name) {
    std::vector<Observer> matching;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_observers, [](const Observer &o) { return o.context.isNull(); });
        for (const Observer &o : m_observers)
            if (o.name == name)
                matching.push_back(o);
    }
    const bool onGuiThread = !QCoreApplication::instance() ||
                             QThread::currentThread() == QCoreApplication::instance()->thread();
    for (const Observer &o : matching) {
        if (o.context.isNull())
            continue; // an earlier observer of this post destroyed it
        if (onGuiThread)
            o.call();
        else
            QMetaObject::invokeMethod(o.context.data(), o.call, Qt::QueuedConnection);
    }
}

} // namespace zembra
