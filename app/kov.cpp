#include "app/kov.h"
#include "app/kovfname.h"
#include "devices/devfunc.h"
#include "gadgets/gjmodel.h"
#include "gadgets/wpfunc.h"
#include "sheet/csvfile.h"
#include "base/kovlog.h"
#include "base/kovsave.h"

#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void kov_set_tz()
{
    setenv("TZ", "JST-9", 0);
    tzset();
}

KOV_U::KOV_U(KOV_HOST *host) : kov_func(*this), kov_hostp(host ? host : &kov_own_host)
{
    csv_set_host(kov_hostp);
    scr_set_host(kov_hostp);
    scr_csv = this;
    wp_install();
    scr_gjmaker = gj_host_maker();
    dev_install();
    kov_func.fn_install();
    kov_set_doors({});
    kov_hostp->host_set_events(this);
}

void KOV_U::kov_set_doors(const KOV_DOORS &d)
{
    kov_doors.views = d.views ? d.views : &kov_noviews;
    kov_doors.devices = d.devices ? d.devices : &kov_nodevices;
    kov_doors.printer = d.printer ? d.printer : &kov_noprinter;
    // Views of the old factory do not move to a new one.
    if (kov_doors.gadgets) gj_close_all();
    kov_doors.gadgets = d.gadgets ? d.gadgets : &kov_nogadgets;
    kov_doors.views->wp_sheet = this;   // the geometry parts are sized by
}

KOV_U::~KOV_U()
{
    // Gadget windows and parts go while their event door and views are still whole.
    gj_close_all();
    for (int y = 0; y < csv_get_used(); y++) {   // rows past it hold no cells, so no parts
        const CSV_ROW *row = csv_get_row(y);
        for (int x = 0; row && x < row->cnt; x++)
            if (row->cel[x].form && row->cel[x].form->part) csv_set_part(x, y, nullptr);
    }
    kov_hostp->host_set_events(nullptr);
    if (kov::log_get_host() == kov_hostp) kov::log_set_host(nullptr);
}

// ---- start ----

void KOV_U::kov_set_paths(const KOV_PATHS &p)
{
    kov_paths = p;
    kov_prof.prof_set_path(p.ini.c_str(), p.name.c_str());
    kov::log_set_path(p.log.c_str());
}

// The process's application object: its host shows the attention lines of the log.
int KOV_U::kov_start(const char *exe, const char *name)
{
    KOV_PATHS p;
    kov_make_paths(exe, &p);
    kov_set_paths(p);
    kov::log_set_host(kov_hostp);
    scr_make_stbl(0);   // the base of the stack history view
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
    KOV_LOG("xw=%d yw=%d", kov_get_set(SET_DSPSIZX), kov_get_set(SET_DSPSIZY));
    if (csv_create(KOV_INIT_XS, KOV_INIT_YS) < 0) {
        KOV_ATT("メモリ不足");
        return -1;
    }
    return cse_apply_set();
}

// The window state the settings decide goes to the host in one piece.
int KOV_U::cse_apply_set()
{
    static const struct { int id, ws; } keys[] = {
        {SET_FULSIZE, CSV_WS_FULLSIZ}, {SET_FONTSIZE, CSV_WS_FONTSIZ}, {SET_TOOLBAR, CSV_WS_TOOLBAR},
        {SET_STATBAR, CSV_WS_STATBAR}, {SET_ROWNAME, CSV_WS_ROWNAME}, {SET_COLNAME, CSV_WS_COLNAME},
        {SET_HSCROLL, CSV_WS_HSCROLL}, {SET_VSCROLL, CSV_WS_VSCROLL}, {SET_DSPSIZX, CSV_WS_DSPSIZX},
        {SET_DSPSIZY, CSV_WS_DSPSIZY},
    };
    CSV_WINST ws;
    csv_winst_clear(ws);
    for (auto &k : keys) ws.v[k.ws] = kov_get_set(k.id);
    kov_hostp->host_diamond(kov_get_set(SET_DIAMOND));
    kov_hostp->host_win_put(ws);
    csv_rnwide = kov_get_set(SET_RNWID);
    cse_set_scrlock(kov_get_set(SET_WIDEFIX));
    csv_wpbeep = kov_get_set(SET_WPBEEP);
    kov_hostp->host_redraw(nullptr);
    return 0;
}

int KOV_U::cse_set_scrlock(int lock)
{
    csv_scrlock = lock ? 1 : 0;
    kov_hostp->host_scrlock(csv_scrlock);
    return 0;
}

// ---- names and loading ----

int KOV_U::csv_set_fname(const char *name)
{
    if (!name || !*name) return -1;
    std::string s = kov_sheet_name(name);
    if (csv_set_fullpath(s.c_str()) < 0) return -1;
    kov_title = csv_get_fname();
    kov_hostp->host_ed_setname(kov_script_name(csv_get_fname()).c_str());
    return 0;
}

// Only a regular file is a script (a folder, a device or a pipe is refused without waiting for
// it: the open does not block and the type is checked before any read), and at most
// SCR_FILE_MAX bytes of it.
int kov_read_script(const char *path, std::string &text, int *enc)
{
    struct stat st;
    int fd = kov::open_regular(path, st, SCR_FILE_MAX);
    if (fd < 0) return -1;
    text.clear();
    text.reserve((size_t)st.st_size);
    char buf[65536];
    ssize_t n;
    int cr = 0;   // a CR waiting to see whether LF follows
    while ((n = read(fd, buf, sizeof buf)) > 0 && (long)text.size() <= SCR_FILE_MAX) {
        const char *b = buf, *end = buf + n;
        if (cr && *b != '\n') text += '\r';
        cr = 0;
        while (b < end) {   // runs without a CR go in whole
            const char *r = static_cast<const char *>(memchr(b, '\r', end - b));
            if (!r) {
                text.append(b, end);
                break;
            }
            text.append(b, r);
            if (r + 1 == end) {
                cr = 1;
                break;
            }
            if (r[1] != '\n') text += '\r';
            b = r + 1;
        }
    }
    int e = n < 0 ? errno : (long)text.size() > SCR_FILE_MAX ? EFBIG : 0;
    if (cr) text += '\r';
    close(fd);
    if (!e) {
        kov::SJ_LOST lost;
        int got = kov::sj_decode_file(text, &lost);
        if (enc) *enc = got;
        if (lost.count) KOV_ATT("%s", kov::sj_lost_text(path, lost).c_str());
    }
    errno = e;
    return e ? -1 : 0;
}

int KOV_U::kov_ted_fload()
{
    const char *name = kov_get_scrname();
    std::string text;
    if (kov_read_script(name, text, &kov_scr_enc) == 0) {
        kov_hostp->host_ed_put(text.c_str());
        kov_ed_saved = kov_hostp->host_ed_stamp();
        return 0;
    }
    kov_scr_enc = kov_enc;
    if (errno == ENOENT) {
        kov_hostp->host_ed_put("");   // a new script
        kov_ed_saved = kov_hostp->host_ed_stamp();
        return 0;
    }
    KOV_ATT_FILE(name, " 読込み失敗", errno);
    kov_hostp->host_ed_put(nullptr);
    return -1;
}

// A sheet saved under a new name takes its script along: the script is written beside it under
// the new name, and the names change only when the save worked.
int KOV_U::cse_fsave(const char *name)
{
    bool full = !kov_has_ext(name, "csv") && !kov_has_ext(name, "txt");
    std::string old_scr = kov_get_scrname();
    if (full) kov_hostp->host_ed_setname(kov_script_name(kov_sheet_name(name).c_str()).c_str());
    CSVFILE_U file(*this);
    file.csv_enc = kov_enc;
    file.csv_scr_enc = kov_scr_enc;
    if (file.csv_fsave(name, nullptr) < 0) {
        kov_hostp->host_ed_setname(old_scr.c_str());
        KOV_ATT_FILE(name, " 保存失敗", file.csv_err);
        return -1;
    }
    if (full) csv_set_fname(name), kov_ed_saved = kov_hostp->host_ed_stamp();
    csv_set_modify(0);
    return 0;
}

int KOV_U::cse_fload(const char *name)
{
    KOV_LOG("cse_fload() start");
    if (csv_set_fname(name) < 0) return -1;
    scr_reset();   // variables, functions and parts of the old sheet go
    cse_del_allcel();
    KOV_LOG("csv_get_fname()=%s", csv_get_fname());
    KOV_LOG("csv_get_dir()=%s", csv_get_dir());
    if (chdir(csv_get_dir()) != 0) KOV_LOG("chdir %s 失敗", csv_get_dir());
    CSVFILE_U file(*this);
    file.csv_defxs = KOV_INIT_XS;
    file.csv_defys = KOV_INIT_YS;
    int rc = file.csv_fload(nullptr, csv_get_fname(), nullptr);
    kov_enc = file.csv_enc;
    if (rc >= 0) KOV_LOG("cse_fload() end");
    else KOV_ATT_FILE(csv_get_fname(), " 読込み失敗", file.csv_err);
    csv_redraw(nullptr);
    if (kov_ted_fload() < 0) rc = -1;
    kov_set_calcstat();
    csv_form_calc(nullptr);
    return rc;
}

int KOV_U::kov_auto_start(const char *name, const char *defext)
{
    if (!name || !*name) {
        std::string noname = std::string("noname.") + defext;
        return csv_set_fname(noname.c_str());
    }
    if (cse_fload(name) < 0) return -1;
    if (!kov_has_ext(name, "scr")) return 0;
    if (access(kov_get_scrname(), F_OK) != 0) {
        // The script as named ("X.SCR" where "X.scr" is not there); the loading made the
        // sheet's folder the current one.
        std::string given = std::string(csv_get_dir()) + "/" + kov_fname_base(name);
        if (access(given.c_str(), F_OK) != 0) {   // a script to run must be there
            KOV_ATT_FILE(name, " 読込み失敗", errno);
            return -1;
        }
        kov_hostp->host_ed_setname(given.c_str());
        if (kov_ted_fload() < 0) return -1;
    }
    KOV_LOG("%s 自動起動", name);
    int stat = kov_do_scrpt(TST_SCRPT_RUN);
    KOV_LOG("stat=%d", stat);
    kov_close(stat);
    return 0;
}

// ---- end ----

void KOV_U::kov_close(int status) { kov_hostp->host_quit(status); }

int KOV_U::win_loop() { return kov_hostp->host_loop(); }

int KOV_U::kov_info(FILE *out)
{
    fprintf(out, "settings: %s\n", kov_paths.ini.c_str());
    fprintf(out, "log: %s\n", kov_paths.log.c_str());
    fprintf(out, "sheet: %s\n", csv_get_fname());
    fprintf(out, "size: %d x %d\n", csv_get_xs(), csv_get_ys());
    return 0;
}
