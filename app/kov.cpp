#include "app/kov.h"
#include "app/kovfname.h"
#include "ui/base/kovlog.h"

#include <cstdlib>
#include <ctime>
#include <unistd.h>

static kov_sheet_loader g_loader;
static kov_scr_runner g_runner;

void kov_set_sheet_loader(kov_sheet_loader fn) { g_loader = fn; }
void kov_set_scr_runner(kov_scr_runner fn) { g_runner = fn; }

void kov_set_tz()
{
    setenv("TZ", "JST-9", 0);
    tzset();
}

KOV_U &kov_app()
{
    static KOV_U kov;
    return kov;
}

KOV_U::KOV_U() = default;
KOV_U::~KOV_U() = default;

// ---- start ----

void KOV_U::kov_set_paths(const KOV_PATHS &p)
{
    kov_paths = p;
    kov_prof.prof_set_path(p.ini.c_str(), p.name.c_str());
    kov::log_set_path(p.log.c_str());
}

int KOV_U::kov_start(const char *exe, const char *name)
{
    KOV_PATHS p;
    kov_make_paths(exe, &p);
    kov_set_paths(p);
    return cse_1st_open(name);
}

int KOV_U::kov_get_set(int id)
{
    if (id < 0 || id >= SET_COUNT) return 0;
    const KOV_SETTING &s = kov_settings[id];
    return kov_prof.prof_read_int(s.sec, s.key, s.def, s.min, s.max);
}

int KOV_U::kov_put_set(int id, int value)
{
    if (id < 0 || id >= SET_COUNT) return -1;
    const KOV_SETTING &s = kov_settings[id];
    return kov_prof.prof_write_int(s.sec, s.key, s.def, s.min, s.max, value);
}

int KOV_U::cse_1st_open(const char *)
{
    kov_prof.prof_fill(kov_settings, SET_COUNT);  // the reads below then find every key
    kov::log_set_debug(kov_get_set(SET_DEBUG));
    kov_dspx = kov_get_set(SET_DSPSIZX);
    kov_dspy = kov_get_set(SET_DSPSIZY);
    KOV_LOG("xw=%d yw=%d", kov_dspx, kov_dspy);
    // The main window opens here once the desktop layer exists.
    if (csv_create(KOV_INIT_XS, KOV_INIT_YS) < 0) {
        KOV_ATT("メモリ不足");
        return -1;
    }
    cse_apply_set();
    // The interpreter is connected to the window here.
    return 0;
}

static uint32_t kov_flag(uint32_t word, uint32_t bit, int on) { return on ? word | bit : word & ~bit; }

int KOV_U::cse_apply_set()
{
    kov_fulsize = kov_get_set(SET_FULSIZE);
    kov_diamond = kov_get_set(SET_DIAMOND);
    kov_fontsize = kov_get_set(SET_FONTSIZE);
    static const struct { int id; uint32_t bit; } flags[] = {
        {SET_TOOLBAR, DSP_TOOLBAR}, {SET_STATBAR, DSP_STATBAR}, {SET_ROWNAME, DSP_ROWNAME},
        {SET_COLNAME, DSP_COLNAME}, {SET_HSCROLL, DSP_HSCROLL}, {SET_VSCROLL, DSP_VSCROLL},
    };
    for (auto &f : flags) kov_dspflag = kov_flag(kov_dspflag, f.bit, kov_get_set(f.id));
    csv_rnwide = kov_get_set(SET_RNWID);
    cse_set_scrlock(kov_get_set(SET_WIDEFIX));
    csv_wpbeep = kov_get_set(SET_WPBEEP);
    kov_dspx = kov_get_set(SET_DSPSIZX);
    kov_dspy = kov_get_set(SET_DSPSIZY);
    return 0;
}

int KOV_U::cse_set_scrlock(int lock)
{
    csv_scrlock = lock ? 1 : 0;
    kov_editable = !csv_scrlock;
    return 0;
}

// ---- names and loading ----

int KOV_U::csv_set_fname(const char *name)
{
    if (!name || !*name) return -1;
    std::string s = kov_sheet_name(name);
    if (csv_set_fullpath(s.c_str()) < 0) return -1;
    kov_title = csv_get_fname();
    // The script editor window receives this name once it exists.
    kov_scrname = kov_script_name(csv_get_fname());
    return 0;
}

int KOV_U::cse_fload(const char *name)
{
    // The interpreter is reset here (variables, functions and parts go).
    KOV_LOG("cse_fload() start");
    if (csv_set_fname(name) < 0) return -1;
    cse_del_allcel();
    KOV_LOG("csv_get_fname()=%s", csv_get_fname());
    KOV_LOG("csv_get_dir()=%s", csv_get_dir());
    if (chdir(csv_get_dir()) != 0) KOV_LOG("chdir %s 失敗", csv_get_dir());
    int rc = g_loader ? g_loader(*this, csv_get_fname()) : -1;
    if (rc >= 0) KOV_LOG("cse_fload() end");
    else KOV_ATT("%s 読込み失敗", csv_get_fname());
    csv_redraw(nullptr);
    // The script file goes to the editor and the calculation state is applied here.
    csv_form_calc(nullptr);
    return rc;
}

int KOV_U::kov_auto_start(const char *name, const char *defext)
{
    if (!name || !*name) {
        std::string noname = std::string("noname.") + defext;
        return csv_set_fname(noname.c_str());
    }
    int rc = cse_fload(name);
    if (!kov_has_ext(name, "scr")) return rc;
    // A script argument runs even without its sheet file: the sheet is optional to a script.
    KOV_LOG("%s 自動起動", name);
    if (!g_runner) {
        KOV_ATT("%s スクリプト実行はこの版では使えません", name);
        return -1;
    }
    int stat = g_runner(*this, name);
    KOV_LOG("stat=%d", stat);
    kov_close(stat);
    return 0;
}

// ---- end ----

// Without a window, closing only records the status that the loop returns.
void KOV_U::kov_close(int status) { kov_exitstat = status; }

// Without a window there is nothing to wait for: the loop ends at once.
int KOV_U::win_loop() { return kov_exitstat; }

int KOV_U::kov_info(FILE *out)
{
    fprintf(out, "settings: %s\n", kov_paths.ini.c_str());
    fprintf(out, "log: %s\n", kov_paths.log.c_str());
    fprintf(out, "sheet: %s\n", csv_get_fname());
    fprintf(out, "size: %d x %d\n", csv_get_xs(), csv_get_ys());
    return 0;
}
