// Choosing the form of a path that an ANSI call gave.
#include "pathform.h"

#include <string.h>

PathUse ChoosePathUse(const char *ansi, WideAnswer wide, const char *shortForm, int canFallBack)
{
    int lost = wide == WIDE_DIFFERENT || strchr(ansi, '?') != NULL;
    if (!lost)
        return PATH_AS_GIVEN;
    if (wide != WIDE_NONE && shortForm && shortForm[0] && !strchr(shortForm, '?'))
        return PATH_SHORT_FORM;
    return canFallBack ? PATH_FALL_BACK : PATH_REFUSED;
}
