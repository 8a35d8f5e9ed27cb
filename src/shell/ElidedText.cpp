#include "shell/ElidedText.h"

#include <QEvent>
#include <QLabel>

namespace zembra {

namespace {

const char *kFullText = "zembraFullText";
const char *kElideMode = "zembraElideMode";

void elide(QLabel *label) {
    const QString full = label->property(kFullText).toString();
    const auto mode = Qt::TextElideMode(label->property(kElideMode).toInt());
    const int width = label->contentsRect().width() - 2 * label->margin() - label->indent();
    label->setText(width > 0 ? label->fontMetrics().elidedText(full, mode, width) : full);
}

// Re-elides the labels it watches when they are resized.
class Elider : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)
            if (auto *label = qobject_cast<QLabel *>(watched))
                elide(label);
        return false;
    }
};

} // namespace

void setElidedText(QLabel *label, const QString &text, Qt::TextElideMode mode) {
    if (!label->property(kFullText).isValid()) {
        label->installEventFilter(new Elider(label));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
        label->setMinimumWidth(1);
        QSizePolicy policy = label->sizePolicy();
        policy.setHorizontalPolicy(QSizePolicy::Ignored);
        label->setSizePolicy(policy);
    }
    label->setProperty(kFullText, text);
    label->setProperty(kElideMode, int(mode));
    label->setToolTip(text);
    label->setAccessibleName(text);
    elide(label);
}

} // namespace zembra
