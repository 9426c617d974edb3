// KOV_U: the one application object. It is the cell store of the sheet (CSV_U) and the script
// interpreter (SCR_U), and it answers the host's timer, notices and recalculation requests.
// It is not a window: everything outside the core goes through its host (KOV_HOST), which the
// desktop window, the command line or a test provides.
#pragma once
#include "app/kovpath.h"
#include "app/kovset.h"
#include "builtins/func.h"
#include "devices/devdoor.h"
#include "gadgets/gjwin.h"
#include "gadgets/wpdoor.h"
#include "print/prdoor.h"
#include "script/scr.h"
#include "sheet/csv.h"
#include "sheet/kovcmd.h"
#include "sheet/kovhost.h"
#include "base/kovprof.h"

#include <cstdint>
#include <cstdio>
#include <string>

// The doors of parts, devices and printing. Whoever hosts the application sets those it has (the
// window: part views, a printer); a null door keeps the headless one.
struct KOV_DOORS {
    WP_VIEWS *views = nullptr;
    DEV_DOORS *devices = nullptr;
    PRN_PRINTER *printer = nullptr;
    GJ_VIEWS *gadgets = nullptr;   // windows of script gadgets
};

// Size of the empty sheet at start.
constexpr int KOV_INIT_XS = 256;
constexpr int KOV_INIT_YS = 10000;

class KOV_U : public CSV_U, public SCR_U, public KOV_EVENTS, public WP_EVENTS, public DEV_HOST,
              public GJ_WINHOST {
public:
    // host nullptr: the application's own host, without a window.
    explicit KOV_U(KOV_HOST *host = nullptr);
    ~KOV_U() override;

    KOV_HOST &kov_host() const { return *kov_hostp; }
    void kov_set_doors(const KOV_DOORS &d);
    WP_VIEWS &kov_views() const { return *kov_doors.views; }
    DEV_DOORS &kov_devices() const { return *kov_doors.devices; }
    DEV_DOORS &dev_doors() override { return kov_devices(); }
    PRN_PRINTER &kov_printer() const { return *kov_doors.printer; }

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
    // Loads the named sheet (a ".scr" name: its sheet, then runs the script at once). 0 / -1.
    int kov_auto_start(const char *name, const char *defext);
    int cse_fload(const char *name);
    int csv_set_fname(const char *name);
    const char *kov_get_title() const { return kov_title.c_str(); }
    const char *kov_get_scrname() const { return kov_hostp->host_ed_name(); }
    int cse_set_scrlock(int lock);
    // The sheet's script file into the editor: a missing file is an empty script; one that
    // cannot be read leaves the editor without text, so that a save does not delete it. 0 / -1.
    int kov_ted_fload();
    // Saves the sheet under name (.kov the full format with its script, .csv values only). 0 / -1.
    int cse_fsave(const char *name);
    // The sheet or its script changed since they were loaded or saved.
    bool kov_unsaved();
    // Before the sheet gives way to another: unsaved changes are asked about. Yes saves them under
    // the sheet's name, No drops them, Cancel keeps them. 0 the sheet may go, -1 it stays.
    int kov_drop_ok();
    // Another sheet in this one's place (open, a recent file): only while stopped, after
    // kov_drop_ok. 0 loaded; -1 kept, or the load failed.
    int kov_open(const char *name);
    // Encodings (kov::SJ_ENC_*) the sheet file and the script file came in: a save writes them
    // back so. A new script takes the sheet's.
    int kov_enc = 0;
    int kov_scr_enc = 0;

    // --- run states and the recalculation cycle (app/kovrun.cpp) ---
    // TMCD_SET with a state: 0, or -1 outside 0..7; any other code reads the state.
    int kov_tstat(int code, int state = 0);
    // Links and runs the editor's script from main() in the start state (TST_SCRPT_RUN or
    // TST_SCRPT_STEP); the script's end status, -1 when it failed.
    int kov_do_scrpt(int start);
    // Shows the position and message of the last failure in the editor.
    void kov_dsp_scrpt();
    // Before each statement: serve the window's events (at most every 200 ms while running),
    // and wait in the pause loop while stepping. 0 goes on, -1 stops the script.
    int kov_onestep(const char *pos);
    // The pause loop until CONT, STEP or STOP; text follows the status line's pause message.
    int kov_pause(const char *pos, const char *text);
    // Serves the host's events and the devices' watches and timers: -1 when the window is gone.
    int kov_pump();
    // Waits up to ms for events: on the devices' event source while a device is live, so that
    // sockets and timers are served during the wait, else as the host waits.
    void kov_wait(int ms);
    // The run state the sheet's cycle period (FOP_CYCLEMS) asks for, after a load.
    void kov_set_calcstat();
    // Why a cell may not be edited now; nullptr when it may.
    const char *kov_edit_refusal() const;
    // Every part that has a window is reset and its cell alone recalculated; the count.
    int kov_remake_parts();
    // The one entry of the commands (menus, toolbar, keys, tests) on the selection kov_sel:
    // 0 done, -1 refused or failed (app/kovmenu.cpp).
    int wm_menu(int id);
    // The selection: its first corner is the anchor, its second the cursor (csv_curx, csv_cury).
    // The window moves both only through these.
    KOV_RECT kov_sel = {0, 0, 0, 0};
    void kov_cursor_to(int x, int y);   // the cursor to a cell (clamped to the sheet), selecting it alone
    void kov_select_to(int x, int y);   // the cursor to a cell, the selection from the anchor to it
    void kov_select(const KOV_RECT &sel, int x, int y);   // a selection and cursor as they were
    bool kov_in_sel(int x, int y) const;                  // the cell lies in the selection
    int kov_mark[4][2] = {};      // cursor marks 1..4
    std::string kov_find;         // the text of the last search
    // A block of 1 MiB cannot be had.
    static bool kov_memory_low();
    int kov_get_clock() const { return kov_clock; }

    // --- cell entry (app/kovedit.cpp) ---
    // Why no cell may be edited now (run state, screen lock); nullptr when cells may be edited.
    const char *cse_edit_refusal() const;
    // The editor that key (a byte, or KOV_KEY_REEDIT) opens on (x, y) and its first text;
    // KOV_ED_NONE when refused, with the message in *msg (nullptr: refused without one).
    int cse_edit_begin(int x, int y, int key, std::string &text, const char **msg);
    // Stores what the editor of that kind holds and recalculates: 0, or -1 when the editor is to
    // stay open (msg: why, for a formula its error).
    int cse_edit_commit(int x, int y, int kind, const char *text, std::string &msg);
    // The check of a typed formula (without its "="): 0, or -1 with the error text.
    int csv_form_check(int x, int y, const char *form, char *err, int size);

    // --- end ---
    void kov_close(int status);
    int win_loop();
    int kov_info(FILE *out);
    // Prints a region (nullptr: every used cell) on the printer door: 0 when a page printed.
    int kov_print(const KOV_RECT *region);

    // --- what the host calls back ---
    void kov_tick() override;
    void kov_notify(int code, intptr_t arg) override;
    int kov_recalc(const KOV_RECT *region) override;   // csv_form_calc by run state
    long kov_callback(int code, intptr_t arg) override;
    // A part's event: a beep for a user's action, then the recalculation it asks for.
    void wp_event(const WP_NOTICE &n) override;
    WP_VIEWS &wp_views() override { return kov_views(); }
    GJ_VIEWS &gj_views() override { return *kov_doors.gadgets; }

    FUNC_U kov_func;   // the built-in functions of this interpreter

private:
    KOV_HOST kov_own_host;
    KOV_HOST *kov_hostp;
    WP_NOVIEWS kov_noviews;
    GJ_VIEWS kov_nogadgets;
    DEV_DOORS kov_nodevices;
    PRN_NONE kov_noprinter;
    KOV_DOORS kov_doors;
    KOV_PATHS kov_paths;
    std::string kov_title;
    int kov_clock = 0;          // cycle clock (ms), advanced by the 250 ms tick
    uint32_t kov_pumped = 0;    // host ticks of the last event pumping of a run
    uint32_t kov_hook_last = 0; // host ticks of the last statement hook of a run
    int kov_quiet = 0;          // statements the hook lets pass: more while they take no time
    long kov_ed_saved = -1;     // the editor's stamp when the script was loaded or saved
    int kov_live = 0;           // a run is on the stack (it may be stopped and still unwinding)
    void kov_show(const char *pos, const char *msg);   // a position of the run's text in the editor
    long kov_stat_end(long at);                        // the end of the statement at that offset
    int kov_run_cmd(int id);
    bool kov_confirm(const char *text);      // OK (true) or Cancel
    void kov_cursor(int x, int y);           // the cursor (and the selection) to a cell
    int kov_attr_cmd(int id, const KOV_RECT &r);
    int kov_total_cmd(int id, const KOV_RECT &r);
    int kov_fill_cmd(int id, const KOV_RECT &r);
    int kov_find_cmd(int dir);
    int kov_print_cmd(int id, const KOV_RECT &sel);
};

enum { TMCD_SET = 0, TMCD_GET = 1 };
// Cell editors, and the key that opens the cell's own content again (F2, the edit button).
enum { KOV_ED_NONE = 0, KOV_ED_NUM = 1, KOV_ED_TEXT = 2, KOV_ED_FORM = 3 };
constexpr int KOV_KEY_REEDIT = -1;
// Whether the toolbar button id is usable in a run state (the run states of its row in the
// command table).
int kov_tbar_enabled(int state, int id);

// "TZ=JST-9" when the environment has no "TZ" (times are Japan time unless asked otherwise).
void kov_set_tz();

// Largest script file read (bytes).
constexpr long SCR_FILE_MAX = 64L * 1024 * 1024;
// Reads a script file into text: CR LF becomes LF, a UTF-8 file becomes Shift-JIS (characters
// it cannot hold are told to the user as they become '?'). enc (may be null) gets the file's
// encoding. 0 / -1 (errno says why: a folder EISDIR, another file that is not a regular one
// KOV_ENOTREG, too large EFBIG).
int kov_read_script(const char *path, std::string &text, int *enc = nullptr);
