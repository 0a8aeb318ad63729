// Utility files of the life-distribution statements: temporary host files of one request
// form, written and read in whole blocks, closed with deletion after each statement.
#pragma once
#include <cstdint>
#include "host/vec39_files.h"

// Opens a new utility file and rewinds it; 0, or the host's status (nothing logged).
int ufopen(xchandle* handle);
// Writes one block of bytes; 0 or the host's status.
int ufwrite(xchandle handle, const void* block, int64_t bytes);
// Closes with deletion and clears the handle, when one is set.
void ufdrop(xchandle* handle);
