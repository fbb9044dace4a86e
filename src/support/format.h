// Expansion of the numbered inserts of message templates: %1!s! a string, %2!u! an unsigned.
#ifndef TW_FORMAT_H
#define TW_FORMAT_H

#include <stdarg.h>
#include <stddef.h>

#define TW_MAX_INSERTS 9

struct InsertArg {
    const char *s;  // used by !s! (null reads as empty)
    unsigned u;     // used by !u!, !d!, !x!
};

// Conversion letter of each insert position 1..TW_MAX_INSERTS as the template first uses it
// ('s' when an insert has no !fmt!), 0 for a position it does not use. Returns the highest used.
int InsertKinds(const char *tmpl, char kinds[TW_MAX_INSERTS + 1]);

// Expands tmpl into out (cap bytes). Returns 1 when the whole text fit, 0 when it was cut.
// An insert beyond count expands to nothing; "%%" gives "%"; other characters are copied.
int ExpandInserts(char *out, size_t cap, const char *tmpl, const InsertArg *args, int count);

// Expands tmpl with a variable argument list, one argument per insert position, each
// read as the type its conversion names (const char * for !s!, unsigned for the others).
// The expansion is cut to outSize - 1 characters. Returns 1 when an expansion was produced.
int FormatMessageText(char *out, size_t outSize, const char *tmpl, ...);
int FormatMessageTextV(char *out, size_t outSize, const char *tmpl, va_list ap);

#endif
