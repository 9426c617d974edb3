#include "gadgets/gjfont.h"

#include "base/kovtext.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

#include "gadgets/gjlazy.h"

#define FC(fn) GJ_LAZY(GJ_FONTCONFIG, fn)
#define FT(fn) GJ_LAZY(GJ_FREETYPE, fn)

namespace {

// The face, loaded once on first use; nullptr when the system has none (or lacks the libraries).
FT_Face face()
{
    static FT_Library lib = nullptr;
    static FT_Face f = nullptr;
    static bool tried = false;
    if (tried) return f;
    tried = true;
    std::string path;
    if (!gj_lib_open(GJ_FONTCONFIG) || !gj_lib_open(GJ_FREETYPE)) return nullptr;
    if (FC(FcInit)()) {
        FcPattern *pat = FC(FcNameParse)(reinterpret_cast<const FcChar8 *>("monospace:lang=ja"));
        FC(FcConfigSubstitute)(nullptr, pat, FcMatchPattern);
        FC(FcDefaultSubstitute)(pat);
        FcResult r;
        if (FcPattern *m = FC(FcFontMatch)(nullptr, pat, &r)) {
            FcChar8 *file = nullptr;
            if (FC(FcPatternGetString)(m, FC_FILE, 0, &file) == FcResultMatch) path = reinterpret_cast<char *>(file);
            FC(FcPatternDestroy)(m);
        }
        FC(FcPatternDestroy)(pat);
        FC(FcFini)();   // only the path is kept: fontconfig's caches go
    }
    if (path.empty() || FT(FT_Init_FreeType)(&lib) != 0) return nullptr;
    if (FT(FT_New_Face)(lib, path.c_str(), 0, &f) != 0) f = nullptr;
    return f;
}

// The code points of UTF-8 text (bad bytes skipped).
std::vector<char32_t> code_points(const std::string &u)
{
    std::vector<char32_t> out;
    for (size_t k = 0; k < u.size();) {
        unsigned char c = u[k];
        int n = c < 0x80 ? 1 : c >> 5 == 6 ? 2 : c >> 4 == 14 ? 3 : c >> 3 == 30 ? 4 : 0;
        if (!n || k + n > u.size()) {
            k++;
            continue;
        }
        char32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (int j = 1; j < n; j++) cp = cp << 6 | (u[k + j] & 0x3F);
        out.push_back(cp);
        k += n;
    }
    return out;
}

uint32_t blend(uint32_t under, uint32_t over, unsigned a)
{
    uint32_t out = 0;
    for (int sh = 0; sh < 24; sh += 8) {
        unsigned u = under >> sh & 255, o = over >> sh & 255;
        out |= ((o * a + u * (255 - a) + 127) / 255) << sh;
    }
    return out;
}

} // namespace

int gj_font_text(GJ_PIXELS &pic, int x, int y, const char *sjis, int color, int back, int px)
{
    FT_Face f = face();
    if (!f || FT(FT_Set_Pixel_Sizes)(f, 0, FT_UInt(px)) != 0) return -1;
    std::vector<char32_t> text = code_points(kov::sj_to_utf8(sjis ? sjis : ""));
    const int ascent = int(f->size->metrics.ascender >> 6), height = int(f->size->metrics.height >> 6);
    if (back >= 0) {
        int w = 0;
        for (char32_t c : text)
            if (FT(FT_Load_Char)(f, c, FT_LOAD_DEFAULT) == 0) w += int(f->glyph->advance.x >> 6);
        if (w > 0) pic.pix_bar(x, y, x + w - 1, y + height - 1, uint32_t(back));
    }
    if (color < 0) return 0;
    int pen = x;
    for (char32_t c : text) {
        if (FT(FT_Load_Char)(f, c, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = f->glyph;
        const FT_Bitmap &bm = g->bitmap;
        for (unsigned r = 0; r < bm.rows; r++)
            for (unsigned k = 0; k < bm.width; k++) {
                unsigned a = bm.buffer[r * bm.pitch + k];
                int px_x = pen + g->bitmap_left + int(k), px_y = y + ascent - g->bitmap_top + int(r);
                if (a && pic.pix_inside(px_x, px_y))
                    pic.pix_set(px_x, px_y, blend(uint32_t(pic.pix_get(px_x, px_y)), uint32_t(color), a));
            }
        pen += int(g->advance.x >> 6);
    }
    return 0;
}
