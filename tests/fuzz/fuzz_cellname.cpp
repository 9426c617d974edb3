// Cell names from arbitrary text at arbitrary base cells: whatever parses must print and read
// back as the same reference; rewriting a random formula in a small store must stay in bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sheet/cellref.h"
#include "sheet/csv.h"

namespace {

int take_int(const uint8_t *&d, size_t &n)
{
    uint32_t v = 0;
    for (int i = 0; i < 4 && n; i++, n--) v = v << 8 | *d++;
    return int32_t(v);
}

void check_name(const char *at, int bx, int by)
{
    const char *p = at;
    CSV_REF r;
    if (csv_parse_name(p, bx, by, &r) != 0) {
        if (p != at) abort();
        return;
    }
    if (p <= at) abort();
    char buf[32];
    if (csv_print_name(buf, &r) != 0) abort();   // parsed names never have negative absolutes
    const char *q = buf;
    CSV_REF b;
    if (csv_parse_name(q, bx, by, &b) != 0 || *q) abort();
    if (b.x != r.x || b.y != r.y || b.xoff != r.xoff || b.yoff != r.yoff) abort();
}

void check_range(const char *at, int bx, int by)
{
    const char *p = at;
    CSV_RECT r;
    if (csv_parse_range(p, bx, by, &r) != 0) return;
    if (r.x1 > r.x2 || r.y1 > r.y2) abort();
    char buf[32];
    if (csv_print_range(buf, r.x1, r.y1, r.x2, r.y2) != 0) return;   // negative or too wide
    const char *q = buf;
    CSV_RECT b;
    if (csv_parse_range(q, by, bx, &b) != 0 || *q) abort();
    if (memcmp(&b, &r, sizeof r) != 0) abort();
}

void check_store(const std::string &text, int sel, const CSV_CFT &cft)
{
    static CSV_U *s = [] {
        auto *u = new CSV_U;
        u->csv_create(8, 8);
        return u;
    }();
    int x = sel & 7, y = (sel >> 3) & 7;
    if (s->csv_put_form(x, y, text.c_str()) != 0) return;
    char out[CSV_FORM_WORK];
    if (csv_adj_text(text.c_str(), x, y, &cft, out) == 0 && strlen(out) > size_t(CSV_FORM_MAX)) abort();
    switch ((sel >> 6) & 3) {
    case 0: s->csv_adj_form(x, y, &cft); break;
    case 1: s->csv_adj_sheet(&cft); break;
    case 2: {
        CSV_RECT r = {cft.x1, cft.y1, cft.x2, cft.y2};
        s->csv_cnv_region(&r, cft.keep & 1);
        break;
    }
    default: s->csv_cnv_form(x, y, nullptr, cft.keep & 1); break;
    }
    const char *f = s->csv_get_form(x, y);
    if (f && strlen(f) > text.size() && strlen(f) > size_t(CSV_FORM_MAX)) abort();
    s->csv_clr_cel(x, y);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const uint8_t *d = data;
    size_t n = size;
    int bx = take_int(d, n), by = take_int(d, n);
    // Small bases most of the time, so that relative names land on the little sheet.
    if (!(bx & 0x100)) bx &= 15;
    if (!(by & 0x100)) by &= 15;
    CSV_CFT cft;
    cft.x1 = take_int(d, n) % 12;
    cft.y1 = take_int(d, n) % 12;
    cft.x2 = take_int(d, n);
    cft.y2 = take_int(d, n);
    cft.dx = take_int(d, n);
    cft.dy = take_int(d, n);
    int sel = take_int(d, n);
    cft.keep = sel >> 8 & 1;
    if (!(sel & 0x1000)) {
        cft.x2 = cft.x2 % 12;
        cft.y2 = cft.y2 % 12;
        cft.dx %= 10;
        cft.dy %= 10;
    }
    std::string text(reinterpret_cast<const char *>(d), n);
    text = text.c_str();   // up to the first NUL
    for (size_t i = 0; i < text.size(); i++) {
        check_name(text.c_str() + i, bx, by);
        check_range(text.c_str() + i, bx, by);
    }
    check_store(text, sel, cft);
    return 0;
}
