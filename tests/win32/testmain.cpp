// Entry point of the Win32 test programs: the setup's resources come from the test module.
#include <gtest/gtest.h>

#include <string>

#include "shell/setup.h"

int main(int argc, char **argv)
{
    moduleInstance = GetModuleHandleA(NULL);
    testing::InitGoogleTest(&argc, argv);
    // Suites named *ChildSide run only in a child process that a test starts with TW_CHILD set.
    if (!GetEnvironmentVariableA("TW_CHILD", NULL, 0)) {
        std::string filter = GTEST_FLAG_GET(filter);
        filter += filter.find('-') == std::string::npos ? "-*ChildSide.*" : ":*ChildSide.*";
        GTEST_FLAG_SET(filter, filter);
    }
    return RUN_ALL_TESTS();
}
