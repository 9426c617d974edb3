// KOV_U: the one application object. It is the cell store of the sheet (CSV_U), later also the
// interpreter host (SCR_U) and the main window; for now it has no window, and the window state
// that the settings decide is kept in fields for the desktop layer to apply.
#pragma once
#include "app/kovpath.h"
#include "app/kovset.h"
#include "script/scr.h"
#include "sheet/csv.h"
#include "ui/base/kovprof.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Size of the empty sheet at start.
constexpr int KOV_INIT_XS = 256;
constexpr int KOV_INIT_YS = 10000;
// Limits of interactive resizing of the main window (pixels).
constexpr int KOV_WIN_MINX = 552, KOV_WIN_MINY = 48, KOV_WIN_MAX = 7992;

class KOV_U;

// Seams filled by other parts of the program (nullptr: not available in this build).
// Loads a sheet file into the store; 0 / -1.
using kov_sheet_loader = int (*)(KOV_U &kov, const char *path);
// Runs the script of a ".scr" argument at once; returns the script's end status.
using kov_scr_runner = int (*)(KOV_U &kov, const char *scr);
void kov_set_sheet_loader(kov_sheet_loader fn);
void kov_set_scr_runner(kov_scr_runner fn);

class KOV_U : public CSV_U, public SCR_U {
public:
    KOV_U();
    ~KOV_U() override;

    // --- process start ---
    // Paths from the program path, settings file and log, then cse_1st_open. 0 / -1.
    int kov_start(const char *exe, const char *name);
    void kov_set_paths(const KOV_PATHS &p);
    const KOV_PATHS &kov_get_paths() const { return kov_paths; }

    // --- settings (rows of kov_settings, KOV_SETID) ---
    int kov_get_set(int id);
    int kov_put_set(int id, int value);
    kov::PROF_U kov_prof;

    // --- opening and loading ---
    int cse_1st_open(const char *name);
    int cse_apply_set();
    int kov_auto_start(const char *name, const char *defext);
    int cse_fload(const char *name);
    int csv_set_fname(const char *name);
    const char *kov_get_title() const { return kov_title.c_str(); }
    const char *kov_get_scrname() const { return kov_scrname.c_str(); }
    int cse_set_scrlock(int lock);

    // --- end ---
    void kov_close(int status);
    int win_loop();
    int kov_info(FILE *out);

    // Window state decided by the settings (applied by the desktop layer once it exists).
    uint32_t kov_dspflag = DSP_COLNAME | DSP_ROWNAME | DSP_VSCROLL | DSP_HSCROLL | DSP_TOOLBAR | DSP_STATBAR;
    int kov_fontsize = 16;
    int kov_diamond = 0;
    int kov_fulsize = 0;
    int kov_dspx = 640, kov_dspy = 400;
    int kov_editable = 1;   // grid editing and toolbar edit buttons; off while the screen is locked

private:
    KOV_PATHS kov_paths;
    std::string kov_title;
    std::string kov_scrname;
    int kov_exitstat = 0;
};

// "TZ=JST-9" when the environment has no "TZ" (times are Japan time unless asked otherwise).
void kov_set_tz();
// The one application object of the process.
KOV_U &kov_app();
