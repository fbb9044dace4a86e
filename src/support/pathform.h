// Which form of a path that Windows gave through an ANSI call the programs may use. No Windows
// calls, so the choice is tested natively; src/support/widepath.cpp fetches what it weighs.
#ifndef TW_PATHFORM_H
#define TW_PATHFORM_H

// What the wide call of the same question said: nothing (Windows 95 has no wide calls, or it
// failed), the same path, or a path that the ANSI form does not spell.
enum WideAnswer { WIDE_NONE, WIDE_SAME, WIDE_DIFFERENT };

enum PathUse {
    PATH_AS_GIVEN,     // the ANSI form names the path
    PATH_SHORT_FORM,   // the ANSI form lost characters: its short (8.3) form names it
    PATH_FALL_BACK,    // lost, with no short form: the caller's other place is used
    PATH_REFUSED,      // lost, with no short form and no other place: not used at all
};

// ansi: the ANSI call's answer. shortForm: the wide path's short form as the code page writes
// it exactly (null when the volume has none, or it too holds characters outside the code
// page). A '?' never stands in a path Windows gives, so an ANSI form holding one lost
// characters even where no wide call says so; a short form holding one is no short form.
PathUse ChoosePathUse(const char *ansi, WideAnswer wide, const char *shortForm, int canFallBack);

#endif
