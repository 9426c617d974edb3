#include "gadgets/wpkinds.h"

#include "base/kovtext.h"
#include "builtins/fnutil.h"
#include "script/scr.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int ITEMS_MAX = 1000;
constexpr int ITEM_TEXT = 4096;
constexpr int SHORT_TEXT = 64;     // lamp colour, graph options and colours, text styles
constexpr int PICTURE_NAME = 280;

int arg_int(const VAL_U *v) { return scr_trunc32(v->val_getd()); }

// Text cut at n bytes without splitting a double-byte character.
std::string cut(const char *s, size_t n)
{
    if (!s) return "";
    return std::string(s, kov::sj_cut(s, n));
}

bool is_cmd(const char *cmd, int n, const char *name, int want) { return n == want && strcmp(cmd, name) == 0; }

WP_PICTURE picture_of(const WP_PART &p, const char *arg, bool file_by_dot)
{
    WP_PICTURE pic;
    std::string s = arg ? arg : "";
    size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    s = a == std::string::npos ? "" : s.substr(a, b - a + 1);
    pic.name = cut(s.c_str(), PICTURE_NAME);
    if (pic.name.empty()) return pic;
    if (!file_by_dot) pic.color = wp_color(pic.name.c_str());
    pic.is_file = file_by_dot ? pic.name.find('.') != std::string::npos : pic.color < 0;
    if (pic.is_file) pic.file = p.wp_find_file(pic.name.c_str());
    else if (file_by_dot) pic.color = wp_color(pic.name.c_str());
    return pic;
}

// A display text of a storage's element: the sheet's display text, else the element's text.
std::string element_text(BASE_GJ *g, int x, int y)
{
    static char buf[CSV_DSP_MAX];
    if (CSV_U *sheet = fn_sheet_of(g)) {
        sheet->csv_dsp_text(x, y, 0, ITEM_TEXT + 1, buf);
        std::string s = buf;
        if (sheet->csv_get_type(x, y) == CSV_NUM) {   // numbers come padded to the width asked
            size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
            s = a == std::string::npos ? "" : s.substr(a, b - a + 1);
        }
        return s;
    }
    const char *t = g ? g->gj_gets(x, y, ITEM_TEXT) : "";
    return t ? t : "";
}

// The numeric cells of an area read row by row (NaN where a cell holds no number).
std::vector<double> area_numbers(CSV_U *sheet, int x, int y, int cols, int rows)
{
    std::vector<double> v;
    if (!sheet || cols <= 0 || rows <= 0) return v;
    v.reserve(size_t(cols) * size_t(rows));
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < cols; c++) {
            const CSV_CEL *cel = sheet->csv_get_cel(x + c, y + r);
            v.push_back(CSV_U::csv_cel_type(cel) == CSV_NUM ? cel->val.d : NAN);
        }
    return v;
}

} // namespace

// ---------------------------------------------------------------- wpBACK

int WP_BACK::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        back = picture_of(*this, c.arg[3].s, false);
        if (wp_open_at_home(wp_style_from_options(c.arg[2].s)) != 0) return -1;
        wp_show();
    }
    wp_value.val_clear();
    return 0;
}

// ---------------------------------------------------------------- wpPUSH

void WP_PUSH::press()
{
    if (presses < INT_MAX) presses++;
    wp_user_action();
}

int WP_PUSH::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        label = c.arg[3].s;
        face = picture_of(*this, c.arg[4].s, true);
        int style = wp_style_from_options(c.arg[2].s);
        repeat = wp_has_keyword(wp_opt, "REPEAT");
        if (wp_open_at_home(style) != 0) return -1;
        wp_show();
    }
    wp_value.val_putd(presses);
    presses = 0;
    return 0;
}

int WP_PUSH::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (is_cmd(cmd, n, "SET", 1)) presses = std::max(arg_int(a[0]), 0), wp_value.val_putd(0);
    else if (is_cmd(cmd, n, "GET", 0)) wp_value.val_putd(presses);
    else return WP_PART::wp_command(cmd, a, n);
    return 0;
}

// ---------------------------------------------------------------- wpPUSHLOCK

void WP_PUSHLOCK::toggle()
{
    locked = !locked;
    wp_show();
    wp_user_action();
}

int WP_PUSHLOCK::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        label = c.arg[3].s;
        lamp_name = cut(c.arg[4].s, SHORT_TEXT);
        lamp = wp_color(lamp_name.c_str());
        locked = c.arg[5].i != 0;
        if (wp_open_at_home(wp_style_from_options(c.arg[2].s)) != 0) return -1;
        wp_show();
    }
    wp_value.val_putd(locked);
    return 0;
}

int WP_PUSHLOCK::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (is_cmd(cmd, n, "SET", 1)) locked = arg_int(a[0]) != 0;
    else if (is_cmd(cmd, n, "REV", 0)) locked = !locked;
    else if (is_cmd(cmd, n, "COLOR", 1)) lamp_name = cut(a[0]->val_gets(), SHORT_TEXT), lamp = wp_color(lamp_name.c_str());
    else if (is_cmd(cmd, n, "GET", 0)) return wp_value.val_putd(locked), 0;
    else return WP_PART::wp_command(cmd, a, n);
    wp_show();
    wp_value.val_putd(0);
    return 0;
}

// ---------------------------------------------------------------- wpCHECK

void WP_CHECK::toggle()
{
    checked = !checked;
    wp_show();
    wp_user_action();
}

int WP_CHECK::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        label = c.arg[3].s;
        checked = c.arg[4].i != 0;
        if (wp_open_at_home(wp_style_from_options(c.arg[2].s)) != 0) return -1;
        wp_show();
    }
    wp_value.val_putd(checked);
    return 0;
}

int WP_CHECK::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (is_cmd(cmd, n, "SET", 1)) checked = arg_int(a[0]) != 0;
    else if (is_cmd(cmd, n, "REV", 0)) checked = !checked;
    else if (is_cmd(cmd, n, "GET", 0)) return wp_value.val_putd(checked), 0;
    else return WP_PART::wp_command(cmd, a, n);
    wp_show();
    wp_value.val_putd(0);
    return 0;
}

// ---------------------------------------------------------------- wpHSCROLL, wpVSCROLL

void WP_SCROLL::init(int mx, int p, int pg)
{
    max = std::max(mx, 1);
    page = std::max(pg, 0);
    set_pos(p);
}

int WP_SCROLL::set_pos(int p)
{
    int top = std::max(max - page, 0);
    pos = std::clamp(p, 0, top);
    wp_show();
    return pos;
}

int WP_SCROLL::page_step() const { return std::max((max - page) / 10, 1); }

void WP_SCROLL::scroll_by(int delta)
{
    set_pos(int(std::clamp<int64_t>(int64_t(pos) + delta, INT_MIN, INT_MAX)));
    wp_user_action();
}

void WP_SCROLL::drag_to(int p)
{
    set_pos(p);
    wp_user_action();
}

void WP_SCROLL::drag_end()
{
    if (wp_has_keyword(wp_opt, "SUMMOVE")) wp_user_action();
}

int WP_SCROLL::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        int style = wp_style_from_options(c.arg[2].s);
        if (wp_open_at_home(style) != 0) return -1;
        init(c.arg[3].i, c.arg[4].i, c.arg[5].i);
    }
    wp_value.val_putd(pos);
    return 0;
}

int WP_SCROLL::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (is_cmd(cmd, n, "INIT", 3)) init(arg_int(a[0]), arg_int(a[1]), arg_int(a[2])), wp_value.val_putd(0);
    else if (is_cmd(cmd, n, "SET", 1)) set_pos(arg_int(a[0])), wp_value.val_putd(0);
    else if (is_cmd(cmd, n, "GET", 0)) wp_value.val_putd(pos);
    else return WP_PART::wp_command(cmd, a, n);
    return 0;
}

// ---------------------------------------------------------------- combo and list boxes

void WP_ITEMS::fill(BASE_GJ *g, int x, int y, int cols, int rows)
{
    items.clear();
    for (int r = 0; r < rows && int(items.size()) < ITEMS_MAX; r++)
        for (int c = 0; c < cols && int(items.size()) < ITEMS_MAX; c++)
            items.push_back(element_text(g, x + c, y + r));
}

int WP_ITEMS::select(int index)
{
    sel = index >= 0 && index < int(items.size()) ? index : -1;
    if (mode == EDIT && sel >= 0) edit = items[size_t(sel)];
    wp_show();
    return sel;
}

int WP_ITEMS::select_text(const char *text)
{
    int k = -1;
    for (size_t i = 0; text && i < items.size() && k < 0; i++)
        if (strncmp(items[i].c_str(), text, 1024) == 0) k = int(i);
    return select(k);
}

void WP_ITEMS::user_select(int index)
{
    select(index);
    wp_user_action();
}

void WP_ITEMS::user_edit(const char *text)
{
    edit = cut(text, ITEM_TEXT);
    wp_show();
    wp_user_action();
}

const char *WP_ITEMS::selected_text() const
{
    if (mode == EDIT) return edit.c_str();
    return sel >= 0 && sel < int(items.size()) ? items[size_t(sel)].c_str() : "";
}

void WP_ITEMS::result()
{
    if (mode == INDEX || mode == LIST) wp_value.val_putd(sel);
    else wp_value.val_puts(selected_text());
}

int WP_ITEMS::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        int style = (wp_style_from_options(c.arg[2].s) & ~WP_ST_NOFOCUS) | WP_ST_LIST;
        if (mode == EDIT) style |= WP_ST_EDIT;
        if (wp_open_at_home(style) != 0) return -1;
        fill(c.arg[3].g, c.arg[4].i, c.arg[5].i, c.arg[6].i, c.arg[7].i);
        if (mode == INDEX || mode == LIST) select(c.arg[8].i);
        else if (mode == TEXT) select_text(c.arg[8].s);
        else select_text(c.arg[8].s), edit = cut(c.arg[8].s, ITEM_TEXT);
        wp_show();
    }
    result();
    return 0;
}

int WP_ITEMS::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (is_cmd(cmd, n, "SETI", 1)) select(arg_int(a[0])), wp_value.val_putd(0);
    else if (mode != LIST && is_cmd(cmd, n, "SETS", 1)) {
        if (mode == EDIT) edit = cut(a[0]->val_gets(), ITEM_TEXT), wp_show();
        else select_text(a[0]->val_gets());
        wp_value.val_putd(0);
    } else if (is_cmd(cmd, n, "GETI", 0)) wp_value.val_putd(sel);
    else if (is_cmd(cmd, n, "GETS", 0)) wp_value.val_puts(cut(selected_text(), ITEM_TEXT).c_str());
    else return WP_PART::wp_command(cmd, a, n);
    return 0;
}

// ---------------------------------------------------------------- wpTNLAMP

void WP_LAMP::set_color(const char *name)
{
    color_name = cut(name, SHORT_TEXT);
    color = wp_color(color_name.c_str());
    wp_show();
}

int WP_LAMP::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        label = c.arg[3].s;
        set_color(c.arg[4].s);
        if (wp_open_at_home(wp_style_from_options(c.arg[2].s) | WP_ST_LAMP) != 0) return -1;
        wp_show();
    }
    wp_value.val_puts(color_name.c_str());
    return 0;
}

int WP_LAMP::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (is_cmd(cmd, n, "SET", 1)) set_color(a[0]->val_gets()), wp_value.val_putd(0);
    else if (is_cmd(cmd, n, "GET", 0)) wp_value.val_puts(color_name.c_str());
    else return WP_PART::wp_command(cmd, a, n);
    return 0;
}

// ---------------------------------------------------------------- wpTNGRAPH

int WP_GRAPH::wp_update(const FN_CALL &c)
{
    const char *opt = c.arg[2].s;
    if (!wp_is_open() && wp_open_at_home(wp_style_from_options(opt)) != 0) return -1;
    std::string o = cut(opt, SHORT_TEXT);
    mode = NONE;
    const std::pair<const char *, MODE> keys[] = {{"VBAR", VBAR}, {"HBAR", HBAR}, {"VLINE", VLINE}, {"HLINE", HLINE}};
    for (auto &k : keys)
        if (wp_has_keyword(o.c_str(), k.first)) mode = k.second;
    area_x = c.arg[4].i, area_y = c.arg[5].i, area_cols = c.arg[6].i, area_rows = c.arg[7].i;
    area = fn_sheet_of(c.arg[3].g);
    lo = c.arg[8].d, hi = c.arg[9].d;
    color_name = cut(c.arg[10].s, SHORT_TEXT), back_name = cut(c.arg[11].s, SHORT_TEXT);
    color = wp_color(color_name.c_str()), back = wp_color(back_name.c_str());
    wp_value.val_putd(data_hook());
    return 0;
}

int WP_GRAPH::data_hook()
{
    int w, h;
    wp_client(w, h);
    int64_t cells = int64_t(std::max(area_cols, 0)) * std::max(area_rows, 0);
    if (w <= 0 || cells / w >= 101) {
        too_many = w > 0, shapes.clear(), count = 0;
        wp_show();
        return 0;
    }
    int r = compute(area_numbers(area, area_x, area_y, area_cols, area_rows), w, h);
    wp_show();
    return r;
}

// Item k of n over a length: its step and start, in pixels.
static double step_of(int len, size_t n) { return n ? double(len) / double(n) : 0; }

int WP_GRAPH::compute(const std::vector<double> &vals, int w, int h)
{
    too_many = false;
    shapes.clear();
    count = 0;
    double mn = INFINITY, mx = -INFINITY;
    for (double v : vals)
        if (!std::isnan(v)) mn = std::min(mn, v), mx = std::max(mx, v), count++;
    if (lo != hi) mn = std::min(lo, hi), mx = std::max(lo, hi);
    vmin = count || lo != hi ? mn : 0, vmax = count || lo != hi ? mx : 0;
    if (mode == NONE || !count) return count;
    bool across = mode == HLINE || mode == HBAR;   // items go down, values across
    double step = step_of(across ? h : w, vals.size());
    int len = (across ? w : h) - 1;
    int dot = std::clamp(int(step / 4), 1, 8);
    bool have_prev = false;
    int px = 0, py = 0;
    for (size_t k = 0; k < vals.size(); k++) {
        double v = vals[k];
        if (std::isnan(v)) {
            have_prev = false;
            continue;
        }
        double f = vmax > vmin ? (v - vmin) / (vmax - vmin) : 0.0;
        f = f >= 0 ? std::min(f, 1.0) : 0.0;   // NaN of infinite bounds too
        int at = int(double(k) * step), mid = int(double(k) * step + step / 2);
        int val = int(f * len);
        if (mode == HBAR) shapes.push_back({WP_SHAPE::BAR, 0, at, val, at + int(step), 0});
        else if (mode == VBAR) shapes.push_back({WP_SHAPE::BAR, at, len - val, at + int(step), len, 0});
        else {
            int x = across ? val : mid, y = across ? mid : len - val;
            if (have_prev) shapes.push_back({WP_SHAPE::LINE, px, py, x, y, dot});
            shapes.push_back({WP_SHAPE::DOT, x, y, 0, 0, dot});
            px = x, py = y, have_prev = true;
        }
    }
    return count;
}

int WP_GRAPH::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (!is_cmd(cmd, n, "DROW", 0)) return WP_PART::wp_command(cmd, a, n);
    data_hook();
    wp_value.val_putd(0);
    return 0;
}

// ---------------------------------------------------------------- wpTNSHADOW

int WP_SHADOW::pixel(MODE m, double v)
{
    if (std::isnan(v)) return 0;
    double t = m == MONO ? v * 255 + 0.5 : v;
    double top = m == RGB24 ? 0xFFFFFF : 255;
    int64_t g = int64_t(std::clamp(std::trunc(t), 0.0, top));
    return m == RGB24 ? int(g) : int(g << 16 | g << 8 | g);
}

int WP_SHADOW::wp_update(const FN_CALL &c)
{
    const char *opt = c.arg[2].s;
    if (!wp_is_open() && wp_open_at_home(wp_style_from_options(opt)) != 0) return -1;
    mode = NONE;
    const std::pair<const char *, MODE> keys[] = {{"MONO", MONO}, {"MONO8", MONO8}, {"RGB24", RGB24}};
    for (auto &k : keys)
        if (wp_has_keyword(opt, k.first)) mode = k.second;
    area = fn_sheet_of(c.arg[3].g);
    area_x = c.arg[4].i, area_y = c.arg[5].i, area_cols = c.arg[6].i, area_rows = c.arg[7].i;
    wp_value.val_putd(data_hook());
    return 0;
}

int WP_SHADOW::data_hook()
{
    wp_client(width, height);
    int r = compute();
    wp_show();
    return r;
}

int WP_SHADOW::compute()
{
    too_many = false, count = 0;
    pixels.clear();
    if (mode == NONE || width <= 0 || height <= 0) return 0;
    pixels.assign(size_t(width) * size_t(height), 0);
    int64_t cells = int64_t(std::max(area_cols, 0)) * std::max(area_rows, 0);
    if (cells / (int64_t(width) * height) >= 101) return too_many = true, 0;
    for (int y = 0; y < height; y++) {
        int cy = area_y + int(int64_t(area_rows) * y / height);
        for (int x = 0; x < width; x++) {
            int cx = area_x + int(int64_t(area_cols) * x / width);
            const CSV_CEL *cel = area ? area->csv_get_cel(cx, cy) : nullptr;
            if (CSV_U::csv_cel_type(cel) != CSV_NUM) continue;
            pixels[size_t(y) * size_t(width) + size_t(x)] = uint32_t(pixel(mode, cel->val.d));
            count++;
        }
    }
    return count;
}

int WP_SHADOW::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (!is_cmd(cmd, n, "DROW", 0)) return WP_PART::wp_command(cmd, a, n);
    data_hook();
    wp_value.val_putd(0);
    return 0;
}

// ---------------------------------------------------------------- wpTPUTS

int WP_TPUTS::wp_update(const FN_CALL &c)
{
    bool first = !wp_is_open();
    if (first && wp_open_at_home(wp_style_from_options(c.arg[2].s)) != 0) return -1;
    snprintf(wp_opt, sizeof wp_opt, "%s", cut(c.arg[2].s, SHORT_TEXT).c_str());
    style = cut(c.arg[4].s, SHORT_TEXT);
    const char *t = c.arg[3].s ? c.arg[3].s : "";
    if (first || text != t) {
        text = t;
        draws++;
        wp_show();
    }
    wp_value.val_puts(text.c_str());
    return 0;
}

// ---------------------------------------------------------------- wpVGETD, wpHGETD

int WP_GETD::decimals(double step)
{
    if (!(step > 0) || !std::isfinite(step)) return 0;
    return std::max(0, int(-std::floor(std::log10(step))));
}

double WP_GETD::value_at(int p) const
{
    return min + double(n - p) * (max - min) / n;
}

void WP_GETD::show_value()
{
    char buf[400];
    snprintf(buf, sizeof buf, "%.*f", std::min(places, 30), value_at(pos));
    shown = buf;
    wp_show();
}

int WP_GETD::setup(double mn, double mx, double st, double value)
{
    error = nullptr;
    if (!(st > 0)) error = "増分が無効";
    else if (!(mx > mn) || !std::isfinite(mx - mn)) error = "レンジ無効";
    if (error) {
        shown = error;
        wp_show();
        return -1;
    }
    min = mn, max = mx, step = st;
    // At least one step, and no more positions than an int holds.
    n = int(std::clamp(std::trunc((mx - mn) / st), 1.0, 1e9));
    places = decimals(st);
    pos = n;
    set_value(std::clamp(value, mn, mx));
    return 0;
}

int WP_GETD::set_value(double v)
{
    if (std::isnan(v) || v < min || v > max) return -1;
    pos = int(std::clamp(std::round(n - (v - min) * n / (max - min)), 0.0, double(n)));
    show_value();
    return 0;
}

int WP_GETD::inc()
{
    if (error || pos >= n) return -1;
    pos++;
    show_value();
    return 0;
}

int WP_GETD::dec()
{
    if (error || pos <= 0) return -1;
    pos--;
    show_value();
    return 0;
}

void WP_GETD::user_inc()
{
    if (inc() == 0) wp_user_action();
}

void WP_GETD::user_dec()
{
    if (dec() == 0) wp_user_action();
}

int WP_GETD::wp_update(const FN_CALL &c)
{
    if (!wp_is_open() || error) {
        if (!wp_is_open() && wp_open_at_home(wp_style_from_options(c.arg[2].s)) != 0) return -1;
        style = cut(c.arg[3].s, SHORT_TEXT);
        if (setup(c.arg[4].d, c.arg[5].d, c.arg[6].d, c.arg[7].d) != 0) return -1;
    }
    wp_value.val_putd(value_at(pos));
    return 0;
}

int WP_GETD::wp_command(const char *cmd, VAL_U *const *a, int k)
{
    if (error && (is_cmd(cmd, k, "INC", 0) || is_cmd(cmd, k, "DEC", 0) || is_cmd(cmd, k, "GET", 0) || is_cmd(cmd, k, "SET", 1)))
        return 0;   // a bad setting answers -1
    if (is_cmd(cmd, k, "INC", 0) || is_cmd(cmd, k, "DEC", 0)) {
        if ((cmd[0] == 'I' ? inc() : dec()) == 0) wp_value.val_putd(value_at(pos));
    } else if (is_cmd(cmd, k, "GET", 0)) wp_value.val_putd(value_at(pos));
    else if (is_cmd(cmd, k, "SET", 1)) wp_value.val_putd(set_value(a[0]->val_getd()));
    else return WP_PART::wp_command(cmd, a, k);
    return 0;
}

// ---------------------------------------------------------------- wpTNBOARD

int WP_BOARD::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        back = picture_of(*this, c.arg[3].s, true);
        if (wp_open_at_home(wp_style_from_options(c.arg[2].s)) != 0) return -1;
        wp_show();
    }
    wp_value.val_putd(0);
    return 0;
}

int WP_BOARD::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (!is_cmd(cmd, n, "RESET", 0)) return WP_PART::wp_command(cmd, a, n);
    resets++;
    WP_DRAW d;
    d.op = WP_DRAW::RESET;
    if (wp_get_view()) wp_get_view()->view_draw(d);
    wp_value.val_putd(0);
    return 0;
}

// ---------------------------------------------------------------- the kinds by name

namespace {
struct WP_KIND {
    std::string name;
    WP_MAKER make;
};
std::vector<WP_KIND> &wp_kinds()
{
    static std::vector<WP_KIND> kinds;
    return kinds;
}
} // namespace

WP_PART *wp_part_new(const char *name, WP_EVENTS *ev)
{
    const std::string n = name ? name : "";
    if (n == "wpBACK") return new WP_BACK(ev);
    if (n == "wpPUSH") return new WP_PUSH(ev);
    if (n == "wpPUSHLOCK") return new WP_PUSHLOCK(ev);
    if (n == "wpCHECK") return new WP_CHECK(ev);
    if (n == "wpHSCROLL" || n == "wpVSCROLL") return new WP_SCROLL(ev, n[2] == 'V');
    if (n == "wpICOMBO") return new WP_COMBO(ev, WP_ITEMS::INDEX);
    if (n == "wpSCOMBO") return new WP_COMBO(ev, WP_ITEMS::TEXT);
    if (n == "wpECOMBO") return new WP_COMBO(ev, WP_ITEMS::EDIT);
    if (n == "wpILIST") return new WP_LIST(ev);
    if (n == "wpTNLAMP") return new WP_LAMP(ev);
    if (n == "wpTNGRAPH") return new WP_GRAPH(ev);
    if (n == "wpTNSHADOW") return new WP_SHADOW(ev);
    if (n == "wpTPUTS") return new WP_TPUTS(ev);
    if (n == "wpVGETD" || n == "wpHGETD") return new WP_GETD(ev, n[2] == 'V');
    if (n == "wpTNBOARD") return new WP_BOARD(ev);
    for (const WP_KIND &k : wp_kinds())
        if (n == k.name) return k.make(ev);
    return nullptr;
}

void wp_kind_add(const char *name, WP_MAKER make)
{
    auto &kinds = wp_kinds();
    for (WP_KIND &k : kinds)
        if (k.name == name) return void(k.make = make);
    kinds.push_back({name, make});
}
