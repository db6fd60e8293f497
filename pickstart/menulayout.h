// The boot menu's arithmetic and text rules, as plain functions: pages,
// line heights, wrap-around, skin paths and skin lines.
#pragma once

#include "estring.h"

// Entries first..last form the page that holds `selected`; pages hold four.
struct MenuPage {
    int first;
    int last;
};
MenuPage menuPage(int selected, int lastentry);

// Height of one of the menu's four lines.
int menuLineHeight(int menuHeight);

// One step past either end comes round to the other end.
int wrapIndex(int value, int last);

// The skin's picture: the first ".skin" in the path becomes ".png". A path
// without ".skin" has no picture of its own ("").
eString pictureFor(const eString &skinfile);

// Directory (without the last "/") and file name of a skin file.
void splitSkinPath(const eString &skinfile, eString &path, eString &name);

// Scans one skin line the way the C library's formatted scan reads
// "<key>=%d,%d,...": the key and "=" must match exactly, each number may
// have blanks and a sign in front, each comma must follow its number, and
// the scan stops at the first mismatch. Stores the numbers read into
// values[0..] and returns how many. Numbers beyond +-1000000, which no
// screen could use, are held there so that the drawing arithmetic on them
// stays in range.
int scanSkinLine(const char *line, const char *key, int *values, int count);

// Reads a skin file's lines into the four value groups. Lines that begin
// with no key are skipped; a key's line is scanned as above, and a key that
// stands in several lines is scanned each time. A file that cannot be read
// changes nothing.
void readSkinFile(const char *path, int firstline[6], int menusize[4], int stringcolor[3],
                  int selectcolor[3]);
