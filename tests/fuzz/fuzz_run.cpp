// "kovash X.scr" in-process: the input is a sheet file and a script (split at the first byte
// 0x1E), written as X.kov and X.scr into a folder of this process; a fresh application object
// loads the sheet, runs the script on it and saves the sheet (and its script) again. A statement budget ends
// endless loops; nothing may crash, leak or hang.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/kov.h"
#include "sheet/csvfile.h"

namespace {

struct QUIET : KOV_HOST {
    long steps = 0;
    long host_callback(int code, intptr_t) override { return code == SCRCB_ONESTEP && ++steps > 3000 ? -1 : 0; }
    int host_msgbox(const char *, const char *, int) override { return KOV_IDOK; }
    void host_file_err(const char *, const char *, int) override {}
};

const std::string &folder()
{
    static std::string dir = [] {
        static char t[] = "/tmp/fuzz_run.XXXXXX";
        if (!mkdtemp(t)) abort();
        atexit([] {
            for (const char *f : {"/x.kov", "/x.scr", "/y.kov"}) unlink((std::string(t) + f).c_str());
            rmdir(t);
        });
        return std::string(t);
    }();
    return dir;
}

void put(const std::string &name, const std::string &bytes)
{
    FILE *f = fopen(name.c_str(), "wb");
    if (!f) abort();
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 100000) return 0;
    std::string in((const char *)data, size);
    size_t cut = in.find('\x1E');
    std::string sheet = cut == std::string::npos ? "" : in.substr(0, cut);
    std::string script = cut == std::string::npos ? in : in.substr(cut + 1);
    const std::string &dir = folder();
    put(dir + "/x.kov", sheet);
    put(dir + "/x.scr", script);
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return 0;
    QUIET host;
    KOV_U kov(&host);
    if (kov.csv_create(KOV_INIT_XS, KOV_INIT_YS) < 0) return 0;
    if (kov.kov_auto_start((dir + "/x.scr").c_str(), "kov") == 0) {
        CSVFILE_U file(kov);
        file.csv_fsave((dir + "/y.kov").c_str(), nullptr);
    }
    if (chdir(cwd) != 0) abort();   // loading made the sheet's folder the current one
    return 0;
}
