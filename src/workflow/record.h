// The installation record: the product's WIN.INI section, settings key and uninstall entry.
#ifndef TW_RECORD_H
#define TW_RECORD_H

#include <stddef.h>

#define RECORD_VALUE_SIZE 256

// Reads key of the product's WIN.INI section through a 256-character buffer (a longer value
// comes back cut to 255) into out; the default is copied when the key is absent. Returns the
// length of what it yields: 0, not found, also for a key present with an empty value.
size_t ReadRecordValue(const char *key, const char *defaultValue, char *out, size_t outSize);

#endif
