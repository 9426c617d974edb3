#include "print/prlayout.h"

#include "base/kovlog.h"
#include "base/syshost.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

const kov::PROF_KEY prn_keys[7] = {
    {"prn", "LINESPC", 130, 100, 1000}, {"prn", "LEFTMGN", 5, 0, 20}, {"prn", "RIGHTMGN", 5, 0, 20},
    {"prn", "UPMGN", 2, 0, 10},         {"prn", "DOWNMGN", 1, 0, 10}, {"prn", "PNUMLIN", 2, 1, 10},
    {"prn", "MINCOL", 80, 10, 1000},
};

PRN_SET prn_read_set(kov::PROF_U &prof)
{
    int v[7];
    for (int k = 0; k < 7; k++) {
        const kov::PROF_KEY &r = prn_keys[k];
        v[k] = prof.prof_read_int(r.sec, r.key, r.def, r.min, r.max);
    }
    return PRN_SET{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
}

int prn_fit(PRN_PRINTER &p, const PRN_PAGE &page, const PRN_SET &set, bool numbered, PRN_LAYOUT &lay,
            std::string &msg)
{
    msg.clear();
    lay = PRN_LAYOUT{};
    lay.pw = page.width, lay.ph = page.height;
    for (int h = p.prn_font_height();; h--) {
        if (h < 5) {
            msg = "用紙の縦サイズが不足(2)";
            return -1;
        }
        int cw = 0, ch = 0;
        if (p.prn_csize(h, cw, ch) != 0 || cw <= 0 || ch <= 0) {
            msg = "prn_c.get_csize() 失敗";
            return -1;
        }
        int pitch = std::max(1, set.linespc * ch / 100);
        int xn = page.width / cw - set.leftmgn - set.rightmgn;
        int yn = page.height / pitch - set.upmgn - set.downmgn - (numbered ? set.pnumlin : 0);
        if (yn <= 0) {
            msg = "用紙の縦サイズが不足(1)";
            return -1;
        }
        lay.fsizy = h, lay.cw = cw, lay.ch = ch, lay.pitch = pitch;
        lay.left = set.leftmgn * cw, lay.top = set.upmgn * pitch;
        lay.xn = xn, lay.yn = yn;
        if (xn >= set.mincol) return 0;
    }
}

namespace {

int col_chars(const CSV_U &sheet, int x) { return std::max(1, sheet.csv_get_wide(x)); }

// A page without a value, formula or attribute is not printed.
bool any_used(const CSV_U &sheet, const KOV_RECT &r)
{
    for (int y = r.y1; y <= r.y2; y++) {
        const CSV_ROW *row = sheet.csv_get_row(y);
        if (!row) continue;
        for (int x = r.x1; x <= r.x2 && x < row->cnt; x++)
            if (sheet.csv_get_use(x, y)) return true;
    }
    return false;
}

} // namespace

PRN_PAGES prn_paginate(const CSV_U &sheet, const KOV_RECT &r, const PRN_LAYOUT &lay)
{
    PRN_PAGES pages;
    if (lay.xn <= 0 || lay.yn <= 0 || r.x2 < r.x1 || r.y2 < r.y1) return pages;
    for (int x1 = r.x1; x1 <= r.x2;) {
        int x2 = x1, used = col_chars(sheet, x1);
        while (x2 < r.x2 && used + col_chars(sheet, x2 + 1) <= lay.xn) used += col_chars(sheet, ++x2);
        for (int y1 = r.y1; y1 <= r.y2; y1 += lay.yn) {
            KOV_RECT pg{x1, y1, x2, std::min(r.y2, y1 + lay.yn - 1)};
            if (any_used(sheet, pg)) pages.push_back(pg);
        }
        x1 = x2 + 1;
    }
    return pages;
}

std::string prn_foot_line(int page, int pages, const PRN_FOOT &foot)
{
    struct tm t{};
    localtime_r(&foot.when, &t);
    char buf[1200];
    snprintf(buf, sizeof buf, "%d/%d %s %04d/%02d/%02d %02d:%02d %s", page, pages, foot.name.c_str(),
             t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, foot.program.c_str());
    return buf;
}

void prn_draw_page(PRN_PRINTER &p, const CSV_U &sheet, const PRN_LAYOUT &lay, const KOV_RECT &c, int page,
                   int pages, const PRN_FOOT &foot)
{
    const int line = std::max(1, lay.fsizy / 16);
    char buf[CSV_DSP_MAX];
    for (int y = c.y1; y <= c.y2; y++) {
        int py = lay.top + (y - c.y1) * lay.pitch;
        int px = lay.left;
        for (int x = c.x1; x <= c.x2; x++) {
            // A column wider than the line is cut at the line's end.
            int chars = std::min(col_chars(sheet, x), lay.xn - (px - lay.left) / lay.cw);
            int w = chars * lay.cw;
            if (const CSV_CEL *cel = sheet.csv_get_cel(x, y)) {
                int back = sheet.csv_get_attr(x, y, CSV_A_BACK);
                if (back) p.prn_fill(px, py, w, lay.pitch, csv_code_rgb(back, true));
                int n = sheet.csv_dsp_text(x, y, 0, chars + 1, buf);
                if (n > 0) {
                    int tx = CSV_U::csv_cel_type(cel) == CSV_NUM ? px + w - n * lay.cw : px;
                    unsigned tc = csv_code_rgb(sheet.csv_get_attr(x, y, CSV_A_TEXT), false);
                    p.prn_text(tx, py + (lay.pitch - lay.ch) / 2, lay.fsizy, buf, tc);
                }
                if (sheet.csv_get_attr(x, y, CSV_A_TOP)) p.prn_line(px, py, px + w, py, line);
                if (sheet.csv_get_attr(x, y, CSV_A_LEFT)) p.prn_line(px, py, px, py + lay.pitch, line);
            }
            px += w;
        }
    }
    if (foot.numbered) {
        int py = lay.top + (lay.yn + 1) * lay.pitch;
        p.prn_text(lay.left, py, lay.fsizy, prn_foot_line(page, pages, foot).c_str(), 0);
    }
}

int prn_sheet(const CSV_U &sheet, KOV_RECT region, PRN_PRINTER &p, const PRN_SET &set, const PRN_FOOT &foot,
              SYS_HOST &host)
{
    if (sheet.csv_chk_region(&region) != 0) return -1;
    PRN_PAGE page;
    int copies = 1;
    if (p.prn_begin(foot.name.c_str(), page, copies) != 0) return -1;
    PRN_LAYOUT lay;
    std::string msg;
    if (prn_fit(p, page, set, foot.numbered, lay, msg) != 0) {
        host.host_msgbox(msg.c_str(), "印刷", KOV_MB_OK);
        p.prn_abort();
        return -1;
    }
    KOV_LOG("fsizy=%d copys=%d", lay.fsizy, copies);
    KOV_LOG("xw=%d yw=%d xn=%d yn=%d", lay.cw, lay.pitch, lay.xn, lay.yn);
    KOV_LOG("x1=%d y1=%d x2=%d y2=%d", region.x1, region.y1, region.x2, region.y2);
    KOV_LOG("LINESPC=%d LEFTMGN=%d RIGHTMGN=%d UPMGN=%d DOWNMGN=%d LNUMSPC=%d MINCOL=%d", set.linespc,
            set.leftmgn, set.rightmgn, set.upmgn, set.downmgn, set.pnumlin, set.mincol);
    if (lay.xn <= 0 || lay.yn <= 0) {
        host.host_msgbox("印刷失敗(用紙サイズ無効？)", "印刷", KOV_MB_OK);
        p.prn_abort();
        return -1;
    }
    PRN_PAGES pages = prn_paginate(sheet, region, lay);
    if (pages.empty()) {
        KOV_LOG("印刷ページがない");
        p.prn_abort();
        return -1;
    }
    const int n = int(pages.size());
    bool first = true;
    for (int copy = 0; copy < std::max(1, copies); copy++)
        for (int k = 0; k < n; k++) {
            if (!first && p.prn_new_page() != 0) {
                p.prn_abort();
                return -1;
            }
            first = false;
            prn_draw_page(p, sheet, lay, pages[k], k + 1, n, foot);
        }
    return p.prn_end() == 0 ? 0 : -1;
}
