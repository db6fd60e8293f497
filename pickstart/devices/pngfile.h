// PNG pictures for the menu's background: a quick signature test, the size
// query and the decoder into plain 8-bit RGB triplets.
#pragma once

// Results of getPngSize and loadPng: 0 done, 1 the file cannot be opened,
// 2 it cannot be decoded (not a readable PNG, not 3 bytes per pixel, or a
// picture larger than the box can hold).

// 1 when bytes 2 to 4 of the file are "PNG", else 0.
int isPng(const char *path);

// The picture's size in pixels; width and height are written only on 0.
int getPngSize(const char *path, int *width, int *height);

// Decodes the picture into `rgb`, rows top-down, 3 bytes per pixel. The
// size is the file's own; `width` x `height` is the caller's buffer size in
// pixels, and a picture that would not fit into it is refused with 2.
int loadPng(const char *path, unsigned char *rgb, int width, int height);
