// wpTNTIMER: a part that counts a period down in tenths of a second and makes the sheet
// recalculate when it runs out, again and again (ASTABLE) or once per start (MONOSTABLE). It
// runs on one-shot timers of its application's device doors, armed again at every tick, so it
// keeps time with and without a window.
#pragma once
#include "gadgets/wpdoor.h"

#include <string>

class DEV_DOORS;

class DEV_TIMER final : public WP_PART {
public:
    enum KIND { NONE, ASTABLE, MONOSTABLE };
    static constexpr int PERIOD_MAX = 864000;   // 24 hours in tenths

    explicit DEV_TIMER(WP_EVENTS *ev);
    ~DEV_TIMER() override;
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;

    // Starts counting the full period (kind and step taken afresh): 0, or -1 with the reason
    // shown.
    int start();
    void stop();
    // One tick of the timer (what the door's timer calls).
    void tick();
    // The buttons inside the part: where they lie in client pixels, and a click at a point.
    // Clicks elsewhere do nothing.
    void button_rects(int cw, int ch, int r[2][4]) const;
    int click(int x, int y, int cw, int ch);   // 0 START, 1 STOP, -1 neither
    static int step_of(int period);
    static const char *kind_name(KIND k);
    static KIND kind_of(const char *opt);
    bool running() const { return remaining > 0; }

    KIND kind = NONE;
    int period = 0;       // tenths of a second
    int remaining = 0;    // tenths left; 0 while stopped
    int step = 0;         // tenths per tick
    int fires = 0;        // expirations not yet read by the formula
    std::string style;    // display style ("LCD1", "LEDO" ...)
    std::string shown;    // the state or the reason it does not run

private:
    void show_state();
    void arm(int tenths);
    WP_EVENTS *events;
};
