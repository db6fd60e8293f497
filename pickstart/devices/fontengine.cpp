#include "fontengine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include FT_MODULE_H

const char *const FontEngine::fontPath = "/share/fonts/pakenham.ttf";

namespace {

// The box has little memory: one font, a handful of sizes.
const FT_UInt maxFaces = 10;
const FT_UInt maxSizes = 20;
const FT_ULong maxBytes = 4194304;

// The installed FreeType takes its cache manager's record from the heap
// without clearing all of it; a leftover weight there makes the manager
// flush the glyph cache at every lookup, so each glyph would be rendered
// anew on every key. Memory that comes zeroed keeps the cache working.
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

FT_MemoryRec_ zeroedMemory = {nullptr, zeroedAlloc, zeroedFree, zeroedRealloc};

// FT_Init_FreeType over zeroed memory.
FT_Error newLibrary(FT_Library *library) {
    FT_Error error = FT_New_Library(&zeroedMemory, library);
    if (error) return error;
    FT_Add_Default_Modules(*library);
    FT_Set_Default_Properties(*library);
    return 0;
}

} // namespace

FontEngine::~FontEngine() {
    release();
}

int FontEngine::setup() {
    FT_Error error = newLibrary(&library);
    if (error) {
        printf("[FONT] <FT_Init_FreeType failed with Errorcode 0x%.2X>", error);
        library = nullptr;
        return error;
    }
    error = FTC_Manager_New(library, maxFaces, maxSizes, maxBytes, requestFace, this, &manager);
    if (error) {
        printf("[FONT] <FTC_Manager_New failed with Errorcode 0x%.2X>\n", error);
        manager = nullptr;
        release();
        return error;
    }
    error = FTC_SBitCache_New(manager, &bitmapCache);
    if (error) {
        printf("[FONT] <FTC_SBitCache_New failed with Errorcode 0x%.2X>\n", error);
        release();
        return error;
    }
    FT_Face found = nullptr;
    error = FTC_Manager_LookupFace(manager, (FTC_FaceID)fontPath, &found);
    if (error) {
        printf("[FONT] <FTC_Manager_Lookup_Face failed with Errorcode 0x%.2X>\n", error);
        release();
        return error;
    }
    face = found;
    useKerning = (face->face_flags & FT_FACE_FLAG_KERNING) ? 1 : 0;
    imageType.face_id = (FTC_FaceID)fontPath;
    imageType.flags = FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO;
    return 0;
}

void FontEngine::release() {
    if (manager) FTC_Manager_Done(manager);
    if (library) FT_Done_Library(library);
    manager = nullptr;
    library = nullptr;
    bitmapCache = nullptr;
    glyph = nullptr;
    face = nullptr;
    useKerning = 0;
}

FT_Error FontEngine::requestFace(FTC_FaceID, FT_Library, FT_Pointer requestData, FT_Face *face) {
    FontEngine *engine = static_cast<FontEngine *>(requestData);
    FT_Error error = FT_New_Face(engine->library, fontPath, 0, face);
    if (error) {
        printf(" failed: %s", strerror(error));
        return error;
    }
    FT_Select_Charmap(*face, FT_ENCODING_UNICODE);
    return 0;
}

int FontEngine::kerning(FT_UInt glyphIndex) {
    // Kerning is scaled by the face's active size, which is the size last
    // rasterised, not the one drawn now when the glyph came from the cache.
    FTC_ScalerRec scaler = {imageType.face_id, imageType.width, imageType.height, 1, 0, 0};
    FT_Size size;
    FT_Vector delta = {0, 0};
    if (FTC_Manager_LookupSize(manager, &scaler, &size) == 0)
        FT_Get_Kerning(face, previousGlyph, glyphIndex, FT_KERNING_DEFAULT, &delta);
    previousGlyph = glyphIndex;
    // Whole pixels; a negative kerning rounds down.
    return int(delta.x >> 6);
}

void FontEngine::paintBitmap(int x, int y, GlyphPainter &painter) const {
    if (!glyph->buffer) return;
    const int left = x + glyph->left;
    const int top = y - glyph->top;
    for (int r = 0; r < glyph->height; ++r) {
        const unsigned char *row = glyph->buffer + r * glyph->pitch;
        for (int c = 0; c < glyph->width;) {
            if (!(row[c >> 3] & (0x80 >> (c & 7)))) {
                ++c;
                continue;
            }
            const int start = c;
            while (c < glyph->width && (row[c >> 3] & (0x80 >> (c & 7))))
                ++c;
            painter.paintRun(left + start, top + r, c - start);
        }
    }
}

int FontEngine::drawChar(int ch, int x, int y, int limit, GlyphPainter *painter) {
    if (!ready()) return 0;
    FT_UInt index = FT_Get_Char_Index(face, FT_ULong(ch));
    if (!index) {
        printf("Norvik <FT_Get_Char_Index for Char \"%c\" failed: \"undefined character code\">\n",
               ch);
        return 0;
    }
    FTC_SBit found = nullptr;
    FT_Error error = FTC_SBitCache_Lookup(bitmapCache, &imageType, index, &found, nullptr);
    if (error) {
        printf("Norvik <FTC_SBitCache_Lookup for Char \"%c\" failed with Errorcode 0x%.2X>\n", ch,
               error);
        return 0;
    }
    glyph = found;
    const int kern = useKerning ? kerning(index) : 0;
    if (!painter) return glyph->xadvance + kern;
    if (x + glyph->xadvance >= limit) return -1;
    paintBitmap(x + kern, y, *painter);
    return glyph->xadvance + kern;
}

int FontEngine::stringWidth(const eString &text) {
    previousGlyph = 0;
    int width = 0;
    for (const char *p = text.c_str(); *p; ++p)
        width += drawChar((unsigned char)*p, 0, 0, 0, nullptr);
    return width;
}

void FontEngine::drawString(const eString &text, int x, int y, int maxWidth, int layout, int size,
                            GlyphPainter *painter) {
    imageType.width = FT_UInt(size);
    imageType.height = FT_UInt(size);
    if (layout != 0) {
        const int width = stringWidth(text);
        if (width < maxWidth) {
            if (layout == 1)
                x += (maxWidth - width) / 2;
            else if (layout == 2)
                x += maxWidth - width;
        }
    }
    previousGlyph = 0;
    const int limit = x + maxWidth;
    for (const char *p = text.c_str(); *p; ++p) {
        const int advance = drawChar((unsigned char)*p, x, y, limit, painter);
        if (advance == -1) break;
        x += advance;
    }
}
