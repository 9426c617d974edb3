// The doors of pasted parts: what a part is to the sheet, the view that shows it, the factory
// that makes views, and the typed events a part sends back to the application. A part keeps its
// state without a view: where nobody shows parts (a script run without a window, --convert) the
// factory makes none and the part still answers its commands and gives its value.
#pragma once
#include "sheet/csv.h"
#include "sheet/kovhost.h"

class WP_PART;

// What a part shows through: placed over its cells in pixels of the sheet's window, shown or
// hidden as its cells scroll in and out of view, and told to repaint when its state changed.
class WP_VIEW {
public:
    virtual ~WP_VIEW() = default;
    virtual void view_place(int x, int y, int w, int h) = 0;
    virtual void view_show(bool on) = 0;
    virtual void view_update() = 0;
};

// Makes the view of a part at its cell; nullptr: the part lives without one.
class WP_VIEWS {
public:
    virtual ~WP_VIEWS() = default;
    virtual WP_VIEW *wp_view_new(WP_PART &part) = 0;
};

// Where nothing is shown.
class WP_NOVIEWS final : public WP_VIEWS {
public:
    WP_VIEW *wp_view_new(WP_PART &) override { return nullptr; }
};

// What a part tells the application. ACTION: the user worked the part (a beep where the sheet
// asks for one, then the recalculation the part's options ask for); RECALC: a recalculation of
// the region (or the whole sheet) without a beep; LINE: a device part took a line in; TIMER: a
// timer part fired.
enum class WP_EVENT { ACTION, RECALC, LINE, TIMER };
enum class WP_CALC { WHOLE, HOME, NONE };   // what a part's recalculation request covers

struct WP_NOTICE {
    WP_EVENT kind;
    WP_CALC calc;
    KOV_RECT home;        // the part's home cell (x1 = x2, y1 = y2)
};

// The application's side: it hears the events and keeps the list of its live parts.
class WP_EVENTS {
public:
    virtual ~WP_EVENTS() = default;
    virtual void wp_event(const WP_NOTICE &n) = 0;
    // The one-second tick to every live part.
    void wp_tick_all(int clock);

private:
    friend class WP_PART;
    WP_PART *wp_first = nullptr;
};

// The base of every pasted part: it belongs to the formula of its home cell (the store deletes
// it with the formula) and reaches the application through the event door.
class WP_PART : public CSV_PART {
public:
    WP_PART(int x, int y, WP_EVENTS *ev);
    ~WP_PART() override;
    WP_PART(const WP_PART &) = delete;
    WP_PART &operator=(const WP_PART &) = delete;

    bool part_alive() const override { return wp_view != nullptr; }
    // The one-second tick of parts that keep time (clocks, blinking lamps).
    virtual void wp_tick(int) {}
    // Tells the application, when there is one.
    void wp_send(WP_EVENT kind, WP_CALC calc) const;
    void wp_set_view(WP_VIEW *v);
    WP_VIEW *wp_get_view() const { return wp_view; }

    int wp_x, wp_y;       // home cell

private:
    WP_EVENTS *wp_ev;
    WP_VIEW *wp_view = nullptr;   // owned
    WP_PART *wp_prev = nullptr, *wp_next = nullptr;   // the live parts of wp_ev
    friend class WP_EVENTS;
};
