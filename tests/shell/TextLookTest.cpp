// A label given its look in code paints exactly as the same label given that look by a
// style sheet (what the first screen's labels used to carry).

#include "shell/TextLook.h"
#include "support/CaseName.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace zembra;

namespace {

struct LookCase {
    const char *name;
    TextLook look;
    const char *styleSheet;
};

ZEMBRA_PRINT_CASE_BY_NAME(LookCase)

QImage painted(QLabel &label) {
    label.setText(QStringLiteral("Uninstaller zembra needs two folders"));
    label.resize(420, 60);
    return label.grab().toImage();
}

class TextLookAsStyleSheet : public testing::TestWithParam<LookCase> {};

} // namespace

TEST_P(TextLookAsStyleSheet, SameLook_PaintsTheSamePixels) {
    QLabel styled, coded;
    styled.setStyleSheet(QString::fromLatin1(GetParam().styleSheet));
    setTextLook(&coded, GetParam().look);
    EXPECT_EQ(painted(coded), painted(styled));
    QLabel plain;
    EXPECT_NE(painted(coded), painted(plain)) << "the look changed nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Home, TextLookAsStyleSheet,
    testing::Values(LookCase{"Title",
                             {20, 600, QColor(40, 40, 40)},
                             "font-size: 20pt; font-weight: 600; color: rgb(40, 40, 40);"},
                    LookCase{"Subtitle", {0, 0, QColor(76, 76, 76)}, "color: rgb(76, 76, 76);"},
                    LookCase{"SheetTitle", {14, 600, {}}, "font-size: 14pt; font-weight: 600;"}),
    zembra::test::CaseName());
