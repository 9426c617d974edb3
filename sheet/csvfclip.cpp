// The default host (no window), the file layer's object, and the clipboard transfer of regions:
// copy through "$$t" (values) or "$$b" (full format), paste with tiling, move.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <unistd.h>

#include "sheet/csvfile.h"
#include "base/kovlog.h"

// ---------------------------------------------------------------- the file layer

CSVFILE_U::CSVFILE_U(CSV_U &c) : csv(c) { csv_winst_clear(ws_read); }

CSVFILE_U::~CSVFILE_U() = default;

// The process id keeps two programs on one machine apart.
std::string CSVFILE_U::csv_tmp_name(const char *kind)
{
    return csv.csv_host().host_tmp_dir() + "/kov" + std::to_string(getpid()) + "." + kind;
}

namespace {

bool read_whole(const std::string &name, std::string &text)
{
    FILE *fp = csv_fopen_read(name.c_str());
    if (!fp) return false;
    text.clear();
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, fp)) > 0) text.append(buf, n);
    bool ok = !ferror(fp);
    fclose(fp);
    return ok;
}

bool write_whole(const std::string &name, const std::string &text)
{
    CSV_FOUT_U *f = new (std::nothrow) CSV_FOUT_U;
    bool ok = f && f->fout_open(name.c_str(), 0) == 0;
    if (ok) f->fout_put(text.data(), text.size());
    ok = ok && f->fout_commit() == 0;
    delete f;
    return ok;
}

} // namespace

// ---------------------------------------------------------------- clipboard transfer

int CSVFILE_U::csv_clip_copy(const CSV_RECT *region, const char *kind)
{
    csv.csv_copy_kind = 0;
    if (!region || !kind || strlen(kind) >= sizeof csv.csv_copy_name) return -1;
    CSV_RECT r = *region;
    if (csv.csv_chk_region(&r) < 0) return -1;
    std::string tmp = csv_tmp_name(kind), text;
    scratch = 1;
    bool ok = csv_fsave(tmp.c_str(), &r) == 0 && read_whole(tmp, text);
    scratch = 0;
    unlink(tmp.c_str());
    if (!ok || csv.csv_host().host_clip_put(text) < 0) return -1;
    csv.csv_copy_rect = r;
    snprintf(csv.csv_copy_name, sizeof csv.csv_copy_name, "%s", kind);
    csv.csv_copy_kind = 1;
    return 0;
}

int CSVFILE_U::csv_clip_paste(const CSV_RECT *target, int noadj)
{
    if (!target) return -1;
    CSV_RECT t = *target;
    if (csv.csv_chk_region(&t) < 0) return -1;
    std::string text;
    if (csv.csv_host().host_clip_get(text) < 0 || text.empty()) return -1;
    std::string tmp = csv_tmp_name("$$b");
    CSV_LOADED ld;
    int rc = write_whole(tmp, text) ? csv_fload(&ld, tmp.c_str(), &t) : -1;
    unlink(tmp.c_str());
    if (rc < 0 || noadj || ld.x1 == CSV_NOCELL) return rc;
    return csv_tile(t, ld);
}

// Repeats the pasted block across the target (whole copies only), then points each copy's
// references the way the block's own are pointed: absolute names into the copied region move
// with the block, relative ones travel unchanged. Copies are made before any adjustment.
int CSVFILE_U::csv_tile(const CSV_RECT &t, const CSV_LOADED &ld)
{
    const int w = ld.x2 - ld.x1 + 1, h = ld.y2 - ld.y1 + 1;
    const int mask = CSV_P_VAL | CSV_P_FORM | (ld.opt ? CSV_P_ATTR : 0);
    const int nx = std::max(1, (t.x2 - t.x1 + 1) / w), ny = std::max(1, (t.y2 - t.y1 + 1) / h);
    int rc = 0;
    for (int j = 0; j < ny; j++)
        for (int i = 0; i < nx; i++)
            if ((i || j) && csv_copy_block(t.x1 + i * w, t.y1 + j * h, t.x1, t.y1, w, h, mask) < 0) rc = -1;
    const int xs = csv.csv_get_xs(), ys = csv.csv_get_ys();
    for (int j = 0; j < ny; j++) {
        for (int i = 0; i < nx; i++) {
            int tx = t.x1 + i * w, ty = t.y1 + j * h;
            CSV_CFT cft = {ld.x1, ld.y1, ld.x2, ld.y2, tx - ld.x1, ty - ld.y1, 1};
            int x2 = std::min(tx + w - 1, xs - 1);
            for (int y = ty; y < ty + h && y < ys; y++) csv.csv_adj_row(tx, x2, y, &cft);
        }
    }
    return rc;
}

// Copies the w x h block at (sx, sy) to (tx, ty), formulas as they stand (the pasted block is
// not yet adjusted when it is copied).
int CSVFILE_U::csv_copy_block(int tx, int ty, int sx, int sy, int w, int h, int mask)
{
    int rc = 0;
    for (int dy = 0; dy < h; dy++)
        for (int dx = w - 1; dx >= 0; dx--)
            if (csv.csv_put_cel(tx + dx, ty + dy, csv.csv_get_cel(sx + dx, sy + dy), mask) < 0) rc = -1;
    return rc;
}

int CSVFILE_U::csv_clip_move(const CSV_RECT *target)
{
    if (!target || !csv.csv_copy_kind) return -1;
    CSV_RECT src = csv.csv_copy_rect;
    char kind[sizeof csv.csv_copy_name];
    memcpy(kind, csv.csv_copy_name, sizeof kind);
    if (csv_clip_copy(&src, kind) < 0) return -1;
    CSV_RECT t = *target;
    if (csv.csv_chk_space(&t) < 0) return -1;
    int mask = strcmp(kind, "$$t") == 0 ? CSV_P_VAL | CSV_P_FORM : CSV_P_ALL;
    csv_clear_area(src.x1, src.y1, src.x2 - src.x1 + 1LL, src.y2 - src.y1 + 1LL, mask);
    if (csv_clip_paste(&t, 1) < 0) {
        // The source was cleared already: put it back where it was.
        CSV_RECT back = src;
        csv_clip_paste(&back, 1);
        return -1;
    }
    CSV_CFT cft = {src.x1, src.y1, src.x2, src.y2, t.x1 - src.x1, t.y1 - src.y1, 0};
    return csv.csv_adj_sheet(&cft);
}
