// Reading a text file line by line, the one way the core and the boot menu
// read their small files (configuration, image names, skins, mount table).
#pragma once

#include <cstdio>
#include <cstdlib>

// Calls visit(line, length) for every line of the file, split at line feeds;
// a last line without a line feed counts too. The line feed is not part of
// the line, which is ended by a zero byte for the C library's string calls
// (a line may hold zero bytes of its own: `length` is the truth). visit
// returns false to stop early. Reading ends at the end of the file or at
// the first read error. Returns false when the file cannot be opened.
template <typename Visit> bool forEachLine(const char *path, Visit visit) {
    FILE *f = fopen(path, "r");
    if (!f) return false;
    char *line = nullptr;
    size_t capacity = 0;
    ssize_t n;
    while ((n = getline(&line, &capacity, f)) > 0) {
        size_t length = size_t(n);
        if (line[length - 1] == '\n') line[--length] = '\0';
        if (!visit(line, length)) break;
    }
    free(line);
    fclose(f);
    return true;
}
