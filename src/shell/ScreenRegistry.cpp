#include "shell/ScreenRegistry.h"

#include <QWidget>

namespace zembra {

void ScreenRegistry::add(const QString &identifier, Factory factory) {
    m_factories[identifier] = std::move(factory);
}

bool ScreenRegistry::contains(const QString &identifier) const {
    return m_factories.count(identifier) != 0;
}

QWidget *ScreenRegistry::instantiate(const QString &identifier, QWidget *parent) const {
    const auto it = m_factories.find(identifier);
    return it == m_factories.end() ? nullptr : it->second(parent);
}

} // namespace zembra
