// Runs the real pickstart inside the test's private root, with the box's
// device stand-ins, font, skins and flash stand-in in place, and reports
// how it ended, with what it printed.
#pragma once

#include "sandbox.h"

#include <string>

struct BootRun {
    int status = -1; // exit status, or 128 + signal
    std::string output;
};

// Device nodes (with the key devices held open for writing), the font, the
// fallback skin, the flash's skin and configuration directories.
void prepareBox();

// Sends a remote-control code or a front-key value as the drivers would.
void sendRemote(unsigned short code);
void sendFront(unsigned short value);

// Runs build/bin/pickstart to its end. `keys`, when given, runs on another
// thread once the menu has been drawn the first time (the first LCD update).
BootRun runPickstart(void (*keys)() = nullptr);

// Number of pictures sent to the front display so far.
int lcdUpdates();

// The last picture sent to the front display, as 64 rows of 120 dots.
std::string lcdPicture();
