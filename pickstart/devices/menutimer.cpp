#include "menutimer.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <pthread.h>
#include <unistd.h>

namespace {

pthread_t timerThread;
bool timerStarted = false;
// Both key readers restart the timer; two of them must never cancel and
// join the same thread.
pthread_mutex_t startLock = PTHREAD_MUTEX_INITIALIZER;

void *runTimer(void *arg) {
    int seconds = int(reinterpret_cast<intptr_t>(arg));
    // Taken as unsigned, a negative timeout is a sleep of many years. The
    // sleep is where a restart cancels us; a signal only shortens it.
    unsigned left = unsigned(seconds);
    while (left > 0)
        left = sleep(left);
    // Once the period is over the receivers run to their end: a restart
    // from a key now waits for them instead of cutting them off halfway.
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
    MenuTimer::expired().emit();
    return nullptr;
}

} // namespace

SigC::Signal0<void> &MenuTimer::expired() {
    // Never destroyed: a timer thread may still run while the program ends.
    static SigC::Signal0<void> *signal = new SigC::Signal0<void>;
    return *signal;
}

void MenuTimer::start(int seconds) {
    pthread_mutex_lock(&startLock);
    if (timerStarted) {
        pthread_cancel(timerThread);
        pthread_join(timerThread, nullptr);
        timerStarted = false;
    }
    int error = pthread_create(&timerThread, nullptr, runTimer,
                               reinterpret_cast<void *>(intptr_t(seconds)));
    if (error != 0) {
        errno = error;
        perror("[TIMER] pthread_created error");
    } else {
        timerStarted = true;
    }
    pthread_mutex_unlock(&startLock);
}
