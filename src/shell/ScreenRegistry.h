#pragma once
// Stand-in for the storyboard "Main": a registry from screen identifiers ("Home",
// "Remainder", "RateApp", ...) to factories. Each screen class registers itself in the
// registry that the program (or a test) builds; `instantiate` makes a fresh widget each
// call, so every visit of a screen reloads its data. GUI thread only.

#include <QString>

#include <functional>
#include <map>

class QWidget;

namespace zembra {

class ScreenRegistry {
public:
    using Factory = std::function<QWidget *(QWidget *parent)>;

    void add(const QString &identifier, Factory factory);
    bool contains(const QString &identifier) const;
    // A new widget for `identifier`, owned by `parent`; null for an unknown identifier.
    QWidget *instantiate(const QString &identifier, QWidget *parent) const;

private:
    std::map<QString, Factory> m_factories;
};

} // namespace zembra
