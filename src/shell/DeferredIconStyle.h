#pragma once
// The application's style, unchanged, except that the standard icons a widget takes when
// it is made are read from their files only when first drawn or measured. The menu bar
// asks for one as it is built, and reading it makes Qt load every image plug-in to ask
// each whether it reads PNG: a cost the first paint does not need, as that icon shows only
// when the menus no longer fit. GUI thread only.

#include <QProxyStyle>

namespace zembra {

class DeferredIconStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Wraps the style named `key` (the one Qt would pick itself when empty).
    explicit DeferredIconStyle(const QString &key = QString());
    // Wraps `base`, which it then owns.
    explicit DeferredIconStyle(QStyle *base);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

} // namespace zembra
