// The boot menu's switch in the flash system's init script: the rules for
// one line and the rewrite of a whole script for a mode ("BM", "FW", other).
#pragma once

#include "estring.h"

// What init runs to start the boot menu; appended after a line feed when a
// script has no line that mentions "bm.sh".
extern const char activationLine[];

// A line is disabled when its first character that is not a space is "#" or
// ":". Only spaces count: a tab in front leaves the line enabled.
bool lineDisabled(const eString &line);

// Makes the line a shell no-op with ": ". With two or more spaces in front,
// the space two places before the command becomes ":" so the indentation
// stays; otherwise ": " goes before the whole line.
eString disableLine(const eString &line);

// Turns the "#" or ":" that disables the line into a space.
eString enableLine(const eString &line);

// The script `text` rewritten for `mode`: "BM" enables the "bm.sh" lines (and
// appends the activation line when there is none) and disables the "fwpro"
// lines; "FW" does the opposite without appending; any other mode disables
// both kinds. The result has no empty lines before its first non-empty one
// and no final line feed. Returns whether the file must be written; `out`
// always holds the rewritten text.
bool rewriteInitScript(const eString &text, const eString &mode, eString &out);
