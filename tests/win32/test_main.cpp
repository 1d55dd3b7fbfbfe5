// main of the Windows test programs: COM once on the (window) thread, as the
// program's main does, then GoogleTest.
#include <gtest/gtest.h>

#include "platform/win32/com.h"

int main(int argc, char** argv) {
    morvane::win32::ComInit com;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
