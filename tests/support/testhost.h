// The host of the tests: it records what the core asks of the window, stops a script after a
// statement budget, and lets a test drive the clock and the timer without sleeping.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "sheet/kovhost.h"

namespace kovtest {

// The system host's part (SYS_HOST for the bottom layer's tests, KOV_HOST for the rest).
template <class HOST>
struct TESTHOST_T : HOST {
    std::vector<std::string> calls;      // "redraw", "status TEXT", "msgbox TEXT", "beep", ...
    std::string shown;                   // message of the last host_ed_show ("" the run display)
    std::string shown_text;              // the text it was shown in
    long shown_at = -1, shown_end = -1;  // its bytes in that text, -1 without a position
    int run_display = 0;                 // a statement that runs next is shown
    long steps = 0, budget = -1;         // statement hooks seen; stop after budget (-1 never)
    std::vector<intptr_t> *trace = nullptr;   // where each statement hook was, when set
    int answer = KOV_IDOK;               // what every message box answers
    time_t now = 0;                      // the clock: host_now and (in ms) host_ticks
    uint32_t ticks = 0;

    uint32_t step_ms = 0;                // the clock moves on this much at every statement
    std::function<void()> on_pump;       // the user's turn: called at every event pumping
    int gone = 0;                        // the window is closed: pumping fails

    long host_callback(int code, intptr_t arg) override
    {
        if (code == SCRCB_ONESTEP && trace) trace->push_back(arg);
        if (code == SCRCB_ONESTEP && ++steps > budget && budget >= 0) return -1;
        if (code == SCRCB_ONESTEP) advance(step_ms);
        return HOST::host_callback(code, arg);
    }
    int host_pump() override
    {
        if (on_pump) on_pump();
        return gone ? -1 : HOST::host_pump();
    }
    void host_status(const char *text) override { calls.push_back(std::string("status ") + text); }
    int host_msgbox(const char *text, const char *, int) override
    {
        calls.push_back(std::string("msgbox ") + text);
        return answer;
    }
    void host_file_err(const char *name, const char *msg, int) override
    {
        calls.push_back(std::string("file ") + name + msg);
    }
    void host_beep() override { calls.push_back("beep"); }
    void host_ed_show(const char *text, long at, long end, const char *msg) override
    {
        run_display = text && !msg;
        if (!text) return;
        shown = msg ? msg : "";
        shown_text = text;
        shown_at = at, shown_end = end;
    }
    // A wait passes on the test clock only: nothing sleeps.
    void host_wait(int ms) override { advance(uint32_t(ms > 0 ? ms : 0)); }
    time_t host_now() override { return now; }
    uint32_t host_ticks() override { return ticks; }
    // The timer starts a new period when it is set; advance fires it once for every period that
    // ends within the time it moves the clock on.
    void host_timer(int ms) override
    {
        HOST::host_timer(ms);
        left = uint32_t(this->timer_ms);
    }
    void advance(uint32_t ms)
    {
        while (this->timer_ms > 0 && ms >= left) {
            ticks += left;
            ms -= left;
            left = uint32_t(this->timer_ms);
            if (this->host_ev) this->host_ev->kov_tick();
        }
        ticks += ms;
        left -= this->timer_ms > 0 ? ms : 0;
    }
    uint32_t left = 0;   // ms until the timer fires next
};
using TESTSYS = TESTHOST_T<SYS_HOST>;

struct TESTHOST : TESTHOST_T<KOV_HOST> {
    void host_redraw(const KOV_RECT *) override { calls.push_back("redraw"); }
};

// An application that records what its host calls back: "tick", "notify CODE",
// "recalc all" or "recalc X1,Y1,X2,Y2".
struct EVENTS : KOV_EVENTS {
    std::vector<std::string> got;
    void kov_tick() override { got.push_back("tick"); }
    void kov_notify(int code, intptr_t) override { got.push_back("notify " + std::to_string(code)); }
    int kov_recalc(const KOV_RECT *r) override
    {
        got.push_back(r ? "recalc " + std::to_string(r->x1) + "," + std::to_string(r->y1) + "," +
                              std::to_string(r->x2) + "," + std::to_string(r->y2)
                        : "recalc all");
        return 0;
    }
};

} // namespace kovtest
