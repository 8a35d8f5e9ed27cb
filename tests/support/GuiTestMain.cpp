// The main of every GUI test program: an offscreen QApplication. Test discovery runs the
// program without the test's environment, so listing the tests needs no application.
// The tests run in their own home.
#include "support/UserFolders.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <string_view>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    zembra::test::isolateUserFolders();
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]).starts_with("--gtest_list_tests"))
            return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

// Under LeakSanitizer (ZEMBRA_ASAN): fontconfig keeps caches for the life of the process,
// which the tests that end the process with exit() would report as leaks of ours.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
