// RCInput: the remote control and the front keys, each read on its own
// thread; every key code that passes is emitted on one signal.
#pragma once

#include "sigc.h"

#include <pthread.h>

class RCInput {
  public:
    int rcFd;
    pthread_t rcThread;
    int keyFd;
    pthread_t keyThread;
    SigC::Signal1<void, unsigned short> keyPressed;

    // The one instance, made by the first call; it opens the devices (the
    // program ends with status 255 when one is missing) and starts the
    // readers, which run until the process ends.
    static RCInput *getInstance();

  private:
    RCInput();
    RCInput(const RCInput &) = delete;
    RCInput &operator=(const RCInput &) = delete;
};

// True when a remote-control value is a key press: not 0x00FF, top bit
// (0x8000) clear.
bool remoteCodePasses(unsigned short value);

// Front keys: false for 7 (nothing is emitted); otherwise `last` becomes
// the code for the value (5 up, 3 down, 6 choose; any other value keeps the
// previous code) and the result is true: `last` is the code to emit.
bool frontKeyCode(unsigned short value, unsigned short &last);
