// The choice between a path's ANSI form, its short form, the caller's other place and refusal.
#include <gtest/gtest.h>

#include "support/pathform.h"

// TEMP of an account named outside the code page, as GetTempPathA gives it, and its short form.
static const char kLost[] = "C:\\users\\???????\\Temp\\", kShort[] = "C:\\users\\____~TU4\\Temp\\";

TEST(PathForm, ALostPathTakesItsShortFormThenTheOtherPlaceThenNothing)
{
    EXPECT_EQ(PATH_AS_GIVEN, ChoosePathUse("C:\\users\\J\xf6rg\\Temp\\", WIDE_SAME, nullptr, 0));
    // A best-fit letter leaves no '?', yet the wide form differs: another path.
    for (const char *ansi : {kLost, "C:\\users\\Lukasz\\Temp\\"}) {
        EXPECT_EQ(PATH_SHORT_FORM, ChoosePathUse(ansi, WIDE_DIFFERENT, kShort, 0)) << ansi;
        // No short names on the volume, or a short form the code page cannot write either.
        for (const char *none : {(const char *)nullptr, "", kLost}) {
            EXPECT_EQ(PATH_FALL_BACK, ChoosePathUse(ansi, WIDE_DIFFERENT, none, 1)) << ansi;
            EXPECT_EQ(PATH_REFUSED, ChoosePathUse(ansi, WIDE_DIFFERENT, none, 0)) << ansi;
        }
    }
}

// Windows 95 (or a wide call that failed): today's behaviour, but a '?' is never in a real path.
TEST(PathForm, WithoutAWideAnswerOnlyAQuestionMarkShowsALostPath)
{
    EXPECT_EQ(PATH_AS_GIVEN, ChoosePathUse("C:\\WINDOWS\\TEMP\\", WIDE_NONE, kShort, 1));
    EXPECT_EQ(PATH_FALL_BACK, ChoosePathUse(kLost, WIDE_NONE, nullptr, 1));
    EXPECT_EQ(PATH_REFUSED, ChoosePathUse(kLost, WIDE_NONE, kShort, 0));
}
