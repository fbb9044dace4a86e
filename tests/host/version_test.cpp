// The platform rule: default program directory and refusal, for each system the setup meets.
#include <gtest/gtest.h>

#include "workflow/version.h"

TEST(VersionRule, DefaultDirectoryAndRefusal)
{
    struct Case {
        int known;
        unsigned platform, major, minor;
        DefaultProgramDir dir;
        int refused;
    } cases[] = {
        {1, PLATFORM_WIN32S, 3, 10, PROGRAM_DIR_OTHER, 0},     // Win32s on Windows 3.1
        {1, PLATFORM_WIN32S, 4, 0, PROGRAM_DIR_OTHER, 0},      // never modern, whatever it reports
        {1, PLATFORM_NT, 3, 50, PROGRAM_DIR_NT3, 1},
        {1, PLATFORM_NT, 3, 10, PROGRAM_DIR_NT3, 1},
        {1, PLATFORM_NT, 3, 51, PROGRAM_DIR_NT3, 0},
        {1, PLATFORM_WINDOWS, 4, 0, PROGRAM_DIR_MODERN, 0},    // Windows 95
        {1, PLATFORM_WINDOWS, 3, 95, PROGRAM_DIR_OTHER, 0},
        {1, PLATFORM_NT, 4, 0, PROGRAM_DIR_MODERN, 0},
        {1, PLATFORM_NT, 10, 0, PROGRAM_DIR_MODERN, 0},
        {0, PLATFORM_NT, 3, 50, PROGRAM_DIR_MODERN, 0},        // version unknown
    };
    for (const Case &c : cases) {
        VersionDecision d = DecideForVersion(c.known, c.platform, c.major, c.minor);
        EXPECT_EQ(c.dir, d.programDir) << c.platform << " " << c.major << "." << c.minor;
        EXPECT_EQ(c.refused, d.refused) << c.platform << " " << c.major << "." << c.minor;
    }
}
