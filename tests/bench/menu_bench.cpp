// The boot menu as a whole, through MenuApp's own code: start-up up to the
// first drawn menu, one key press that moves the selection, and one change
// of skin. With the inactive marker in place MenuApp's constructor returns
// at once; the benchmark then hands it what the menu stage would make,
// leaving out the key readers and the skin listing (threads that never end,
// and a flash mount).
#include "benchbox.h"
#include "bmconfig.h"
#include "bmimages.h"
#include "framebuffer.h"
#include "lcddisplay.h"
#include "menuapp.h"
#include "menulayout.h"
#include "menutimer.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

// Owns what MenuApp's constructor would have made and deleted. The marker
// that keeps the constructor short is made by benchbox::prepare().
struct Menu {
    std::unique_ptr<MenuApp> app{new MenuApp};

    ~Menu() {
        delete app->fb;
        delete app->lcd;
        delete app->cfg;
        delete app->imagelist;
    }

    // The constructor's steps up to the first drawn menu.
    void open() {
        app->cfg = new bmconfig;
        app->imagelist = new bmimages;
        app->fb = new FrameBuffer;
        app->lcd = new CLCDDisplay;
        app->cfg->load();
        app->loadImages();
        const eString skinfile = app->cfg->skinpath + "/" + app->cfg->skinname;
        app->loadSkin(skinfile);
        app->loadBackground(pictureFor(skinfile));
        app->drawTitle();
        app->drawMenu();
    }

    // Null when a full page was drawn on both screens, else why not.
    const char *problem() const {
        if (const char *why = benchbox::notDrawable(app->fb, app->lcd)) return why;
        if (app->fb->bitsPerPixel != 16) return "the menu's mode was not set";
        if (app->lastentry != 3) return "the medium does not give a full page of four entries";
        return nullptr;
    }
};

bool opened(benchmark::State &state, Menu &menu) {
    menu.open();
    const char *why = menu.problem();
    if (why) state.SkipWithError(why);
    return !why;
}

// Power-up to the first menu on both screens.
void BM_MenuStartup(benchmark::State &state) {
    benchbox::timeOpening(
        state,
        [] {
            auto menu = std::make_unique<Menu>();
            menu->open();
            return menu;
        },
        [](const Menu &menu) { return menu.problem(); });
}
BENCHMARK(BM_MenuStartup)->Unit(benchmark::kMillisecond);

// Every key restarts the timeout: cancel and join the sleeping thread,
// start a new one.
void BM_MenuTimerRestart(benchmark::State &state) {
    for (auto _ : state)
        MenuTimer::start(10);
}
BENCHMARK(BM_MenuTimerRestart)->Unit(benchmark::kMicrosecond);

// The down key as handleKey takes it: timer restart, next entry, redraw
// (restore, dot, four names on the TV, the display's page and its write);
// and the redraw alone.
void BM_MenuKey(benchmark::State &state, bool restartTimer) {
    Menu menu;
    if (!opened(state, menu)) return;
    MenuApp &app = *menu.app;
    benchbox::DisplayRewind rewind;
    for (auto _ : state) {
        if (restartTimer) MenuTimer::start(atoi(app.cfg->timeout.c_str()));
        app.selected = wrapIndex(app.selected + 1, app.lastentry);
        app.drawMenu();
        rewind.after(*app.lcd);
    }
}
BENCHMARK_CAPTURE(BM_MenuKey, path, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MenuKey, redraw_only, false)->Unit(benchmark::kMicrosecond);

// A skin key: the skin's four operations again (same skin, so the glyphs
// of its sizes are cached).
void BM_MenuSkinChange(benchmark::State &state) {
    Menu menu;
    if (!opened(state, menu)) return;
    MenuApp &app = *menu.app;
    benchbox::DisplayRewind rewind;
    for (auto _ : state) {
        app.loadSkin(benchbox::skinFile);
        app.loadBackground(pictureFor(benchbox::skinFile));
        app.drawTitle();
        app.drawMenu();
        rewind.after(*app.lcd);
    }
}
BENCHMARK(BM_MenuSkinChange)->Unit(benchmark::kMillisecond);

} // namespace
