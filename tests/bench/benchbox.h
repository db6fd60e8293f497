// The box the benchmarks run against, inside the private root: device
// stand-ins, the font, a configuration, the fallback skin and a medium with
// three images; and the menu values the device benchmarks draw with.
#pragma once

#include "estring.h"

#include <benchmark/benchmark.h>
#include <vector>

class FrameBuffer;
class CLCDDisplay;

namespace benchbox {

// The configured skin and its picture, copies of the fallback skin.
extern const char *const skinFile;
extern const char *const pictureFile;

// One full page: the flash entry and the three images of the medium.
extern const char *const entryNames[4];

// Builds the box's files; false (with the reason on standard error) when
// something is missing.
bool prepare();

// The configured skin's values, read as the menu reads them.
struct MenuSkin {
    int firstline[6] = {-1, -1, 0, 0, 0, 0};
    int menusize[4] = {0, 0, 0, 0};
    int stringcolor[3] = {0, 0, 0};
    int selectcolor[3] = {0, 0, 0};
};
MenuSkin menuSkin();

// The skin's picture as RGB triplets; empty when it does not decode.
std::vector<unsigned char> decodedPicture(int &width, int &height);

// Why the screen or the display cannot be measured, or null when both
// answer (a screen that is not there makes every drawing call a no-op,
// which would time nothing).
const char *notDrawable(const FrameBuffer *fb, const CLCDDisplay *lcd);

// Times what `open` does (making an object as at start-up); checking the
// result with `problem` (null: fine, else why not) and destroying it are
// not counted.
template <typename Open, typename Problem>
void timeOpening(benchmark::State &state, Open open, Problem problem) {
    for (auto _ : state) {
        auto opened = open();
        state.PauseTiming();
        if (const char *why = problem(*opened)) {
            state.SkipWithError(why);
            break;
        }
        opened.reset();
        state.ResumeTiming();
    }
}

// The display stand-in keeps every update it gets. Rewinding now and then
// keeps its file small, so that updates overwrite pages as on the device
// instead of growing memory.
class DisplayRewind {
  public:
    void after(CLCDDisplay &lcd);

  private:
    unsigned updates = 0;
};

// Leaves freed blocks of every small size filled with leftovers, as the
// heap of a program that has been running a while holds them.
void dirtyHeap();

} // namespace benchbox
