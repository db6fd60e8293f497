// The system shell: every mount, copy, move, removal and mode change the
// core makes goes through here.
#pragma once

#include "estring.h"

// Runs the command with /bin/sh and waits for it; returns the wait status
// as system() reports it (-1 when no shell could be started).
int runShell(const eString &command);

// The text as one shell word: unchanged when it holds only characters the
// shell takes literally, otherwise in single quotes.
eString shellQuote(const eString &text);
