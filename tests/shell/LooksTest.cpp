// What the first screens paint: pictures from stored pixels exactly as their PNGs (and a
// stored image that is not well formed never read past its end), labels given their look in
// code exactly as by a style sheet, and the style's standard icons read only when drawn.

#include "shell/DeferredIconStyle.h"
#include "shell/StoredPixels.h"
#include "shell/TextLook.h"

#include <QCommonStyle>
#include <QLabel>
#include <QPixmap>
#include <QResource>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace zembra;

namespace {

// What the screen paints from an image: the pixmap, back as an image.
QImage painted(const QImage &image) {
    return QPixmap::fromImage(image).toImage();
}

QImage painted(QLabel &label) {
    label.setText(QStringLiteral("Uninstaller zembra needs two folders"));
    label.resize(420, 60);
    return label.grab().toImage();
}

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

TEST(StoredPixels, HomeScreenPictures_PaintExactlyAsTheirPngs) {
    for (const QString name : {"brand", "drop_target"}) {
        SCOPED_TRACE(name.toStdString());
        const QResource stored(":/pixels/" + name + ".pixels");
        ASSERT_TRUE(stored.isValid());
        EXPECT_EQ(stored.compressionAlgorithm(), QResource::NoCompression);
        const QImage fromPixels =
            decodeStoredPixels(reinterpret_cast<const char *>(stored.data()), stored.size());
        const QImage fromPng(":/images/" + name + ".png");
        ASSERT_FALSE(fromPixels.isNull() || fromPng.isNull());
        EXPECT_EQ(painted(fromPixels), painted(fromPng));
    }
}

TEST(StoredPixels, MalformedBytes_GiveNoImage) {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 128));
    const QByteArray good = encodeStoredPixels(image);
    ASSERT_EQ(painted(decodeStoredPixels(good.constData(), good.size())), painted(image));
    const auto withSize = [&](quint32 width, quint32 height) {
        QByteArray bytes = good;
        qToLittleEndian<quint32>(width, bytes.data() + 4);
        qToLittleEndian<quint32>(height, bytes.data() + 8);
        return bytes;
    };
    const std::pair<const char *, QByteArray> malformed[] = {
        {"empty", QByteArray()},
        {"header only", good.left(12)},
        {"one byte short", good.chopped(1)},
        {"one byte over", good + 'x'},
        {"other magic", QByteArray("ZPX2") + good.mid(4)},
        {"wider than its bytes", withSize(4, 2)},
        {"no rows", withSize(3, 0)},
        {"sizes that overflow", withSize(0xffffffffu, 0xffffffffu)},
    };
    for (const auto &[what, bytes] : malformed)
        EXPECT_TRUE(decodeStoredPixels(bytes.constData(), bytes.size()).isNull()) << what;
    EXPECT_TRUE(encodeStoredPixels(QImage(5000, 1, QImage::Format_ARGB32)).isEmpty());
}

TEST(TextLook, SameLookAsItsStyleSheet_PaintsTheSamePixels) {
    const std::pair<TextLook, const char *> looks[] = {
        {{20, 600, QColor(40, 40, 40)},
         "font-size: 20pt; font-weight: 600; color: rgb(40, 40, 40);"},
        {{0, 0, QColor(76, 76, 76)}, "color: rgb(76, 76, 76);"},
        {{14, 600, {}}, "font-size: 14pt; font-weight: 600;"}};
    for (const auto &[look, styleSheet] : looks) {
        SCOPED_TRACE(styleSheet);
        QLabel styled, coded, plain;
        styled.setStyleSheet(styleSheet);
        setTextLook(&coded, look);
        EXPECT_EQ(painted(coded), painted(styled));
        EXPECT_NE(painted(coded), painted(plain)) << "the look changed nothing";
    }
}

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
        const QIcon expected = QCommonStyle().standardIcon(which);
        EXPECT_EQ(copy.isNull(), expected.isNull());
        for (const int side : {16, 32}) {
            EXPECT_EQ(icon.actualSize(QSize(side, side)), expected.actualSize(QSize(side, side)));
            EXPECT_EQ(icon.pixmap(side).toImage(), expected.pixmap(side).toImage()) << side;
        }
        EXPECT_EQ(asked, 1) << "read once, then kept";
    }
}
