// Entry point of the Win32 test programs: the setup's resources come from the test module.
#include <gtest/gtest.h>

#include "shell/setup.h"

int main(int argc, char **argv)
{
    moduleInstance = GetModuleHandleA(NULL);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
