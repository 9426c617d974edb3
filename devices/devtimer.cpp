#include "devices/devtimer.h"

#include "base/kovtext.h"
#include "devices/devdoor.h"
#include "script/scr.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr int STYLE_MAX = 64;

std::string cut(const char *s, size_t n) { return s ? std::string(s, kov::sj_cut(s, n)) : std::string(); }

// Digits of v's magnitude (at most 10).
int digits(int v)
{
    int n = 1;
    for (v = v < 0 ? -(v / 10) : v / 10; v > 0 && n < 10; v /= 10) n++;
    return n;
}

} // namespace

DEV_TIMER::DEV_TIMER(WP_EVENTS *ev) : WP_PART(ev), events(ev) {}

DEV_TIMER::~DEV_TIMER() { dev_doors_of(events).dev_forget(this); }

const char *DEV_TIMER::kind_name(KIND k)
{
    return k == ASTABLE ? "周期タイマ" : k == MONOSTABLE ? "単発タイマ" : "";
}

// A second per tick for long periods, three tenths for the middle ones, and for the shortest all
// but the last tenth at once (the last tick is cut to what remains).
int DEV_TIMER::step_of(int p)
{
    if (p >= 1000) return 10;
    if (p >= 4) return 3;
    return std::max(p - 1, 1);
}

// The door's timers fire once: each tick arms the next.
void DEV_TIMER::arm(int tenths)
{
    dev_doors_of(events).dev_timer(this, 0, tenths * 100, [this] { tick(); });
}

DEV_TIMER::KIND DEV_TIMER::kind_of(const char *opt)
{
    return wp_has_keyword(opt, "ASTABLE") ? ASTABLE : wp_has_keyword(opt, "MONOSTABLE") ? MONOSTABLE : NONE;
}

int DEV_TIMER::start()
{
    kind = kind_of(wp_opt);
    remaining = 0;
    dev_doors_of(events).dev_timer(this, 0, -1, nullptr);
    const char *why = nullptr;
    char msg[64];
    if (kind == NONE) snprintf(msg, sizeof msg, "%s|%s 未指定", "ASTABLE", "MONOSTABLE"), why = msg;
    else if (period < 1) why = "周期が正でない";
    else if (period > PERIOD_MAX) why = "周期は 24H 未満";
    if (why) {
        shown = why;
        wp_show();
        return -1;
    }
    step = step_of(period);
    arm(step);
    remaining = period;
    show_state();
    return 0;
}

void DEV_TIMER::stop()
{
    remaining = 0;
    dev_doors_of(events).dev_timer(this, 0, -1, nullptr);
    show_state();
}

void DEV_TIMER::tick()
{
    if (remaining <= 0) return;
    remaining -= step;
    if (remaining > 0) {
        arm(std::min(remaining, step));   // the last tick is cut to what is left
        show_state();
        return;
    }
    if (fires < INT_MAX) fires++;
    int x, y;
    wp_home(x, y);
    if (!wp_has_keyword(wp_opt, "NOCALC"))
        wp_send(WP_EVENT::TIMER, wp_has_keyword(wp_opt, "ONECALC") ? WP_CALC::HOME : WP_CALC::WHOLE);
    if (kind == ASTABLE && period > 0) {
        start();
        return;
    }
    remaining = 0;
    show_state();
}

void DEV_TIMER::show_state()
{
    char b[128];
    const char *name = kind_name(kind);
    if (kind == NONE) snprintf(b, sizeof b, "%s|%s 未指定", "ASTABLE", "MONOSTABLE");
    else if (period >= 1000) {
        int w = digits(period / 10);
        snprintf(b, sizeof b, "%s %*d/%*d", name, w, remaining / 10, w, period / 10);
    } else {
        int w = digits(period / 10) + 2;
        snprintf(b, sizeof b, "%s %*.1f/%*.1f", name, w, remaining / 10.0, w, period / 10.0);
    }
    shown = b;
    wp_show();
}

int DEV_TIMER::wp_update(const FN_CALL &c)
{
    int p = c.arg[4].i;
    if (!wp_is_open()) {
        if (wp_open_at_home(wp_style_from_options(c.arg[2].s)) != 0) return -1;
        style = cut(c.arg[3].s, STYLE_MAX);
        period = p;
        kind = kind_of(wp_opt);
        if (kind == ASTABLE) start();
        else stop();
    } else if (!running()) {
        int old = period;
        period = p;
        if (old <= 0 && p > 0 && wp_has_keyword(wp_opt, "ASTABLE")) start();
        else if (old != p) stop();
    } else {
        period = p;
    }
    wp_value.val_putd(fires);
    fires = 0;
    return 0;
}

int DEV_TIMER::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (n == 0 && strcmp(cmd, "START") == 0) start();
    else if (n == 0 && strcmp(cmd, "STOP") == 0) stop();
    else return WP_PART::wp_command(cmd, a, n);
    wp_value.val_putd(0);
    return 0;
}

// Two buttons one above the other at the right end, a quarter of the width (12 to 48 pixels).
void DEV_TIMER::button_rects(int cw, int ch, int r[2][4]) const
{
    int bw = std::clamp(cw / 4, 12, 48), top = ch / 2;
    int at[2][4] = {{cw - bw, 0, bw, top}, {cw - bw, top, bw, ch - top}};
    memcpy(r, at, sizeof at);
}

int DEV_TIMER::click(int x, int y, int cw, int ch)
{
    int r[2][4];
    button_rects(cw, ch, r);
    for (int k = 0; k < 2; k++) {
        if (x < r[k][0] || y < r[k][1] || x >= r[k][0] + r[k][2] || y >= r[k][1] + r[k][3]) continue;
        if (k == 0) start();
        else stop();
        return k;
    }
    return -1;
}
