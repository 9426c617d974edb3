// Sheet files for the application: window state bridge, the start-up's loader, the converter.
#include "app/convert.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/kov.h"
#include "app/kovfname.h"
#include "ui/base/kovlog.h"
#include "ui/base/kovtext.h"

// ---------------------------------------------------------------- window state

namespace {

// Display switches in CSV_WS_ order from CSV_WS_TOOLBAR on.
const uint32_t ws_flag[] = {DSP_TOOLBAR, DSP_STATBAR, DSP_ROWNAME, DSP_COLNAME, DSP_HSCROLL, DSP_VSCROLL};

} // namespace

void KOVFILE_HOST_U::csv_win_get(CSV_WINST &ws)
{
    CSV_HOST_U::csv_win_get(ws);   // the top-left cell has no field yet
    ws.v[CSV_WS_CSRPOSX] = kov.csv_curx;
    ws.v[CSV_WS_CSRPOSY] = kov.csv_cury;
    ws.v[CSV_WS_DSPSIZX] = kov.kov_dspx;
    ws.v[CSV_WS_DSPSIZY] = kov.kov_dspy;
    ws.v[CSV_WS_FONTSIZ] = kov.kov_fontsize;
    for (int i = 0; i < 6; i++) ws.v[CSV_WS_TOOLBAR + i] = (kov.kov_dspflag & ws_flag[i]) ? 1 : 0;
    ws.v[CSV_WS_FULLSIZ] = kov.kov_fulsize;
}

// Values of -1 leave the window alone; sizes apply only to a window that is not maximised.
void KOVFILE_HOST_U::csv_win_put(const CSV_WINST &ws)
{
    CSV_HOST_U::csv_win_put(ws);
    const int *v = ws.v;
    if (v[CSV_WS_FONTSIZ] > 0) kov.kov_fontsize = std::clamp(v[CSV_WS_FONTSIZ], 6, 96);   // the setting's range
    for (int i = 0; i < 6; i++) {
        if (v[CSV_WS_TOOLBAR + i] == 1) kov.kov_dspflag |= ws_flag[i];
        if (v[CSV_WS_TOOLBAR + i] == 0) kov.kov_dspflag &= ~ws_flag[i];
    }
    if (v[CSV_WS_FULLSIZ] == 0 || v[CSV_WS_FULLSIZ] == 1) kov.kov_fulsize = v[CSV_WS_FULLSIZ];
    if (!kov.kov_fulsize && v[CSV_WS_DSPSIZX] > 0 && v[CSV_WS_DSPSIZY] > 0) {
        kov.kov_dspx = std::clamp(v[CSV_WS_DSPSIZX], KOV_WIN_MINX, KOV_WIN_MAX);
        kov.kov_dspy = std::clamp(v[CSV_WS_DSPSIZY], KOV_WIN_MINY, KOV_WIN_MAX);
    }
    int cx = v[CSV_WS_CSRPOSX], cy = v[CSV_WS_CSRPOSY];
    if (cx >= 0 && cy >= 0 && cx < kov.csv_get_xs() && cy < kov.csv_get_ys()) {
        kov.csv_curx = cx;
        kov.csv_cury = cy;
    }
}

void KOVFILE_HOST_U::csv_scrlock_put(int lock) { kov.cse_set_scrlock(lock); }

// ---------------------------------------------------------------- loader

// A name that does not exist yet is a new, empty sheet of that name; only a file that cannot be
// read fails (cse_fload reports it).
int kov_load_sheet(KOV_U &kov, const char *path)
{
    if (!path) return -1;
    KOVFILE_HOST_U host(kov);
    CSVFILE_U file(kov, &host);
    file.csv_defxs = KOV_INIT_XS;
    file.csv_defys = KOV_INIT_YS;
    return file.csv_fload(nullptr, path, nullptr);
}

// ---------------------------------------------------------------- converter

namespace {

// The name as given (bytes of the terminal's encoding), then a Shift-JIS message in UTF-8.
int fail(int status, const char *name, const char *sjis_msg)
{
    fprintf(stderr, "kovash: %s %s\n", name, kov::sj_to_utf8(sjis_msg).c_str());
    return status;
}

bool known_output(const char *name)
{
    return kov_has_ext(name, "kov") || kov_has_ext(name, "csv") || kov_has_ext(name, "txt");
}

} // namespace

int kov_convert(int argc, char **argv)
{
    if (argc != 2) {
        fputs("usage: kovash --convert IN OUT   (OUT: .kov full format, .csv or .txt values only)\n", stderr);
        return 2;
    }
    const char *in = argv[0], *out = argv[1];
    if (!known_output(out)) return fail(2, out, "出力ファイルの拡張子は .kov .csv .txt のどれか");
    struct stat st;
    if (stat(in, &st) != 0 || !S_ISREG(st.st_mode)) return fail(1, in, "読込み失敗");
    CSV_U sheet;
    CSVFILE_U file(sheet);   // window state passes through in the default host
    if (file.csv_fload(nullptr, in, nullptr) < 0) return fail(1, in, "読込み失敗");
    if (file.csv_fsave(out, nullptr) < 0) return fail(1, out, "保存失敗");
    return 0;
}
