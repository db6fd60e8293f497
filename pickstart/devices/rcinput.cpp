#include "rcinput.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char *const remoteDevice = "/dev/rawir2";
const char *const frontDevice = "/dev/dbox/fpkeys0";

constexpr unsigned short remoteRepeat = 0x00FF;
constexpr unsigned short remoteReleased = 0x8000;
// Codes the driver queued before we started; they were not meant for us.
constexpr size_t staleBytes = 32;
constexpr useconds_t pollPause = 10000;

// Front key value "none" (nothing pressed) sends nothing.
constexpr unsigned short frontNone = 7;
const struct {
    unsigned short value, code;
} frontKeys[] = {
    {5, 0x21}, // up
    {3, 0x22}, // down
    {6, 0x52}, // choose
};

// One key value as the drivers deliver it: 2 bytes, machine order. Anything
// shorter (nothing there yet, a torn record) is skipped.
bool readValue(int fd, unsigned short &value) {
    return read(fd, &value, sizeof value) == ssize_t(sizeof value);
}

void *remoteReader(void *arg) {
    RCInput *input = static_cast<RCInput *>(arg);
    printf("[RCInput] available\n");
    for (;;) {
        unsigned short value;
        if (readValue(input->rcFd, value) && remoteCodePasses(value)) input->keyPressed.emit(value);
        usleep(pollPause);
    }
    return nullptr;
}

void *frontReader(void *arg) {
    RCInput *input = static_cast<RCInput *>(arg);
    printf("[ButtonInput] available\n");
    unsigned short last = 0;
    for (;;) {
        unsigned short value;
        if (readValue(input->keyFd, value) && frontKeyCode(value, last))
            input->keyPressed.emit(last);
        usleep(pollPause);
    }
    return nullptr;
}

int openOrExit(const char *path) {
    int fd = open(path, O_RDONLY);
    if (fd < 0) {
        perror(path);
        exit(-1);
    }
    return fd;
}

void startThread(pthread_t &thread, void *(*body)(void *), void *arg, const char *failure) {
    int error = pthread_create(&thread, nullptr, body, arg);
    if (error != 0) {
        errno = error;
        perror(failure);
    }
}

} // namespace

bool remoteCodePasses(unsigned short value) {
    return value != remoteRepeat && !(value & remoteReleased);
}

bool frontKeyCode(unsigned short value, unsigned short &last) {
    if (value == frontNone) return false;
    for (const auto &key : frontKeys)
        if (key.value == value) last = key.code;
    return true;
}

RCInput::RCInput() {
    rcFd = openOrExit(remoteDevice);
    fcntl(rcFd, F_SETFL, fcntl(rcFd, F_GETFL) | O_NONBLOCK);
    char stale[staleBytes];
    ssize_t dropped = read(rcFd, stale, sizeof stale);
    (void)dropped;
    startThread(rcThread, remoteReader, this, "[RcInput] pthread_created error");

    keyFd = openOrExit(frontDevice);
    startThread(keyThread, frontReader, this, "[ButtonInput] pthread_created error");
}

RCInput *RCInput::getInstance() {
    // Never destroyed: its readers run until the process ends.
    static RCInput *instance = new RCInput;
    return instance;
}
