// Runs the real pickstart inside the test's private root and reports how
// it ended, with what it printed.
#pragma once

#include "sandbox.h"

#include <string>

struct BootRun {
    int status = -1; // exit status, or 128 + signal
    std::string output;
};

// Prepares the box's paths the program needs besides the configuration
// (device stand-ins, font, fallback skin) when the tree provides them.
void prepareBox();

// Runs build/bin/pickstart with its output captured.
BootRun runPickstart();
