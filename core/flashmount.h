// The flash's writable partition, mounted at "/tmp/jffs2" for the length of
// one operation and removed again afterwards.
#pragma once

// Clears a mount an earlier operation may have left, makes "/tmp/jffs2" and
// mounts the partition there. A failed mount shows only as missing files.
void mountFlash();

// Unmounts "/tmp/jffs2" and removes the directory, but only once nothing is
// mounted there any more: a busy partition is left whole.
void unmountFlash();

// True while some file system is mounted at "/tmp/jffs2".
bool flashMounted();

// Holds the partition mounted for the lifetime of the object.
class FlashMount {
  public:
    FlashMount() { mountFlash(); }
    ~FlashMount() { unmountFlash(); }
    FlashMount(const FlashMount &) = delete;
    FlashMount &operator=(const FlashMount &) = delete;
};
