// FontEngine: the boot menu's one text engine. It renders the box's TrueType
// font as cached monochrome glyph bitmaps; its owner (screen or front
// display) decides what a set glyph bit becomes.
#pragma once

#include "estring.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H

// Receives the points of a glyph being drawn; each owner paints them its way.
class GlyphPainter {
  public:
    virtual void paint(int x, int y) = 0;
    // `length` set bits side by side from x on row y. Glyphs are mostly
    // runs; an owner that can fill a run at once saves a call per point.
    virtual void paintRun(int x, int y, int length) {
        for (int i = 0; i < length; ++i)
            paint(x + i, y);
    }

  protected:
    ~GlyphPainter() = default;
};

class FontEngine {
  public:
    FT_Library library = nullptr;
    FTC_Manager manager = nullptr;
    FTC_SBitCache bitmapCache = nullptr;
    FTC_SBit glyph = nullptr;
    FTC_ImageTypeRec imageType = {};
    FT_Face face = nullptr;
    FT_UInt previousGlyph = 0;
    int useKerning = 0;

    static const char *const fontPath;

    FontEngine() = default;
    ~FontEngine();
    FontEngine(const FontEngine &) = delete;
    FontEngine &operator=(const FontEngine &) = delete;

    // Makes library, cache manager, bitmap cache and face. Result 0, or the
    // FreeType error of the step that failed (everything made so far is
    // released again, so the engine is simply not ready).
    int setup();
    // Releases the cache manager (and with it cache and faces), then the
    // library. Safe to call more than once.
    void release();
    bool ready() const { return face != nullptr; }

    // The cache manager's face requester; requestData is the engine.
    static FT_Error requestFace(FTC_FaceID faceId, FT_Library library, FT_Pointer requestData,
                                FT_Face *face);

    // One character with its baseline at row y. painter null: measure only.
    // Result: the pen advance, 0 for a character that is skipped, or -1 when
    // it would reach limit (then nothing is drawn).
    int drawChar(int ch, int x, int y, int limit, GlyphPainter *painter);
    // Sum of the advances of the text at the current size.
    int stringWidth(const eString &text);
    // Layout 0 left, 1 centred in maxWidth, 2 right-aligned; the text ends at
    // the last whole character before x + maxWidth. y is the baseline.
    void drawString(const eString &text, int x, int y, int maxWidth, int layout, int size,
                    GlyphPainter *painter);

  private:
    int kerning(FT_UInt glyphIndex);
    void paintBitmap(int x, int y, GlyphPainter &painter) const;
};
