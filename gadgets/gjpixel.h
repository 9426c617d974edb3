// The picture of a GRAPH gadget: a plain buffer of 0xRRGGBB pixels, rows top down. Drawing is
// arithmetic on the buffer, so a script draws and saves the same picture with or without a window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class GJ_PIXELS {
public:
    enum { SIDE_MAX = 8192, PIXELS_MAX = 4096 * 4096 };   // what a resize or a loaded file may ask

    int w = 0, h = 0;
    std::vector<uint32_t> px;

    // 0, or -1 for a size outside 1 x 1 ... the limits (the picture is kept then).
    int pix_resize(int nw, int nh, uint32_t fill);
    bool pix_inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    // The pixel's colour, -1 outside the picture.
    int pix_get(int x, int y) const { return pix_inside(x, y) ? int(px[size_t(y) * w + x]) : -1; }
    void pix_set(int x, int y, uint32_t c)
    {
        if (pix_inside(x, y)) px[size_t(y) * w + x] = c & 0xFFFFFF;
    }
    void pix_clear(uint32_t c);
    void pix_line(int x1, int y1, int x2, int y2, uint32_t c);
    void pix_box(int x1, int y1, int x2, int y2, uint32_t c);    // outline, corners in any order
    void pix_bar(int x1, int y1, int x2, int y2, uint32_t c);    // filled
    void pix_circle(int x, int y, int r, uint32_t c) { pix_oval(x - r, y - r, x + r, y + r, c); }
    void pix_disk(int x, int y, int r, uint32_t c);
    void pix_oval(int x1, int y1, int x2, int y2, uint32_t c);   // ellipse in the bounding box
    // Fills the 4-connected area of the point's colour: the pixels changed, -1 outside.
    long pix_paint(int x, int y, uint32_t c);
    // Moves the picture by dx, dy; the uncovered strip takes the fill colour.
    void pix_scroll(int dx, int dy, uint32_t fill);

private:
    void span(int x1, int x2, int y, uint32_t c);
};
