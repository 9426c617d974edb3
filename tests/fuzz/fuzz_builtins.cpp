// Calls the built-ins of the table with argument lists made from the input: numbers (the
// integer and float limits among them), texts, arrays and cell ranges, in a script and as a
// cell formula. The argument count follows the signature or not. Nothing may crash, leak, hang
// or take more than the statement budget. Built-ins that reach outside the process in ways a
// fuzzer must not (processor ports, child processes, the working folder, the environment, the
// fault tests) are left out; file names stay inside a private folder.
#include <cstdint>
#include <string>
#include <unistd.h>

#include "builtins/func.h"
#include "sheet/csv.h"
#include "tests/fuzz/fuzz_scr.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

struct QUIET : FUZZ_HOST {
    int host_msgbox(const char *, const char *, int) override { return KOV_IDOK; }
    void host_file_err(const char *, const char *, int) override {}
    void host_wait(int) override {}
};

bool skipped(const char *name)
{
    static const char *const out[] = {"_inp", "_inpw", "_inpd", "_outp", "_outpw", "_outpd", "system", "execute",
                                      "chdir", "putenv", "test_div0", "test_read0", "dllcall", "dllpcall", "sleep"};
    for (const char *o : out)
        if (strcmp(o, name) == 0) return true;
    return false;
}

const char *const NUMS[] = {"0", "1", "-1", "2", "3", "7", "0.5", "-2.5", "255", "4096", "65535", "2147483647",
                            "-2147483648", "2147483648", "4294967296", "-9223372036854775808", "1e308",
                            "-1e308", "1e-320", "1e309", "-0.0", "170", "171"};
const char *const TEXTS[] = {"\"\"", "\"a\"", "\"OK\"", "\"%d\"", "\"%s%s%s\"", "\"%.2147483647f\"",
                             "\"%*d\"", "\"%-2147483647s\"", "\"R0C0\"", "\"SEEK_END\"", "\"r+b\"", "\"w\"",
                             "\"a\"", "\"rb\"", "\"UP\"", "\"address\"", "\"contents\"", "\"format\"", "\"ON\"",
                             "\"表\\\\\"", "\"f.txt\"", "\"XXXXXX\"", "\"12abc\"", "\"#FF0000\"", "\"CD\""};
const char *const RANGES[] = {"R0C0", "R0C0:R1C1", "R1C1:R3C3", "RC", "R[-1]C[-1]", "R0C0:R2147483646C2147483646",
                              "R[-2147483647]C[-2147483647]:R2147483647C2147483647", "R0C0:R2000000C2000",
                              "R5C0:R5C7", "R2147483647C2147483647", "R0C[2147483647]"};
const char *const ARRAYS[] = {"a", "b", "m", "s", "n"};

// One argument: for a 'g' in a formula a range or an array, else a number, text or name.
std::string argument(FUZZ_IN &in, bool formula)
{
    switch (in.below(5)) {
    case 0: return TEXTS[in.below(int(std::size(TEXTS)))];
    case 1: return ARRAYS[in.below(int(std::size(ARRAYS)))];
    case 2:
        if (formula) return RANGES[in.below(int(std::size(RANGES)))];
        [[fallthrough]];
    case 3: return std::to_string(int32_t(in.u32()));
    default: return NUMS[in.below(int(std::size(NUMS)))];
    }
}

// The arguments of the signature sig (a 'g' with its four 'i' is one text in a formula), or a
// count of its own when the input asks.
std::string arguments(FUZZ_IN &in, const char *sig, bool formula)
{
    int n = 0;
    for (const char *p = sig + 1; *p; p++) n += *p != '.';
    if (formula)
        for (const char *p = strstr(sig, "giiii"); p; p = strstr(p + 1, "giiii")) n -= 4;
    if (strchr(sig, '.')) n += in.below(6);
    if (in.u8() < 24) n = in.below(20);
    std::string t;
    for (int k = 0; k < n; k++) t += (k ? ", " : "") + argument(in, formula);
    return t;
}

const char *const DECL = "var a[4][3] = {{1, 2, 3}, {4, \"x\", 6}, {0, 8, 9}, {1, 1, 1}}, b[5] = {3, 1, 4, 1, 5};\n"
                         "var m[2][2] = {{2, 1}, {1, 3}}, s = \"text\", n = 3, v;\n";

int count_table()
{
    int n = 0;
    for (const FN_DEF *f = FUNC_U::fn_table(); f->name[0]; f++) n++;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const int nfn = count_table();
    if (size > 4096) return 0;
    // Files the calls make stay in a scratch folder; the fuzzer's own paths are relative to the
    // folder it started in, so that one is current again before returning.
    static char home[4096];
    if (!home[0] && !getcwd(home, sizeof home)) return 0;
    if (chdir(fuzz_tmpdir().c_str()) != 0) return 0;
    struct BACK {
        ~BACK()
        {
            if (chdir(home) != 0) abort();
        }
    } back;
    FUZZ_IN in{data, size};
    CSV_U csv;
    csv.csv_create(8, 12);
    csv.csv_put_num(0, 0, 2);
    csv.csv_put_str(1, 1, "t");
    csv.csv_put_num(7, 11, -1);
    QUIET host;
    SCR_U scr;
    FUNC_U fn(scr);
    fn.fn_install();
    scr.scr_csv = &csv;
    scr.scr_set_host(&host);
    while (!in.empty()) {
        const FN_DEF &f = FUNC_U::fn_table()[in.below(nfn)];
        bool formula = in.u8() & 1;
        if (skipped(f.name)) continue;
        std::string call = std::string(f.name) + "(" + arguments(in, f.sig, formula) + ")";
        host.steps = 0;
        if (formula) {
            host.host_ed_put(DECL);
            if (scr.scr_prepare(PREP_FORM_BEGIN) != 0) continue;
            VAL_U v;
            scr.scr_calc_onecel(in.below(8), in.below(12), call.c_str(), &v);
            scr.scr_prepare(PREP_FORM_END);
        } else {
            host.host_ed_put((std::string(DECL) + "main(){ v = " + call + "; return 0; }").c_str());
            if (scr.scr_prepare(PREP_SCRIPT_BEGIN) != 0) continue;
            int st = 0;
            scr.scr_do_allstep(scr.scr_text, &st);
            scr.scr_prepare(PREP_SCRIPT_END);
        }
    }
    return 0;
}
