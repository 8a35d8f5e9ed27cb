// The GUI tests run in an offscreen QApplication. Listing the tests (test discovery runs
// the binary without the test's environment) needs no application at all.
#include <QApplication>

#include <gtest/gtest.h>

#include <string_view>

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]).starts_with("--gtest_list_tests")) {
            ::testing::InitGoogleTest(&argc, argv);
            return RUN_ALL_TESTS();
        }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
