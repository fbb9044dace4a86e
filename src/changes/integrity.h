// The payload checked against the build's record: the record itself.
#ifndef TW_INTEGRITY_H
#define TW_INTEGRITY_H

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

// The record resource (RCDATA PAYLOADCHECK) and its size; null when setup.exe has none or it
// cannot be loaded. Whether it is a table at all is FindPayloadCheck's to say.
const unsigned char *LoadPayloadTable(HINSTANCE instance, size_t *size);

#endif
