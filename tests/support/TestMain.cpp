// The main of every test program without a GUI: the tests run in their own home.
#include "support/UserFolders.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    zembra::test::isolateUserFolders();
    return RUN_ALL_TESTS();
}
