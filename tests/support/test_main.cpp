// GoogleTest main for tests that need no Qt, narrowed to the cases of the
// entry's own source files.
#include "sourceselect.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!selectTestsFromSources(argc, argv))
        return 2;
    return RUN_ALL_TESTS();
}
