#include "gadgets/wpdoor.h"

#include "base/kovlog.h"
#include "base/kovtext.h"
#include "builtins/func.h"
#include "script/scr.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

// ---------------------------------------------------------------- views and events

int WP_VIEWS::wp_cell_rect(int x, int y, int &l, int &t, int &w, int &h)
{
    if (!wp_sheet || x < 0 || y < 0 || x >= wp_sheet->csv_get_xs() || y >= wp_sheet->csv_get_ys()) return -1;
    w = wp_sheet->csv_get_wide(x) * 8;
    if (w <= 0) return -1;
    l = 0;
    for (int k = 0; k < x; k++) l += wp_sheet->csv_get_wide(k) * 8;
    t = y * 20;
    h = 20;
    return 0;
}

WP_VIEWS &WP_EVENTS::wp_views()
{
    static WP_NOVIEWS none;
    return none;
}

void WP_EVENTS::wp_tick_all(int clock)
{
    for (WP_PART *p = wp_first; p; p = p->wp_next) p->wp_tick(clock);
}

int WP_EVENTS::wp_count() const
{
    int n = 0;
    for (const WP_PART *p = wp_first; p; p = p->wp_next) n++;
    return n;
}

// ---------------------------------------------------------------- the part

WP_PART::WP_PART(WP_EVENTS *ev) : wp_ev(ev)
{
    wp_value.val_putd(-1);
    if (!ev) return;
    wp_next = ev->wp_first;
    if (wp_next) wp_next->wp_prev = this;
    ev->wp_first = this;
}

WP_PART::~WP_PART()
{
    delete wp_view;
    if (!wp_ev) return;
    if (wp_prev) wp_prev->wp_next = wp_next;
    else wp_ev->wp_first = wp_next;
    if (wp_next) wp_next->wp_prev = wp_prev;
}

void WP_PART::part_reset()
{
    wp_w = wp_h = 0;
    if (wp_view) wp_view->view_place(wp_l, wp_t, 0, 0);
}

void WP_PART::wp_set_view(WP_VIEW *v)
{
    if (v == wp_view) return;
    delete wp_view;
    wp_view = v;
}

void WP_PART::wp_show()
{
    if (wp_view) wp_view->view_update();
}

void WP_PART::wp_send(WP_EVENT kind, WP_CALC calc) const
{
    if (wp_ev) wp_ev->wp_event({kind, calc, {wp_x, wp_y, wp_x, wp_y}});
}

int WP_PART::wp_create(SCR_U *scr, CSV_U *sheet, const char *name, int x, int y, int cols, int rows)
{
    if (!scr || !sheet || !name) return -1;
    wp_scr = scr, wp_csv = sheet;
    wp_x = x, wp_y = y;
    wp_cols = std::clamp(cols, 1, WP_CELLS_MAX);
    wp_rows = std::clamp(rows, 1, WP_CELLS_MAX);
    snprintf(wp_name, sizeof wp_name, "%s", name);
    wp_set_view(nullptr);
    wp_l = wp_t = -10000;
    wp_w = wp_h = 0;
    wp_created = true;
    return 0;
}

// Sums of the covered widths and heights, each stopping at the first cell without a rectangle
// and held to 4096 pixels.
void WP_PART::wp_size(int &w, int &h) const
{
    w = h = 0;
    if (!wp_ev) return;
    WP_VIEWS &vs = wp_ev->wp_views();
    int l, t, cw, ch;
    for (int k = 0; k < wp_cols && w < WP_SIZE_MAX; k++) {
        if (vs.wp_cell_rect(wp_x + k, wp_y, l, t, cw, ch) != 0) break;
        w = std::min(w + std::max(cw, 0), WP_SIZE_MAX);
    }
    for (int k = 0; k < wp_rows && h < WP_SIZE_MAX; k++) {
        if (vs.wp_cell_rect(wp_x, wp_y + k, l, t, cw, ch) != 0) break;
        h = std::min(h + std::max(ch, 0), WP_SIZE_MAX);
    }
}

int WP_PART::wp_open_at_home(int style)
{
    if (!wp_scr || !wp_csv || !wp_created || !wp_ev) return -1;
    if (wp_scr->ctx.cel_x != SCR_NOCELL) wp_x = wp_scr->ctx.cel_x, wp_y = wp_scr->ctx.cel_y;
    int w, h;
    wp_size(w, h);
    if (w <= 0 || h <= 0) return -1;
    wp_style = style;
    wp_set_view(nullptr);
    wp_l = wp_t = -10000;
    wp_w = w, wp_h = h;
    wp_set_view(wp_ev->wp_views().wp_view_new(*this));
    if (wp_view) wp_view->view_place(wp_l, wp_t, wp_w, wp_h);
    return wp_place(wp_x, wp_y);
}

int WP_PART::wp_place(int x, int y)
{
    wp_x = x, wp_y = y;
    if (!wp_is_open()) return 0;
    int w, h, l, t, cw, ch;
    wp_size(w, h);
    bool moved = false;
    if (w > 0 && h > 0 && (w != wp_w || h != wp_h)) wp_w = w, wp_h = h, moved = true;
    if (wp_ev && wp_ev->wp_views().wp_cell_rect(x, y, l, t, cw, ch) == 0 && (l != wp_l || t != wp_t))
        wp_l = l, wp_t = t, moved = true;
    if (moved && wp_view) wp_view->view_place(wp_l, wp_t, wp_w, wp_h);
    return 0;
}

int WP_PART::wp_home(int &x, int &y)
{
    if (!wp_csv) return -1;
    if (wp_csv->csv_get_part(wp_x, wp_y) != this) {
        // Rows or columns moved under the formula: look for it.
        bool found = false;
        for (int r = 0; r < wp_csv->csv_get_ys() && !found; r++) {
            const CSV_ROW *row = wp_csv->csv_get_row(r);
            for (int c = 0; row && c < row->cnt && !found; c++)
                if (row->cel[c].form && row->cel[c].form->part == this) wp_x = c, wp_y = r, found = true;
        }
        if (!found) return -1;
    }
    x = wp_x, y = wp_y;
    return 0;
}

void WP_PART::wp_rect(int &l, int &t, int &w, int &h)
{
    int x, y;
    if (wp_home(x, y) == 0) wp_place(x, y);
    l = wp_l, t = wp_t, w = wp_w, h = wp_h;
}

int WP_PART::wp_frame() const
{
    if (wp_style & (WP_ST_PUSHF | WP_ST_PULLF)) return 2;
    return wp_style & WP_ST_LINEF ? 1 : 0;
}

void WP_PART::wp_client(int &w, int &h) const
{
    int f = wp_frame();
    w = std::max(wp_w - 2 * f, 0);
    h = std::max(wp_h - 2 * f, 0);
}

// ---------------------------------------------------------------- options

int WP_PART::wp_style_from_options(const char *opt)
{
    if (!opt) opt = "";
    size_t n = kov::sj_cut(opt, WP_OPT_MAX);
    memcpy(wp_opt, opt, n);
    wp_opt[n] = 0;
    if (!*wp_opt) return 0;
    int bits = 0;
    if (wp_has_keyword(wp_opt, "PUSHF")) bits |= WP_ST_PUSHF;
    if (wp_has_keyword(wp_opt, "PULLF")) bits |= WP_ST_PULLF;
    if (wp_has_keyword(wp_opt, "LINEF")) bits |= WP_ST_LINEF;
    if (!wp_has_keyword(wp_opt, "FOCUS")) bits |= WP_ST_NOFOCUS;
    return bits;
}

bool WP_PART::wp_has_keyword(const char *opt, const char *key)
{
    if (!opt || !key || !*opt || !*key) return false;
    size_t n = strlen(key);
    for (const char *p = opt; *p;) {
        while (*p == ' ' || *p == '\t') p++;
        if (strncmp(p, key, n) == 0) {
            unsigned char after = (unsigned char)p[n];
            if (!isalnum(after) && after != '_') return true;
        }
        p = strchr(p, ',');
        if (!p) break;
        p++;
    }
    return false;
}

// ---------------------------------------------------------------- actions

static WP_CALC calc_of(const char *opt)
{
    if (WP_PART::wp_has_keyword(opt, "NOCALC")) return WP_CALC::NONE;
    return WP_PART::wp_has_keyword(opt, "ONECALC") ? WP_CALC::HOME : WP_CALC::WHOLE;
}

void WP_PART::wp_user_action()
{
    int x, y;
    wp_home(x, y);
    wp_send(WP_EVENT::ACTION, calc_of(wp_opt));
}

void WP_PART::wp_request_recalc()
{
    int x, y;
    wp_home(x, y);
    WP_CALC c = calc_of(wp_opt);
    if (c != WP_CALC::NONE) wp_send(WP_EVENT::RECALC, c);
}

// ---------------------------------------------------------------- commands

// A colour argument: a colour name, or a number (negative: none).
static int arg_color(const VAL_U *v)
{
    if (v->val_kind == VAL_NUM) return v->val_num < 0 ? -1 : int(int64_t(v->val_num) & 0xFFFFFF);
    return wp_color(v->val_gets());
}

static int arg_int(const VAL_U *v)
{
    return scr_trunc32(v->val_getd());
}

int WP_PART::wp_common_command(const char *cmd, int n)
{
    if (n != 0) return -1;
    int cw, ch;
    wp_client(cw, ch);
    if (strcmp(cmd, "REOPEN") == 0) {
        part_reset();
        int x, y;
        wp_home(x, y);
        wp_send(WP_EVENT::RECALC, WP_CALC::HOME);
        wp_value.val_putd(0);
    } else if (strcmp(cmd, "CSIZEX") == 0) wp_value.val_putd(cw);
    else if (strcmp(cmd, "CSIZEY") == 0) wp_value.val_putd(ch);
    else if (strcmp(cmd, "WSIZEX") == 0) wp_value.val_putd(wp_w);
    else if (strcmp(cmd, "WSIZEY") == 0) wp_value.val_putd(wp_h);
    else if (strcmp(cmd, "COLS") == 0) wp_value.val_putd(wp_cols);
    else if (strcmp(cmd, "ROWS") == 0) wp_value.val_putd(wp_rows);
    else if (strcmp(cmd, "WPNAME") == 0) wp_value.val_puts(wp_name);
    else return -1;
    return 0;
}

namespace {
struct DRAW_CMD {
    const char *name;
    WP_DRAW::OP op;
    int argc;
};
const DRAW_CMD draw_cmds[] = {
    {"LINE", WP_DRAW::LINE, 6}, {"BOX", WP_DRAW::BOX, 6},       {"BAR", WP_DRAW::BAR, 5},
    {"CIRCLE", WP_DRAW::CIRCLE, 5}, {"DISK", WP_DRAW::DISK, 4}, {"PUTS", WP_DRAW::PUTS, 6},
    {"TTEXTC", WP_DRAW::TTEXTC, 1}, {"TBACKC", WP_DRAW::TBACKC, 1}, {"TCLEAR", WP_DRAW::TCLEAR, 0},
    {"TFONT", WP_DRAW::TFONT, 1},   {"TGOTO", WP_DRAW::TGOTO, 2},   {"TPUTS", WP_DRAW::TPUTS, 1},
    {"TCLREOL", WP_DRAW::TCLREOL, 0},
};

// The arguments of a drawing command into its record.
void draw_args(WP_DRAW &d, VAL_U *const *a)
{
    switch (d.op) {
    case WP_DRAW::LINE: case WP_DRAW::BOX: case WP_DRAW::BAR:
        d.x1 = arg_int(a[0]), d.y1 = arg_int(a[1]), d.x2 = arg_int(a[2]), d.y2 = arg_int(a[3]);
        d.color = arg_color(a[4]);
        if (d.op != WP_DRAW::BAR) d.width = std::clamp(arg_int(a[5]), 1, 15);
        break;
    case WP_DRAW::CIRCLE: case WP_DRAW::DISK:
        d.x1 = arg_int(a[0]), d.y1 = arg_int(a[1]), d.r = arg_int(a[2]);
        d.color = arg_color(a[3]);
        if (d.op == WP_DRAW::CIRCLE) d.width = std::clamp(arg_int(a[4]), 1, 15);
        break;
    case WP_DRAW::PUTS:
        d.x1 = arg_int(a[0]), d.y1 = arg_int(a[1]), d.text = a[2]->val_gets();
        d.color = arg_color(a[3]), d.back = arg_color(a[4]);
        d.size = std::clamp(arg_int(a[5]), 0, 256);
        break;
    case WP_DRAW::TTEXTC: case WP_DRAW::TBACKC: d.color = arg_color(a[0]); break;
    case WP_DRAW::TFONT: d.size = std::clamp(arg_int(a[0]), 0, 256); break;
    case WP_DRAW::TGOTO: d.x1 = arg_int(a[0]), d.y1 = arg_int(a[1]); break;
    case WP_DRAW::TPUTS: d.text = a[0]->val_gets(); break;
    default: break;
    }
}
} // namespace

int WP_PART::wp_draw_command(const char *cmd, VAL_U *const *args, int n)
{
    if (strcmp(cmd, "GCOPY") == 0 && n == 0) {
        wp_value.val_putd(wp_drawable() && wp_view ? wp_view->view_copy() : -1);
        return 0;
    }
    for (const DRAW_CMD &c : draw_cmds) {
        if (strcmp(cmd, c.name) != 0 || n != c.argc) continue;
        if (!wp_drawable()) return 0;   // known, but nothing to draw on: -1 stays
        WP_DRAW d;
        d.op = c.op;
        draw_args(d, args);
        int r = wp_view ? wp_view->view_draw(d) : 0;
        bool colour_cmd = c.op == WP_DRAW::TTEXTC || c.op == WP_DRAW::TBACKC;
        wp_value.val_putd(colour_cmd ? 0 : r);
        return 0;
    }
    return -1;
}

int WP_PART::wp_command(const char *cmd, VAL_U *const *args, int n)
{
    if (wp_common_command(cmd, n) == 0) return 0;
    return wp_draw_command(cmd, args, n);
}

// ---------------------------------------------------------------- files

static std::string dir_of(const std::string &path)
{
    size_t k = path.rfind('/');
    return k == std::string::npos ? std::string(".") : path.substr(0, k ? k : 1);
}

static std::string program_dir()
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    buf[n] = 0;
    return dir_of(buf);
}

std::string WP_PART::wp_find_file(const char *name) const
{
    std::string f = name ? name : "";
    std::replace(f.begin(), f.end(), '\\', '/');
    if (f.empty()) return "";
    if (f[0] == '/') return access(f.c_str(), R_OK) == 0 ? f : "";
    std::string sheet = wp_csv ? wp_csv->csv_get_fname() : "";
    std::replace(sheet.begin(), sheet.end(), '\\', '/');
    for (const std::string &dir : {sheet.empty() ? std::string(".") : dir_of(sheet), program_dir()}) {
        if (dir.empty()) continue;
        std::string p = dir + "/" + f;
        if (access(p.c_str(), R_OK) == 0) return p;
    }
    return "";
}

int wp_color(const char *name)
{
    return fn_color_rgb(name);
}
