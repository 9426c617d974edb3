#include "gadgets/gjpixel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int GJ_PIXELS::pix_resize(int nw, int nh, uint32_t fill)
{
    if (nw < 1 || nh < 1 || nw > SIDE_MAX || nh > SIDE_MAX || long(nw) * nh > PIXELS_MAX) return -1;
    w = nw, h = nh;
    px.assign(size_t(w) * h, fill & 0xFFFFFF);
    return 0;
}

void GJ_PIXELS::pix_clear(uint32_t c) { std::fill(px.begin(), px.end(), c & 0xFFFFFF); }

void GJ_PIXELS::span(int x1, int x2, int y, uint32_t c)
{
    if (y < 0 || y >= h) return;
    x1 = std::max(x1, 0), x2 = std::min(x2, w - 1);
    for (int x = x1; x <= x2; x++) px[size_t(y) * w + x] = c & 0xFFFFFF;
}

void GJ_PIXELS::pix_line(int x1, int y1, int x2, int y2, uint32_t c)
{
    // Far ends are cut to a frame around the picture first: a line to 2^31 costs no time.
    const int lim = 4 * SIDE_MAX;
    if (std::abs(x1) > lim || std::abs(x2) > lim || std::abs(y1) > lim || std::abs(y2) > lim) {
        double s = double(lim) / std::max({std::abs(double(x1)), std::abs(double(x2)), std::abs(double(y1)),
                                           std::abs(double(y2))});
        if (std::abs(double(x1)) > lim || std::abs(double(y1)) > lim) x1 = int(x1 * s), y1 = int(y1 * s);
        if (std::abs(double(x2)) > lim || std::abs(double(y2)) > lim) x2 = int(x2 * s), y2 = int(y2 * s);
    }
    int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        pix_set(x1, y1, c);
        if (x1 == x2 && y1 == y2) break;
        int e2 = 2 * err;
        if (e2 >= dy) err += dy, x1 += sx;
        if (e2 <= dx) err += dx, y1 += sy;
    }
}

void GJ_PIXELS::pix_box(int x1, int y1, int x2, int y2, uint32_t c)
{
    pix_line(x1, y1, x2, y1, c);
    pix_line(x2, y1, x2, y2, c);
    pix_line(x2, y2, x1, y2, c);
    pix_line(x1, y2, x1, y1, c);
}

void GJ_PIXELS::pix_bar(int x1, int y1, int x2, int y2, uint32_t c)
{
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    for (int y = std::max(y1, 0); y <= std::min(y2, h - 1); y++) span(x1, x2, y, c);
}

void GJ_PIXELS::pix_disk(int x, int y, int r, uint32_t c)
{
    if (r < 0) return;
    for (int dy = -r; dy <= r; dy++) {
        if (y + dy < 0 || y + dy >= h) continue;
        int half = int(std::sqrt(double(r) * r - double(dy) * dy) + 0.5);
        span(x - half, x + half, y + dy, c);
    }
}

void GJ_PIXELS::pix_oval(int x1, int y1, int x2, int y2, uint32_t c)
{
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    double cx = (double(x1) + x2) / 2, cy = (double(y1) + y2) / 2;
    double a = (double(x2) - x1) / 2, b = (double(y2) - y1) / 2;
    if (a > 2 * SIDE_MAX || b > 2 * SIDE_MAX) return;   // nothing of it could be seen at that size
    // Points by column and by row, so that steep and flat arcs both close.
    for (int x = x1; x <= x2; x++) {
        double t = a > 0 ? (x - cx) / a : 0;
        double dy = b * std::sqrt(std::max(0.0, 1 - t * t));
        pix_set(x, int(std::lround(cy - dy)), c);
        pix_set(x, int(std::lround(cy + dy)), c);
    }
    for (int y = y1; y <= y2; y++) {
        double t = b > 0 ? (y - cy) / b : 0;
        double dx = a * std::sqrt(std::max(0.0, 1 - t * t));
        pix_set(int(std::lround(cx - dx)), y, c);
        pix_set(int(std::lround(cx + dx)), y, c);
    }
}

long GJ_PIXELS::pix_paint(int x, int y, uint32_t c)
{
    if (!pix_inside(x, y)) return -1;
    c &= 0xFFFFFF;
    uint32_t old = px[size_t(y) * w + x];
    if (old == c) return 0;
    long n = 0;
    // Row spans on an explicit stack: no recursion depth, whatever the picture.
    std::vector<std::pair<int, int>> todo{{x, y}};
    while (!todo.empty()) {
        auto [sx, sy] = todo.back();
        todo.pop_back();
        uint32_t *row = &px[size_t(sy) * w];
        if (row[sx] != old) continue;
        int l = sx, r = sx;
        while (l > 0 && row[l - 1] == old) l--;
        while (r < w - 1 && row[r + 1] == old) r++;
        for (int i = l; i <= r; i++) row[i] = c;
        n += r - l + 1;
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= h) continue;
            const uint32_t *nr = &px[size_t(ny) * w];
            for (int i = l; i <= r; i++)
                if (nr[i] == old && (i == l || nr[i - 1] != old)) todo.push_back({i, ny});
        }
    }
    return n;
}

void GJ_PIXELS::pix_scroll(int dx, int dy, uint32_t fill)
{
    std::vector<uint32_t> out(px.size(), fill & 0xFFFFFF);
    for (int y = 0; y < h; y++) {
        long ty = long(y) + dy;
        if (ty < 0 || ty >= h) continue;
        for (int x = 0; x < w; x++) {
            long tx = long(x) + dx;
            if (tx >= 0 && tx < w) out[size_t(ty) * w + tx] = px[size_t(y) * w + x];
        }
    }
    px.swap(out);
}
