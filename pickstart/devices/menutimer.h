// MenuTimer: the menu's one-shot timeout in whole seconds, run as a thread
// that sleeps and then emits; starting it again cancels the running one.
#pragma once

#include "sigc.h"

class MenuTimer {
  public:
    // Made on first use, lives until the program ends. Emitted on the timer
    // thread.
    static SigC::Signal0<void> &expired();
    // Cancels the running timer (waiting until its thread has ended) and
    // starts a new period. A negative value means practically never.
    static void start(int seconds);
};
