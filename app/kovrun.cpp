// Run states and the recalculation cycle. The application is always in one state (stopped, a
// script running, stepping or paused, one recalculation, or one of three cycles); the state
// decides which commands act, whether cells may be edited and when formulas are recalculated.
// A script runs nested inside the command that started it, on the one thread: the statement
// hook pumps the host's events, so every command checks the state before it acts.
#include "app/kov.h"
#include "base/kovlog.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

namespace {

// The cycle period of a state, 0 for the others.
int cycle_ms(int state)
{
    return state == TST_CYCLE_250ms ? 250 : state == TST_CYCLE_1000ms ? 1000 : state == TST_CYCLE_10000ms ? 10000 : 0;
}

bool scrpt_state(int s) { return s >= TST_SCRPT_RUN && s <= TST_SCRPT_PAUSE; }

} // namespace

int kov_tbar_enabled(int state, int id)
{
    const KOV_CMD *c = kov_cmd(id);
    return c && !c->button.empty() && c->run ? kov_cmd_enabled(state, id) : 0;
}

// Asked after every command: the probe runs at most every 100 ms, since a random walk of
// commands (or a script sending them) would otherwise map and unmap a block per command.
bool KOV_U::kov_memory_low()
{
    static long last_ms = -1000;
    static bool low = false;
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    long ms = long(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    if (ms - last_ms < 100) return low;
    last_ms = ms;
    char *probe = new (std::nothrow) char[1 << 20];
    delete[] probe;
    return low = probe == nullptr;
}

int KOV_U::kov_tstat(int code, int state)
{
    if (code != TMCD_SET) return scr_tstat;
    static const char *const names[] = {"TST_STOP", "TST_SCRPT_RUN", "TST_SCRPT_STEP", "TST_SCRPT_PAUSE", "TST_CALC_ONE"};
    if (state < TST_STOP || state > TST_CYCLE_10000ms) return -1;
    if (state < TST_CYCLE_250ms) KOV_LOG("kov_tstat(TMCD_SET, %s)", names[state]);
    else KOV_LOG("kov_tstat(TMCD_SET, TST_CYCLE_%dms)", cycle_ms(state));
    scr_tstat = state;
    csv_cyclems = cycle_ms(state);
    kov_clock = 0;
    kov_hostp->host_timer(250);
    kov_hostp->host_run_state(state);
    return 0;
}

void KOV_U::kov_set_calcstat()
{
    KOV_LOG("kov_set_calcstat()");
    KOV_LOG("css_calcms=%d", csv_cyclems);
    int c = csv_cyclems;
    kov_tstat(TMCD_SET, c == 250 ? TST_CYCLE_250ms : c == 1000 ? TST_CYCLE_1000ms : c == 10000 ? TST_CYCLE_10000ms : TST_STOP);
}

const char *KOV_U::kov_edit_refusal() const
{
    if (!csv_exists()) return "未オープンです";
    switch (scr_tstat) {
    case TST_STOP:
    case TST_SCRPT_PAUSE: return nullptr;
    case TST_SCRPT_RUN:
    case TST_SCRPT_STEP: return "スクリプト実行中は編集できません";
    case TST_CALC_ONE: return "再計算中は編集できません";
    case TST_CYCLE_250ms:
    case TST_CYCLE_1000ms:
    case TST_CYCLE_10000ms: return "周期再計算中は編集できません";
    default: return "編集できません";
    }
}

// ---- scripts ----

int KOV_U::kov_do_scrpt(int start)
{
    // A stopped run may still be unwinding from the pump that saw STOP: the text and tables it
    // reads are not to be replaced under it, and the hook would not reach a second run.
    if (kov_live) {
        KOV_LOG("スクリプト終了処理中");
        return -1;
    }
    if (scr_fatal || kov_memory_low()) {
        KOV_ATT("%sデータ保存後, 即終了してください", scr_fatal ? "危険です！" : "メモリ不足！");
        return -1;
    }
    if (scr_prepare(PREP_SCRIPT_BEGIN) != 0) {
        KOV_LOG("スクリプト開始準備失敗");
        return -1;
    }
    KOV_LOG("スクリプト実行開始");
    kov_hostp->host_status("スクリプト実行中");
    int old = scr_tstat;
    kov_tstat(TMCD_SET, start);
    kov_pumped = kov_hostp->host_ticks();
    int st = 0;
    kov_live++;
    int rc = scr_do_allstep(scr_text, &st);
    kov_live--;
    gj_close_all();   // a script's windows end with its run
    kov_hostp->host_ed_show(nullptr, -1, -1, nullptr);   // the run display ends
    if (rc != 0) kov_dsp_scrpt();
    char msg[64];
    snprintf(msg, sizeof msg, rc != 0 ? "スクリプト実行失敗(%d)" : "スクリプト実行終了(%d)", rc != 0 ? -1 : st);
    KOV_LOG("%s", msg);
    kov_hostp->host_status(msg);
    kov_tstat(TMCD_SET, old);
    scr_prepare(PREP_SCRIPT_END);
    return rc != 0 ? -1 : st;
}

void KOV_U::kov_dsp_scrpt() { kov_show(scr_errpos, scr_get_nowerr()); }

// A position is shown only as an offset into the text that ran, and only when it lies inside it.
void KOV_U::kov_show(const char *pos, const char *msg)
{
    if (!scr_text) return;
    long len = long(strlen(scr_text));
    uintptr_t p = uintptr_t(pos), b = uintptr_t(scr_text);
    long at = pos && p >= b && p - b <= uintptr_t(len) ? long(p - b) : -1;
    while (at >= 0 && at < len && strchr(" \t\r\n", scr_text[at])) at++;   // the statement, not the blanks before it
    kov_hostp->host_ed_show(scr_text, at, at < 0 ? -1 : kov_stat_end(at), msg);
}

// Where the statement at byte at ends: the statement reader reads it without effect, and
// whatever that read touched is put back. A statement it cannot read ends at its line's end.
long KOV_U::kov_stat_end(long at)
{
    const char *p = scr_text + at;
    SCR_CTX keep = ctx;
    char errs[4][SCR_ERRSIZE];
    char *bufs[4] = {err_prescr, err_prefnc, err_nowscr, err_nowfnc};
    for (int k = 0; k < 4; k++) memcpy(errs[k], bufs[k], SCR_ERRSIZE);
    const char *errpos = scr_errpos, *far = far_pos;
    int ret = scr_ret_pending, r = -1;
    ctx.st_noexect++;
    try {
        r = scr_stat(p, 0);
    } catch (...) {   // a label sought or a failure inside: the line's end will do
        r = -1;
    }
    ctx = keep;
    for (int k = 0; k < 4; k++) memcpy(bufs[k], errs[k], SCR_ERRSIZE);
    scr_errpos = errpos, far_pos = far, scr_ret_pending = ret;
    if (r != 0 || p <= scr_text + at) p = strchrnul(scr_text + at, '\n');
    while (p > scr_text + at && strchr(" \t\r\n", p[-1])) p--;   // trailing blanks belong to no statement
    return long(p - scr_text);
}

long KOV_U::kov_callback(int code, intptr_t arg)
{
    if (code == SCRCB_ONESTEP) return kov_onestep((const char *)arg);
    if (code != SCRCB_PAUSE) return 0;
    KOV_LOG("スクリプト一時停止");
    int r = kov_pause(nullptr, (const char *)arg);
    KOV_LOG("スクリプト実行再開");
    return r;
}

int KOV_U::kov_onestep(const char *pos)
{
    uint32_t now = kov_hostp->host_ticks();
    if (scr_tstat == TST_SCRPT_RUN && now - kov_pumped < 200) {
        // Statements that take no time need no clock each: up to 255 pass uncounted, none
        // once a millisecond goes by between two looks, so that the pumping stays on time.
        kov_quiet = now - kov_hook_last <= 1 ? (kov_quiet * 2 + 1) & 255 : 0;
        kov_hook_last = now;
        scr_hook_quiet = kov_quiet;
        return 0;
    }
    kov_pumped = now;
    int before = scr_tstat;
    // What the script wrote since the last pumping is painted by this one.
    kov_hostp->host_redraw(nullptr);
    if (pos && before == TST_SCRPT_RUN) kov_show(pos, nullptr);
    if (kov_pump() < 0) {
        KOV_LOG("自分がクローズ。スクリプト停止");
        return -1;
    }
    switch (scr_tstat) {
    case TST_STOP: return scrpt_state(before) ? -1 : 0;
    case TST_SCRPT_STEP:
    case TST_SCRPT_PAUSE: {
        KOV_LOG("ポーズ状態に移行");
        int r = kov_pause(pos, nullptr);
        KOV_LOG("ポーズ状態解除");
        return r == -1 ? -1 : 0;
    }
    default:
        if (scr_tstat >= TST_SCRPT_RUN && scr_tstat <= TST_CYCLE_10000ms) return 0;
        KOV_LOG("スクリプト停止");
        kov_hostp->host_status("スクリプト停止");
        return -1;
    }
}

int KOV_U::kov_pump()
{
    int r = kov_hostp->host_pump();
    kov_devices().dev_serve(0);
    return r;
}

void KOV_U::kov_wait(int ms)
{
    if (kov_devices().dev_pending()) kov_devices().dev_serve(ms);
    else kov_hostp->host_wait(ms);
}

int KOV_U::kov_pause(const char *pos, const char *text)
{
    if (scr_tstat == TST_STOP) {
        KOV_LOG("kov_tstat==%d", scr_tstat);
        return -1;
    }
    KOV_LOG("スクリプト一時停止");
    scr_make_alltbl();
    if (pos) kov_show(pos, nullptr);
    kov_hostp->host_redraw(nullptr);
    char msg[1100];
    snprintf(msg, sizeof msg, "スクリプト一時停止 %s", text ? text : "");
    kov_hostp->host_status(msg);
    kov_tstat(TMCD_SET, TST_SCRPT_PAUSE);
    int paint = scr_nopaint(0);   // the user may look at the sheet meanwhile
    int r = -1;
    for (;;) {
        if (kov_pump() < 0) {
            KOV_LOG("自分がクローズ。スクリプト停止");
            break;
        }
        int st = scr_tstat;
        if (st == TST_STOP) {
            KOV_LOG("スクリプト停止");
            kov_hostp->host_status("スクリプト停止");
            break;
        }
        if (st != TST_SCRPT_PAUSE) {
            KOV_LOG("%s", st == TST_SCRPT_RUN ? "実行継続" : st == TST_SCRPT_STEP ? "ステップ実行継続" : "スクリプト実行継続");
            r = 0;
            break;
        }
        kov_wait(100);
    }
    scr_nopaint(paint);
    if (r == 0) kov_hostp->host_status("スクリプト実行再開");
    kov_pumped = kov_hostp->host_ticks();
    return r;
}

// ---- recalculation ----

int KOV_U::kov_recalc(const KOV_RECT *region)
{
    KOV_LOG("csv_form_calc()");
    int st = scr_tstat;
    if (cycle_ms(st)) return scr_calc_space(this, region);
    // A running script or a pass owns the interpreter, also a stopped run still unwinding.
    if (st != TST_STOP || kov_live) return 0;
    if (scr_fatal || kov_memory_low()) {
        KOV_ATT("%sデータ保存後, 即終了してください", scr_fatal ? "危険です！" : "メモリ不足！");
        return -1;
    }
    kov_tstat(TMCD_SET, TST_CALC_ONE);
    int r = scr_calc_space(this, region);
    kov_tstat(TMCD_SET, st);
    kov_hostp->host_redraw(region);
    return r;
}

int KOV_U::kov_remake_parts()
{
    int n = 0;
    for (int y = 0; y < csv_get_ys(); y++) {
        CSV_ROW *row = csv_get_row(y);
        for (int x = 0; row && x < row->cnt; x++, row = csv_get_row(y)) {
            CSV_PART *p = csv_get_part(x, y);
            if (!p || !p->part_alive()) continue;
            p->part_reset();
            KOV_RECT one = {x, y, x, y};
            csv_form_calc(&one);
            n++;
        }
    }
    return n;
}

void KOV_U::kov_tick()
{
    kov_clock += 250;
    if (kov_clock > 999999) kov_clock = 0;
    if (kov_clock % 1000 == 0) wp_tick_all(kov_clock);
    int p = cycle_ms(scr_tstat);
    if (p && kov_clock % p == 0 && csv_form_calc(nullptr) == -1) kov_tstat(TMCD_SET, TST_STOP);
}

// Code 2: the beep of a part; code 3: the queued recalculations. The passes may queue more: at
// most 10 rounds, then what is still queued is dropped.
void KOV_U::wp_event(const WP_NOTICE &n)
{
    if (n.kind == WP_EVENT::ACTION) kov_hostp->host_post(2, 0);
    if (n.calc != WP_CALC::NONE) scr_calc_request(this, n.calc == WP_CALC::WHOLE ? nullptr : &n.home);
}

void KOV_U::kov_notify(int code, intptr_t)
{
    if (code == 2 && csv_wpbeep) kov_hostp->host_beep();
    if (code != 3) return;
    for (int round = 0; round < 10; round++) {
        SCR_CALCQ *q = new (std::nothrow) SCR_CALCQ(scr_calcq);
        scr_calcq.posted = scr_calcq.whole = scr_calcq.count = 0;
        if (!q) {
            KOV_ATT("メモリ不足。続行は危険");
            return;
        }
        if (q->whole) csv_form_calc(nullptr);
        for (int k = 0; !q->whole && k < q->count; k++) csv_form_calc(&q->area[k]);
        delete q;
        if (!scr_calcq.whole && !scr_calcq.count) return;
    }
    scr_calcq.posted = scr_calcq.whole = scr_calcq.count = 0;
    kov_hostp->host_status("連続再計算回数超過");
    kov_hostp->host_beep();
}

// ---- commands ----

int KOV_U::kov_run_cmd(int id)
{
    int st = scr_tstat, r = -1;
    auto act = [&](const char *name, int to) {
        KOV_LOG("%s", name);
        r = kov_tstat(TMCD_SET, to);
    };
    auto run = [&](const char *name, int start) {
        KOV_LOG("%s", name);
        kov_do_scrpt(start);
        r = 0;
    };
    auto cycle = [&](int to, const char *status) {
        act("周期再計算", to);
        kov_hostp->host_status(status);
    };
    switch (id) {
    case KVM_CALC:
        if (st == TST_STOP) r = csv_form_calc(nullptr);
        break;
    case KVM_F07_RUN:
        if (st == TST_STOP && !kov_live) run("KVM_F07_RUN", TST_SCRPT_RUN);
        break;
    case KVM_F08_STEP:
        if (st == TST_STOP && !kov_live) run("KVM_F08_STEP", TST_SCRPT_STEP);
        else if (st == TST_SCRPT_PAUSE) act("KVM_F08_STEP", TST_SCRPT_STEP);
        break;
    case KVM_F09_PAUS:
        if (st == TST_SCRPT_RUN || st == TST_SCRPT_STEP) act("KVM_F09_PAUS", TST_SCRPT_PAUSE);
        break;
    case KVM_F11_CONT:
        if (st == TST_SCRPT_PAUSE) act("KVM_F11_CONT", TST_SCRPT_RUN);
        break;
    case KVM_F12_STOP:
        if (st != TST_STOP) act("KVM_F12_STOP", TST_STOP);
        break;
    case KVM_CYCLE_STOP:
        if (cycle_ms(st)) cycle(TST_STOP, "周期再計算停止");
        break;
    case KVM_CYCLE_250: cycle(TST_CYCLE_250ms, "約 1/4s 周期再計算"); break;
    case KVM_CYCLE_1000: cycle(TST_CYCLE_1000ms, "約 1s 周期再計算"); break;
    case KVM_CYCLE_10000: cycle(TST_CYCLE_10000ms, "約 10s 周期再計算"); break;
    default: break;
    }
    return r;
}
