// Reading a skin: its four lines and its background picture.
#include "menuapp.h"

#include "boxpaths.h"
#include "framebuffer.h"
#include "menulayout.h"
#include "pngfile.h"

#include <cstdlib>
#include <new>
#include <unistd.h>

void MenuApp::loadSkin(eString path) {
    if (access(path.c_str(), R_OK) != 0) path = boxpath::fallbackSkin;
    firstline[0] = -1;
    firstline[1] = -1;
    readSkinFile(path.c_str(), firstline, menusize, stringcolor, selectcolor);
}

void MenuApp::loadBackground(eString path) {
    if (access(path.c_str(), R_OK) != 0) path = boxpath::fallbackPicture;
    if (isPng(path.c_str()) != 1) return;
    int width = 0, height = 0;
    if (getPngSize(path.c_str(), &width, &height) != 0) return;
    unsigned char *rgb = new (std::nothrow) unsigned char[size_t(width) * size_t(height) * 3];
    if (!rgb) return;
    if (loadPng(path.c_str(), rgb, width, height) == 0) {
        fb->setVideoFormat(atoi(cfg->videoformat.c_str()));
        fb->SetMode(720, 576, 16);
        fb->showPicture(rgb, width, height, 0, 0, 0, 0);
    }
    delete[] rgb;
}
