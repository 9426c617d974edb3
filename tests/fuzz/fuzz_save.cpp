// Real saves: a sheet loaded from any bytes is saved as .kov and as .csv into a temporary
// folder and loaded again. The full format keeps sizes, widths, options, values (bit for bit),
// formulas and attributes; the values-only file keeps every value (numbers to 16 digits).
// Texts are written up to CSV_TXT_MAX bytes, never splitting a double-byte character.
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "sheet/csvfile.h"
#include "tests/fuzz/fuzz_util.h"
#include "base/kovtext.h"

namespace {

// A load or a save with small default sheets, which keep the runs fast.
int file_op(CSV_U &csv, const std::string &name, bool save = false)
{
    CSVFILE_U f(csv);
    f.csv_defxs = 8;
    f.csv_defys = 8;
    return save ? f.csv_fsave(name.c_str(), nullptr) : f.csv_fload(nullptr, name.c_str(), nullptr);
}

// The text a save keeps of a cell's value.
std::string kept_text(const CSV_CEL *c)
{
    char b[9];
    const char *s = CSV_U::csv_cel_str(c, b);
    return s ? std::string(s, kov::sj_cut(s, CSV_TXT_MAX)) : std::string();
}

void same_value(const CSV_CEL *a, const CSV_CEL *b, bool exact)
{
    int ta = CSV_U::csv_cel_type(a), tb = CSV_U::csv_cel_type(b);
    if (ta == CSV_NUM && std::isnan(a->val.d)) {
        // A values-only file has no number for NaN.
        if (exact) FUZZ_CHECK(tb == CSV_NUM && std::isnan(b->val.d));
        return;
    }
    bool text_a = ta == CSV_SSTR || ta == CSV_LSTR, text_b = tb == CSV_SSTR || tb == CSV_LSTR;
    FUZZ_CHECK(text_a == text_b && (ta == CSV_NUM) == (tb == CSV_NUM));
    if (text_a) FUZZ_CHECK(kept_text(a) == kept_text(b));
    if (ta != CSV_NUM) return;
    double x = a->val.d, y = b->val.d;
    if (exact) FUZZ_CHECK(memcmp(&x, &y, sizeof x) == 0);
    else FUZZ_CHECK(std::fabs(x - y) <= std::fabs(x) * 1e-14);
}

void same_cells(const CSV_U &a, const CSV_U &b, bool full)
{
    int mask = full ? CSV_P_ALL : CSV_P_VAL;
    int xs = std::max(a.csv_used_xs(mask), b.csv_used_xs(mask));
    int ys = std::max(a.csv_used_ys(mask), b.csv_used_ys(mask));
    for (int y = 0; y < ys; y++)
        for (int x = 0; x < xs; x++) {
            same_value(a.csv_get_cel(x, y), b.csv_get_cel(x, y), full);
            if (!full) continue;
            const char *fa = a.csv_get_form(x, y), *fb = b.csv_get_form(x, y);
            FUZZ_CHECK(!fa == !fb && (!fa || strcmp(fa, fb) == 0));
            for (int i = 1; i <= 6; i++) FUZZ_CHECK(a.csv_get_attr(x, y, i) == b.csv_get_attr(x, y, i));
        }
}

void same_sheet(const CSV_U &a, const CSV_U &b)
{
    FUZZ_CHECK(a.csv_get_xs() == b.csv_get_xs() && a.csv_get_ys() == b.csv_get_ys());
    for (int x = 0; x < a.csv_get_xs(); x++) FUZZ_CHECK(a.csv_get_wide(x) == b.csv_get_wide(x));
    FUZZ_CHECK(a.csv_rnwide == b.csv_rnwide && a.csv_cnrow == b.csv_cnrow && a.csv_rncol == b.csv_rncol);
    FUZZ_CHECK(a.csv_scrlock == b.csv_scrlock && a.csv_wpbeep == b.csv_wpbeep && a.csv_cyclems == b.csv_cyclems);
    same_cells(a, b, true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string in = fuzz_tmpname("in.kov"), kov = fuzz_tmpname("s.kov"),
                             csv = fuzz_tmpname("s.csv");
    fuzz_write_file(in, std::string(reinterpret_cast<const char *>(data), size));
    CSV_U sheet;
    if (file_op(sheet, in) < 0) return 0;

    CSV_U full;
    FUZZ_CHECK(file_op(sheet, kov, true) == 0 && file_op(full, kov) == 0);
    same_sheet(sheet, full);

    CSV_U values;
    FUZZ_CHECK(file_op(sheet, csv, true) == 0);
    // A CSV file has no mark of its encoding: Shift-JIS bytes that also read as UTF-8 of wider
    // characters are read as UTF-8 (a sheet file is Shift-JIS without its byte-order mark).
    std::ifstream saved(csv, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    if (kov::sj_guess(bytes) != kov::SJ_ENC_SJIS) return 0;
    FUZZ_CHECK(file_op(values, csv) == 0);
    same_cells(sheet, values, false);
    return 0;
}
