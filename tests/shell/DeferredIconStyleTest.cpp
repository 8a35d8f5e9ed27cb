// The window's style reads a standard icon when it is first drawn or measured, not when a
// widget takes it, and then gives the very icon its base style gives.
#include "shell/DeferredIconStyle.h"

#include <QCommonStyle>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

using zembra::DeferredIconStyle;

namespace {

// The base style, counting what it is asked for.
class CountingStyle : public QCommonStyle {
public:
    explicit CountingStyle(int *asked) : m_asked(asked) {}
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option,
                       const QWidget *widget) const override {
        ++*m_asked;
        return QCommonStyle::standardIcon(which, option, widget);
    }

private:
    int *m_asked;
};

} // namespace

TEST(DeferredIcons, ReadOnFirstDraw_SameImageAsTheBaseStyle) {
    for (const QStyle::StandardPixmap which :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
          QStyle::SP_MessageBoxWarning, QStyle::SP_DialogOkButton, QStyle::SP_ArrowBack}) {
        SCOPED_TRACE(int(which));
        int asked = 0;
        DeferredIconStyle style(new CountingStyle(&asked));
        const QIcon icon = style.standardIcon(which);
        const QIcon copy = icon;
        EXPECT_EQ(asked, 0) << "read when taken";

        QCommonStyle plain;
        const QIcon expected = plain.standardIcon(which);
        EXPECT_EQ(copy.isNull(), expected.isNull());
        for (const int side : {16, 32}) {
            EXPECT_EQ(icon.actualSize(QSize(side, side)), expected.actualSize(QSize(side, side)));
            EXPECT_EQ(icon.pixmap(side).toImage(), expected.pixmap(side).toImage()) << side;
        }
        EXPECT_EQ(asked, 1) << "read once, then kept";
    }
}
