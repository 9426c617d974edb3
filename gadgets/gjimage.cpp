// Picture files of GRAPH gadgets: PNG through libpng, JPEG through libjpeg, GIF through giflib
// (each opened at its first use; without it its files fail to save and load), BMP (24-bit,
// uncompressed) by hand.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <map>
#include <strings.h>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include "gadgets/gjlazy.h"
#include "gadgets/gjmodel.h"

#define PNG(fn) GJ_LAZY(GJ_PNG, fn)
#define JPG(fn) GJ_LAZY(GJ_JPEG, fn)
#define GIF(fn) GJ_LAZY(GJ_GIF, fn)

int gj_image_kind(const char *path)
{
    size_t n = strlen(path);
    if (n <= 5) return 0;
    auto ends = [&](const char *e) {
        size_t k = strlen(e);
        return n > k && strcasecmp(path + n - k, e) == 0;
    };
    if (ends(".gif")) return 'g';
    if (ends(".bmp")) return 'b';
    if (ends(".png")) return 'p';
    if (ends(".jpg") || ends(".jpeg")) return 'j';
    return 0;
}

namespace {

std::vector<uint8_t> rgb_of(const GJ_PIXELS &pic)
{
    std::vector<uint8_t> out(pic.px.size() * 3);
    for (size_t i = 0; i < pic.px.size(); i++) {
        out[3 * i] = uint8_t(pic.px[i] >> 16), out[3 * i + 1] = uint8_t(pic.px[i] >> 8);
        out[3 * i + 2] = uint8_t(pic.px[i]);
    }
    return out;
}

int from_rgb(GJ_PIXELS &pic, int w, int h, const uint8_t *rgb)
{
    GJ_PIXELS p;
    if (p.pix_resize(w, h, 0) != 0) return -1;
    for (size_t i = 0; i < p.px.size(); i++)
        p.px[i] = uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    pic = std::move(p);
    return 0;
}

// ---- PNG

int png_save(const GJ_PIXELS &pic, const char *path)
{
    png_image im{};
    im.version = PNG_IMAGE_VERSION;
    im.width = pic.w, im.height = pic.h, im.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb = rgb_of(pic);
    int r = PNG(png_image_write_to_file)(&im, path, 0, rgb.data(), 0, nullptr);
    PNG(png_image_free)(&im);
    return r ? 0 : -1;
}

int png_load(GJ_PIXELS &pic, const char *path)
{
    png_image im{};
    im.version = PNG_IMAGE_VERSION;
    if (!PNG(png_image_begin_read_from_file)(&im, path)) return -1;
    im.format = PNG_FORMAT_RGB;
    if (im.width < 1 || im.height < 1 || im.width > GJ_PIXELS::SIDE_MAX || im.height > GJ_PIXELS::SIDE_MAX ||
        long(im.width) * im.height > GJ_PIXELS::PIXELS_MAX) {
        PNG(png_image_free)(&im);
        return -1;
    }
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(im));
    png_color white{255, 255, 255};   // a transparent picture lands on white
    int r = PNG(png_image_finish_read)(&im, &white, rgb.data(), 0, nullptr);
    PNG(png_image_free)(&im);
    return r ? from_rgb(pic, int(im.width), int(im.height), rgb.data()) : -1;
}

// ---- JPEG: libjpeg's errors leave through longjmp; nothing with a destructor lives between.

struct JERR {
    jpeg_error_mgr mgr;
    jmp_buf back;
    uint8_t *rgb = nullptr;   // the load's pixels: in memory, so that the longjmp sees them
};

void jerr_exit(j_common_ptr c) { longjmp(reinterpret_cast<JERR *>(c->err)->back, 1); }
void jerr_quiet(j_common_ptr) {}   // warnings of a damaged file are no business of stderr

int jpg_save(const GJ_PIXELS &pic, const char *path, int quality)
{
    std::vector<uint8_t> rgb = rgb_of(pic);
    FILE *f = fopen(path, "wb");
    if (!f) return -1;
    jpeg_compress_struct cj;
    JERR err;
    cj.err = JPG(jpeg_std_error)(&err.mgr);
    err.mgr.error_exit = jerr_exit;
    if (setjmp(err.back)) {
        JPG(jpeg_destroy_compress)(&cj);
        fclose(f);
        return -1;
    }
    JPG(jpeg_CreateCompress)(&cj, JPEG_LIB_VERSION, sizeof cj);
    JPG(jpeg_stdio_dest)(&cj, f);
    cj.image_width = pic.w, cj.image_height = pic.h, cj.input_components = 3, cj.in_color_space = JCS_RGB;
    JPG(jpeg_set_defaults)(&cj);
    JPG(jpeg_set_quality)(&cj, quality, TRUE);
    JPG(jpeg_start_compress)(&cj, TRUE);
    while (cj.next_scanline < cj.image_height) {
        JSAMPROW row = &rgb[size_t(cj.next_scanline) * pic.w * 3];
        JPG(jpeg_write_scanlines)(&cj, &row, 1);
    }
    JPG(jpeg_finish_compress)(&cj);
    JPG(jpeg_destroy_compress)(&cj);
    return fclose(f) == 0 ? 0 : -1;
}

int jpg_load(GJ_PIXELS &pic, const char *path)
{
    FILE *f = fopen(path, "rb");
    if (!f) return -1;
    jpeg_decompress_struct dj;
    JERR err;
    dj.err = JPG(jpeg_std_error)(&err.mgr);
    err.mgr.error_exit = jerr_exit;
    err.mgr.output_message = jerr_quiet;
    if (setjmp(err.back)) {
        free(err.rgb);
        JPG(jpeg_destroy_decompress)(&dj);
        fclose(f);
        return -1;
    }
    JPG(jpeg_CreateDecompress)(&dj, JPEG_LIB_VERSION, sizeof dj);
    JPG(jpeg_stdio_src)(&dj, f);
    JPG(jpeg_read_header)(&dj, TRUE);
    dj.out_color_space = JCS_RGB;
    JPG(jpeg_start_decompress)(&dj);
    int w = int(dj.output_width), h = int(dj.output_height);
    if (w > GJ_PIXELS::SIDE_MAX || h > GJ_PIXELS::SIDE_MAX || long(w) * h > GJ_PIXELS::PIXELS_MAX ||
        !(err.rgb = static_cast<uint8_t *>(malloc(size_t(w) * h * 3))))
        longjmp(err.back, 1);
    while (dj.output_scanline < dj.output_height) {
        JSAMPROW row = err.rgb + size_t(dj.output_scanline) * w * 3;
        JPG(jpeg_read_scanlines)(&dj, &row, 1);
    }
    JPG(jpeg_finish_decompress)(&dj);
    JPG(jpeg_destroy_decompress)(&dj);
    fclose(f);
    int r = from_rgb(pic, w, h, err.rgb);
    free(err.rgb);
    return r;
}

// ---- BMP: 24 bits, rows bottom up, each padded to four bytes.

void put16(std::vector<uint8_t> &b, unsigned v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
void put32(std::vector<uint8_t> &b, uint32_t v) { put16(b, v & 0xFFFF), put16(b, v >> 16); }
uint32_t get32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

int bmp_save(const GJ_PIXELS &pic, const char *path)
{
    uint32_t stride = (uint32_t(pic.w) * 3 + 3) & ~3u, size = stride * pic.h;
    std::vector<uint8_t> b;
    b.reserve(54 + size);
    b.push_back('B'), b.push_back('M');
    put32(b, 54 + size), put32(b, 0), put32(b, 54);
    put32(b, 40), put32(b, pic.w), put32(b, pic.h), put16(b, 1), put16(b, 24);
    put32(b, 0), put32(b, size), put32(b, 2835), put32(b, 2835), put32(b, 0), put32(b, 0);
    for (int y = pic.h - 1; y >= 0; y--) {
        for (int x = 0; x < pic.w; x++) {
            uint32_t c = pic.px[size_t(y) * pic.w + x];
            b.push_back(uint8_t(c)), b.push_back(uint8_t(c >> 8)), b.push_back(uint8_t(c >> 16));
        }
        for (uint32_t k = pic.w * 3; k < stride; k++) b.push_back(0);
    }
    FILE *f = fopen(path, "wb");
    if (!f) return -1;
    bool bad = fwrite(b.data(), 1, b.size(), f) != b.size();
    return fclose(f) != 0 || bad ? -1 : 0;
}

// 24- and 32-bit uncompressed pictures, either row order.
int bmp_load(GJ_PIXELS &pic, const std::vector<uint8_t> &f)
{
    if (f.size() < 54) return -1;
    uint32_t off = get32(&f[10]);
    int32_t w = int32_t(get32(&f[18])), h = int32_t(get32(&f[22]));
    int bits = f[28] | f[29] << 8;
    uint32_t comp = get32(&f[30]);
    bool down = h < 0;
    if (down) h = h == INT32_MIN ? 0 : -h;
    if ((bits != 24 && bits != 32) || (comp != 0 && comp != 3) || w < 1 || h < 1 || w > GJ_PIXELS::SIDE_MAX ||
        h > GJ_PIXELS::SIDE_MAX)
        return -1;
    size_t bpp = size_t(bits) / 8, stride = (size_t(w) * bpp + 3) & ~size_t(3);
    if (off > f.size() || (f.size() - off) / stride < size_t(h)) return -1;
    GJ_PIXELS p;
    if (p.pix_resize(w, h, 0) != 0) return -1;
    for (int y = 0; y < h; y++) {
        const uint8_t *row = &f[off + stride * size_t(down ? y : h - 1 - y)];
        for (int x = 0; x < w; x++, row += bpp) p.px[size_t(y) * w + x] = row[2] << 16 | row[1] << 8 | row[0];
    }
    pic = std::move(p);
    return 0;
}

// ---- GIF: the picture's own colours when there are 256 or fewer, else giflib's quantizer.

int gif_palette(const GJ_PIXELS &pic, std::vector<GifColorType> &pal, std::vector<GifByteType> &idx)
{
    std::map<uint32_t, int> seen;
    idx.resize(pic.px.size());
    for (size_t i = 0; i < pic.px.size(); i++) {
        auto [it, fresh] = seen.emplace(pic.px[i], int(seen.size()));
        if (fresh && seen.size() > 256) break;
        idx[i] = GifByteType(it->second);
    }
    if (seen.size() <= 256) {
        pal.resize(256);
        for (auto [c, k] : seen) pal[k] = {GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)};
        return 0;
    }
    std::vector<GifByteType> r(pic.px.size()), g(r.size()), b(r.size());
    for (size_t i = 0; i < r.size(); i++)
        r[i] = GifByteType(pic.px[i] >> 16), g[i] = GifByteType(pic.px[i] >> 8), b[i] = GifByteType(pic.px[i]);
    int size = 256;
    pal.resize(256);
    return GIF(GifQuantizeBuffer)(pic.w, pic.h, &size, r.data(), g.data(), b.data(), idx.data(), pal.data()) ==
                   GIF_OK
               ? 0
               : -1;
}

int gif_save(const GJ_PIXELS &pic, const char *path)
{
    std::vector<GifColorType> pal;
    std::vector<GifByteType> idx;
    if (gif_palette(pic, pal, idx) != 0) return -1;
    int err = 0;
    GifFileType *g = GIF(EGifOpenFileName)(path, false, &err);
    if (!g) return -1;
    ColorMapObject *map = GIF(GifMakeMapObject)(256, pal.data());
    bool ok = map && GIF(EGifPutScreenDesc)(g, pic.w, pic.h, 8, 0, map) == GIF_OK &&
              GIF(EGifPutImageDesc)(g, 0, 0, pic.w, pic.h, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < pic.h; y++) ok = GIF(EGifPutLine)(g, &idx[size_t(y) * pic.w], pic.w) == GIF_OK;
    GIF(GifFreeMapObject)(map);
    if (GIF(EGifCloseFile)(g, &err) != GIF_OK) ok = false;
    return ok ? 0 : -1;
}

int gif_load(GJ_PIXELS &pic, const char *path)
{
    int err = 0;
    GifFileType *g = GIF(DGifOpenFileName)(path, &err);
    if (!g) return -1;
    int r = -1;
    if (GIF(DGifSlurp)(g) == GIF_OK && g->ImageCount > 0) {
        const SavedImage &im = g->SavedImages[0];
        const ColorMapObject *map = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : g->SColorMap;
        int w = im.ImageDesc.Width, h = im.ImageDesc.Height;
        GJ_PIXELS p;
        if (map && p.pix_resize(w, h, 0) == 0) {
            for (size_t i = 0; i < p.px.size(); i++) {
                int k = im.RasterBits[i];
                const GifColorType c = k < map->ColorCount ? map->Colors[k] : GifColorType{0, 0, 0};
                p.px[i] = uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
            }
            pic = std::move(p);
            r = 0;
        }
    }
    GIF(DGifCloseFile)(g, &err);
    return r;
}

} // namespace

int gj_image_save(const GJ_PIXELS &pic, const char *path, int jpg_quality)
{
    if (pic.w < 1 || pic.h < 1) return -1;
    switch (gj_image_kind(path)) {
    case 'p': return gj_lib_open(GJ_PNG) ? png_save(pic, path) : -1;
    case 'j': return gj_lib_open(GJ_JPEG) ? jpg_save(pic, path, jpg_quality) : -1;
    case 'b': return bmp_save(pic, path);
    case 'g': return gj_lib_open(GJ_GIF) ? gif_save(pic, path) : -1;
    default: return -2;
    }
}

int gj_image_load(GJ_PIXELS &pic, const char *path)
{
    FILE *f = fopen(path, "rb");
    if (!f) return -1;
    std::vector<uint8_t> head(8, 0);
    size_t n = fread(head.data(), 1, head.size(), f);
    if (head[0] == 'B' && head[1] == 'M') {
        // The whole file, bounded by the largest picture a load takes.
        std::vector<uint8_t> all(head.begin(), head.begin() + long(n));
        char buf[65536];
        size_t k;
        while ((k = fread(buf, 1, sizeof buf, f)) > 0 && all.size() < 80u * 1024 * 1024) all.insert(all.end(), buf, buf + k);
        fclose(f);
        return bmp_load(pic, all);
    }
    fclose(f);
    if (n >= 8 && memcmp(head.data(), "\x89PNG\r\n\x1a\n", 8) == 0) return gj_lib_open(GJ_PNG) ? png_load(pic, path) : -1;
    if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return gj_lib_open(GJ_JPEG) ? jpg_load(pic, path) : -1;
    if (n >= 4 && memcmp(head.data(), "GIF8", 4) == 0) return gj_lib_open(GJ_GIF) ? gif_load(pic, path) : -1;
    return -1;
}
