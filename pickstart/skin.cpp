// Reading a skin: its four lines and its background picture.
#include "menuapp.h"

#include "boxpaths.h"
#include "framebuffer.h"
#include "menulayout.h"
#include "pngfile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unistd.h>

void MenuApp::loadSkin(eString path)
{
    const struct {
        const char *key;
        int *values;
        int count;
    } keys[] = {
        {"first-line", firstline, 6},
        {"menu-size", menusize, 4},
        {"string-color", stringcolor, 3},
        {"select-color", selectcolor, 3},
    };

    if (access(path.c_str(), R_OK) != 0)
        path = boxpath::fallbackSkin;
    firstline[0] = -1;
    firstline[1] = -1;
    FILE *f = fopen(path.c_str(), "r");
    if (!f)
        return;
    char *line = nullptr;
    size_t capacity = 0;
    while (getline(&line, &capacity, f) > 0) {
        for (const auto &k : keys) {
            size_t keyLength = strlen(k.key);
            if (strncmp(line, k.key, keyLength) != 0)
                continue;
            // Numbers land in place until the first one that does not scan.
            int scanned[6];
            int n = scanSkinLine(line, k.key, scanned, k.count);
            for (int i = 0; i < n; ++i)
                k.values[i] = scanned[i];
            break;
        }
    }
    free(line);
    fclose(f);
}

void MenuApp::loadBackground(eString path)
{
    if (access(path.c_str(), R_OK) != 0)
        path = boxpath::fallbackPicture;
    if (isPng(path.c_str()) != 1)
        return;
    int width = 0, height = 0;
    if (getPngSize(path.c_str(), &width, &height) != 0)
        return;
    unsigned char *rgb = new (std::nothrow) unsigned char[size_t(width) * size_t(height) * 3];
    if (!rgb)
        return;
    if (loadPng(path.c_str(), rgb, width, height) == 0) {
        fb->setVideoFormat(atoi(cfg->videoformat.c_str()));
        fb->SetMode(720, 576, 16);
        fb->showPicture(rgb, width, height, 0, 0, 0, 0);
    }
    delete[] rgb;
}
