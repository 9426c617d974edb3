// Links and runs arbitrary script text, and evaluates it as a cell formula. The host stops a run
// after a statement budget, so endless loops end; nothing may crash, leak or hang.
#include <cstdint>
#include <string>

#include "sheet/csv.h"
#include "tests/fuzz/fuzz_scr.h"

namespace {

// first(range): the first number of a range
int fn_first(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.d = c.arg[0].g ? c.arg[0].g->gj_getd(c.arg[1].i, c.arg[2].i) : 0;
    return 0;
}
const FN_DEF table[] = {
    {"exit", fuzz_exit, "vi"}, {"len", fuzz_len, "is"}, {"first", fn_first, "dgiiii"}, {"pick", fuzz_pick, "i."},
};
const FN_DEF *lookup(const char *name) { return fuzz_find(table, name); }

// Deep-nesting mode (first byte 'D'): the rest is a count byte and HEAD NUL PREFIX NUL MIDDLE NUL
// SUFFIX NUL TAIL, and the script is HEAD, PREFIX k times, MIDDLE, SUFFIX k times, TAIL (k up to
// about 100,000), so that short seeds reach the nesting limits of every construct.
std::string expand(const uint8_t *data, size_t size)
{
    std::string in((const char *)data, size);
    if (size < 2 || in[0] != 'D') return in;
    size_t k = 1 + (unsigned char)in[1] * 400;
    std::string part[5];
    size_t n = 0, at = 2;
    for (; n < 5; n++) {
        size_t nul = n < 4 ? in.find('\0', at) : std::string::npos;
        part[n] = in.substr(at, nul == std::string::npos ? std::string::npos : nul - at);
        if (nul == std::string::npos) break;
        at = nul + 1;
    }
    if (n < 4 || (part[1].size() + part[3].size()) * k > 2000000) return in;
    std::string t = part[0];
    for (size_t i = 0; i < k; i++) t += part[1];
    t += part[2];
    for (size_t i = 0; i < k; i++) t += part[3];
    return t + part[4];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 200000) return 0;
    CSV_U csv;   // a store of its own: no input sees what another left behind
    csv.csv_create(8, 16);
    FUZZ_HOST host;
    std::string text = expand(data, size);
    host.host_ed_put(text.c_str());
    SCR_U scr;
    scr.scr_fn_table = lookup;
    scr.scr_csv = &csv;
    scr.scr_set_host(&host);
    if (scr.scr_prepare(PREP_SCRIPT_BEGIN) == 0) {
        int st = 0;
        scr.scr_do_allstep(scr.scr_text, &st);
        scr.scr_prepare(PREP_SCRIPT_END);
        host.steps = 0;
        VAL_U v;
        scr.scr_calc_onecel(2, 3, text.c_str(), &v);
        scr.scr_calc_onecel(1, 1, text.c_str(), nullptr);
    }
    return 0;
}
