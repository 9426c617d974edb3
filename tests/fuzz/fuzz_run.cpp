// "kovash X.scr" in-process: the input is a sheet file and a script (split at the first byte
// 0x1E), written as X.kov and X.scr into a folder of this process; a fresh application object
// loads the sheet, runs the script on it and saves the sheet (and its script) again. A statement budget ends
// endless loops; nothing may crash, leak or hang.
#include <cstdint>
#include <string>

#include "app/kov.h"
#include "sheet/csvfile.h"
#include "tests/fuzz/fuzz_scr.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

struct QUIET : FUZZ_HOST {
    int host_msgbox(const char *, const char *, int) override { return KOV_IDOK; }
    void host_file_err(const char *, const char *, int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 100000) return 0;
    std::string in((const char *)data, size);
    size_t cut = in.find('\x1E');
    std::string sheet = cut == std::string::npos ? "" : in.substr(0, cut);
    std::string script = cut == std::string::npos ? in : in.substr(cut + 1);
    static const std::string kovf = fuzz_tmpname("x.kov"), scr = fuzz_tmpname("x.scr"), out = fuzz_tmpname("y.kov");
    fuzz_write_file(kovf, sheet);
    fuzz_write_file(scr, script);
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return 0;
    QUIET host;
    KOV_U kov(&host);
    if (kov.csv_create(KOV_INIT_XS, KOV_INIT_YS) < 0) return 0;
    if (kov.kov_auto_start(scr.c_str(), "kov") == 0) {
        CSVFILE_U file(kov);
        file.csv_fsave(out.c_str(), nullptr);
    }
    if (chdir(cwd) != 0) abort();   // loading made the sheet's folder the current one
    return 0;
}
