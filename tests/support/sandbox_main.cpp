// Entry of every test program: each runs inside its own private root.
#include "sandbox.h"

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no private root.
    if (!::testing::GTEST_FLAG(list_tests)) sandbox::enter();
    return RUN_ALL_TESTS();
}
