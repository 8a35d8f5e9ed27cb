#pragma once
// What the preferences window asks of each pane for its toolbar: an identifier, a label
// and an image (the pane protocol of the preferences window).

#include <QIcon>
#include <QString>

namespace zembra {

class PreferencesPane {
public:
    virtual ~PreferencesPane() = default;
    virtual QString identifier() const = 0;
    virtual QString toolbarItemLabel() const = 0;
    virtual QIcon toolbarItemImage() const = 0;
};

} // namespace zembra
