// The anchor of the start-up benchmark: the least a Qt Widgets program does to show a
// window, ending as soon as that window has been painted once (as the real program does
// under ZEMBRA_EXIT_AT_FIRST_PAINT). With --text the window shows one line of text: the
// second anchor, which pays for the fonts (fontconfig, FreeType, HarfBuzz) as any window
// with words on it must.
//
//   zembra-bench-bare-window [--text]
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
class ExitAtFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(600, 420);
    if (argc > 1 && !std::strcmp(argv[1], "--text")) {
        auto *label = new QLabel(QStringLiteral("Start-up anchor: one line of text"), &window);
        label->move(20, 20);
    }
    window.installEventFilter(new ExitAtFirstPaint(&window));
    window.show();
    return app.exec();
}
