// Replacing a file on flash so that a power cut leaves the old file or the
// new one, never a torn one.
#pragma once

#include "estring.h"

// Writes the bytes to a temporary file beside `path`, flushes it to the
// medium, gives it `mode` and renames it over `path`, then flushes the
// directory. Returns 0, or -1 when anything failed (no temporary file is
// left behind and `path` is untouched).
int replaceFile(const eString &path, const eString &bytes, unsigned mode);

// True when `path` holds exactly these bytes.
bool fileHolds(const eString &path, const eString &bytes);

// Removes the temporary files that a power cut during an earlier
// replaceFile(path, ...) may have left beside `path`: on a small flash
// partition they must not pile up.
void removeStaleReplacements(const eString &path);
