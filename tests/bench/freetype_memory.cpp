// FreeType with zeroed memory for every text engine the benchmarks make.
//
// The host's FreeType 2.12 takes its cache manager's record from the heap
// without clearing it and then trusts what it finds there (valgrind: a
// value from FTC_Manager_New's allocation, never written, decides a branch
// in FTC_SBitCache_Lookup). With leftovers in that memory the manager flushes
// its bitmap cache at every lookup, so a warm string costs as much as a cold
// one, and whether that happens depends on what the heap held before: the
// figures would jump from run to run. The text engine means to render a glyph
// once per size, so this program hands every library zeroed memory by
// providing the two entry points the text engine calls; the definitions here
// win over the shared library's for the whole program. BM_FontStringWidthHostMemory keeps the
// host's own allocation to show what the flaw costs.
#include "benchbox.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <ft2build.h>
#include <map>
#include FT_FREETYPE_H
#include FT_MODULE_H

namespace benchbox {
bool hostFreetypeMemory = false;
}

namespace {

void *zeroedAlloc(FT_Memory, long size) {
    return calloc(1, size_t(size));
}

void zeroedFree(FT_Memory, void *block) {
    free(block);
}

void *zeroedRealloc(FT_Memory, long oldSize, long newSize, void *block) {
    unsigned char *grown = static_cast<unsigned char *>(realloc(block, size_t(newSize)));
    if (grown && newSize > oldSize) memset(grown + oldSize, 0, size_t(newSize - oldSize));
    return grown;
}

// The libraries made here, with the memory record each one owns.
std::map<FT_Library, FT_Memory> zeroedLibraries;

template <typename Function> Function hostEntry(const char *name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" FT_Error FT_Init_FreeType(FT_Library *library) {
    using Init = FT_Error (*)(FT_Library *);
    static const Init hostInit = hostEntry<Init>("FT_Init_FreeType");
    if (benchbox::hostFreetypeMemory) return hostInit(library);

    FT_Memory memory = static_cast<FT_Memory>(malloc(sizeof(FT_MemoryRec_)));
    if (!memory) return FT_Err_Out_Of_Memory;
    *memory = FT_MemoryRec_{nullptr, zeroedAlloc, zeroedFree, zeroedRealloc};
    FT_Error error = FT_New_Library(memory, library);
    if (error) {
        free(memory);
        return error;
    }
    FT_Add_Default_Modules(*library);
    FT_Set_Default_Properties(*library);
    zeroedLibraries[*library] = memory;
    return FT_Err_Ok;
}

extern "C" FT_Error FT_Done_FreeType(FT_Library library) {
    using Done = FT_Error (*)(FT_Library);
    static const Done hostDone = hostEntry<Done>("FT_Done_FreeType");
    auto made = zeroedLibraries.find(library);
    if (made == zeroedLibraries.end()) return hostDone(library);
    FT_Error error = FT_Done_Library(library);
    free(made->second);
    zeroedLibraries.erase(made);
    return error;
}
