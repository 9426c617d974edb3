// Reference adjustment and conversion of the formulas in the store. The text work is in
// sheet/cellname.cpp; this side finds the formulas and stores the results.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "sheet/cellref.h"
#include "sheet/csv.h"
#include "base/kovlog.h"

namespace {

// Store a rewritten text; an unchanged text is not stored, so the formula keeps its part.
int store_form(CSV_U *csv, int x, int y, const char *old, const char *text)
{
    if (strcmp(old, text) == 0) return 0;
    return csv->csv_put_form(x, y, text);
}

char *work_buffer()
{
    char *buf = static_cast<char *>(malloc(CSV_FORM_WORK));
    if (!buf) KOV_LOG("メモリ不足");
    return buf;
}

// Rewrites the formula of (x, y) through rewrite(src, buf) -> 0 / -1 into a work buffer.
template <class F> int rewrite_form(CSV_U *csv, int x, int y, F rewrite)
{
    const char *src = csv->csv_get_form(x, y);
    if (!src) {
        KOV_LOG("セル式がない");
        return -1;
    }
    char *buf = work_buffer();
    if (!buf) return -1;
    int rc = rewrite(src, buf);
    if (rc == 0) rc = store_form(csv, x, y, src, buf);
    free(buf);
    return rc;
}

// Calls one(x) for the formula cells of row y between x1 and x2; -1 if any call failed, the
// rest are still done.
template <class F> int each_form_in_row(const CSV_U *csv, int x1, int x2, int y, F one)
{
    int rc = 0;
    for (int x = x1; x <= x2; x++) {
        const CSV_CEL *c = csv->csv_get_cel(x, y);
        if (!c) break;
        if (c->form && one(x) != 0) rc = -1;
    }
    return rc;
}

} // namespace

int CSV_U::csv_adj_form(int x, int y, const CSV_CFT *cft)
{
    if (!cft) {
        KOV_LOG("cft_p == NULL");
        return -1;
    }
    return rewrite_form(this, x, y, [&](const char *src, char *buf) { return csv_adj_text(src, x, y, cft, buf); });
}

int CSV_U::csv_adj_row(int x1, int x2, int y, const CSV_CFT *cft)
{
    return each_form_in_row(this, x1, x2, y, [&](int x) { return csv_adj_form(x, y, cft); });
}

int CSV_U::csv_adj_sheet(const CSV_CFT *cft)
{
    if (!cft) {
        KOV_LOG("cft_p == NULL");
        return -1;
    }
    // A block wholly past the sheet's end moved no cell: nothing refers into it any more than
    // before, and clipping it would drag the last row or column along.
    const int xs = csv_get_xs(), ys = csv_get_ys();
    if (xs > 0 && ys > 0 &&
        (std::min(cft->x1, cft->x2) >= xs || std::min(cft->y1, cft->y2) >= ys ||
         std::max(cft->x1, cft->x2) < 0 || std::max(cft->y1, cft->y2) < 0))
        return 0;
    CSV_RECT r = {cft->x1, cft->y1, cft->x2, cft->y2};
    if (csv_chk_region(&r) != 0) return -1;
    const CSV_CFT c = {r.x1, r.y1, r.x2, r.y2, cft->dx, cft->dy, cft->keep};
    int rc = 0;
    for (int y = 0; y < ys; y++)
        if (csv_adj_row(0, xs - 1, y, &c) != 0) rc = -1;
    csv_redraw(nullptr);
    return rc;
}

int CSV_U::csv_cnv_form(int x, int y, const CSV_RECT *region, int mode)
{
    return rewrite_form(this, x, y,
                        [&](const char *src, char *buf) { return csv_cnv_text(src, x, y, region, mode, buf); });
}

int CSV_U::csv_cnv_region(const CSV_RECT *region, int mode)
{
    if (mode != 0 && mode != 1) return -1;
    CSV_RECT r = region ? *region : CSV_RECT{0, 0, csv_get_xs() - 1, csv_get_ys() - 1};
    if (csv_chk_region(&r) != 0) return -1;
    int rc = 0;
    for (int y = r.y1; y <= r.y2; y++)
        if (each_form_in_row(this, r.x1, r.x2, y, [&](int x) { return csv_cnv_form(x, y, &r, mode); }) != 0) rc = -1;
    csv_set_modify(1);
    csv_form_calc(region ? &r : nullptr);
    return rc;
}
