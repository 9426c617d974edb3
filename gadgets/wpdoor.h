// The doors of pasted parts: what a part is to the sheet, the view that shows it, the factory
// that makes views, and the typed events a part sends back to the application. A part keeps its
// state without a view: where nobody shows parts (a script run without a window, --convert) the
// factory makes none and the part still answers its commands and gives its value.
#pragma once
#include "script/scrcall.h"
#include "script/val.h"
#include "sheet/csv.h"
#include "sheet/kovhost.h"

#include <cstdint>

class WP_PART;
class SCR_U;

// One drawing command of a part with a drawing surface, colours already 0xRRGGBB or -1 (none).
// LINE, BOX, BAR: (x1, y1)-(x2, y2); CIRCLE, DISK: centre (x1, y1), radius r; PUTS: at (x1, y1),
// text, color on back, size > 0 the font height for this text only; TTEXTC, TBACKC: color;
// TFONT: size; TGOTO: column x1, row y1; TPUTS: text; RESET: the kind's background again, all
// drawing erased (a board's "RESET").
struct WP_DRAW {
    enum OP { LINE, BOX, BAR, CIRCLE, DISK, PUTS, TTEXTC, TBACKC, TCLEAR, TFONT, TGOTO, TPUTS, TCLREOL, RESET };
    OP op = LINE;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, r = 0;
    int color = -1, back = -1;
    int width = 1;          // 1..15
    int size = 0;           // 0..256
    const char *text = "";  // valid during the call
};

// What a part shows through: placed over its cells in pixels of the sheet's window, shown or
// hidden as its cells scroll in and out of view, and told to repaint when its state changed.
class WP_VIEW {
public:
    virtual ~WP_VIEW() = default;
    virtual void view_place(int x, int y, int w, int h) = 0;
    virtual void view_show(bool on) = 0;
    // The model's state changed: show it.
    virtual void view_update() = 0;
    // A drawing command on the part's surface: 0 / -1.
    virtual int view_draw(const WP_DRAW &) { return 0; }
    // The part's picture to the clipboard: 0 / -1.
    virtual int view_copy() { return -1; }
};

// Makes the view of a part at its cell; nullptr: the part lives without one. It also knows the
// sheet's geometry, so that the model sizes and places parts without a window of its own.
class WP_VIEWS {
public:
    virtual ~WP_VIEWS() = default;
    virtual WP_VIEW *wp_view_new(WP_PART &part) = 0;
    // Pixels of a cell in the sheet's client area: 0, or -1 when the cell has no rectangle.
    // This one answers a nominal geometry: a column is its width in characters x 8 px, a row 20 px,
    // counted from the sheet's top-left cell.
    virtual int wp_cell_rect(int x, int y, int &l, int &t, int &w, int &h);
    const CSV_U *wp_sheet = nullptr;   // the sheet whose geometry is answered
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

// The application's side: it hears the events, makes the views and keeps the list of its live
// parts.
class WP_EVENTS {
public:
    virtual ~WP_EVENTS() = default;
    virtual void wp_event(const WP_NOTICE &n) = 0;
    // The factory of views (the window's, or one that makes none).
    virtual WP_VIEWS &wp_views();
    // The one-second tick to every live part.
    void wp_tick_all(int clock);
    // Live parts.
    int wp_count() const;

private:
    friend class WP_PART;
    WP_PART *wp_first = nullptr;
};

// Style bits from the options.
enum : int {
    WP_ST_EDIT = 0x1,            // editable combo box
    WP_ST_LAMP = 0x2,            // a lamp's button face
    WP_ST_LINEF = 0x8000,        // line frame
    WP_ST_PULLF = 0x10000,       // sunken frame
    WP_ST_PUSHF = 0x20000,       // raised frame
    WP_ST_NOFOCUS = 0x100000,    // takes no keyboard focus
    WP_ST_LIST = 0x4000000,      // combo and list boxes
};

constexpr int WP_NAME_MAX = 64;     // function name
constexpr int WP_OPT_MAX = 640;     // option string
constexpr int WP_SIZE_MAX = 4096;   // pixels a part may cover either way
constexpr int WP_CELLS_MAX = 100000;
constexpr int WP_PARTS_MAX = 256;   // beyond this many live parts no part is made

// The base of every pasted part: it belongs to the formula of its home cell (the store deletes
// it with the formula) and reaches the application through the event door. Without a view the
// part keeps its state and answers; its "window" is the pixel rectangle it covers.
class WP_PART : public CSV_PART {
public:
    explicit WP_PART(WP_EVENTS *ev);
    ~WP_PART() override;
    WP_PART(const WP_PART &) = delete;
    WP_PART &operator=(const WP_PART &) = delete;

    // --- the sheet's view of a part ---
    bool part_alive() const override { return wp_is_open(); }
    void part_reset() override;
    const char *wp_kind() const { return wp_name; }

    // --- the operations ---
    WP_VIEW *wp_get_view() const { return wp_view; }          // the window
    virtual bool wp_drawable() const { return false; }        // has a drawing surface
    // First initialisation from the creating call: 0 / -1.
    int wp_create(SCR_U *scr, CSV_U *sheet, const char *name, int x, int y, int cols, int rows);
    bool wp_is_open() const { return wp_created && wp_w > 0 && wp_h > 0; }
    // Sizes the part over its covered cells from the home cell, makes its view: 0 / -1.
    int wp_open_at_home(int style);
    // A new home cell: size and position follow (nothing moves when nothing changed). 0 / -1.
    int wp_place(int x, int y);
    // The home cell, found again when the sheet moved the formula: 0, or -1 when no formula of
    // the sheet holds this part any more.
    int wp_home(int &x, int &y);
    // The options stored (640 bytes at most) and turned into style bits.
    int wp_style_from_options(const char *opt);
    // The keyword at the start of a comma-separated item, followed by no letter, digit or "_".
    static bool wp_has_keyword(const char *opt, const char *key);
    // What a view calls after the user changed the state: notice 2, then the recalculation.
    void wp_user_action();
    // The recalculation the options ask for (NOCALC none, ONECALC the home cell, else all).
    void wp_request_recalc();
    // Drawing commands (their result in wp_value); -1 when cmd is none of them.
    int wp_draw_command(const char *cmd, VAL_U *const *args, int n);
    // The kind's commands, then the common ones, then the drawing ones; result in wp_value.
    virtual int wp_command(const char *cmd, VAL_U *const *args, int n);
    // The kind's update from a part function's arguments after the covered size (c.arg[2] on):
    // opens the part on its first evaluation; the result in wp_value. 0 / -1.
    virtual int wp_update(const FN_CALL &c) = 0;

    // --- what a view reads ---
    // The pixel rectangle the part covers now (the home cell's position, the covered size).
    void wp_rect(int &l, int &t, int &w, int &h);
    // Client size: the window less its frame.
    void wp_client(int &w, int &h) const;
    int wp_frame() const;   // frame pixels on each side
    int wp_style = 0;

    // The one-second tick of parts that keep time (clocks, blinking lamps).
    virtual void wp_tick(int) {}
    // Tells the application, when there is one.
    void wp_send(WP_EVENT kind, WP_CALC calc) const;
    void wp_set_view(WP_VIEW *v);
    // The view repaints, when there is one.
    void wp_show();
    // A resolved picture file: as given when absolute, else the sheet's folder then the
    // program's folder (backslashes read as slashes); "" when neither has it.
    std::string wp_find_file(const char *name) const;

    // --- the record ---
    VAL_U wp_value;                 // result of the creating function and of commands
    CSV_U *wp_csv = nullptr;        // the sheet (not owned)
    SCR_U *wp_scr = nullptr;        // the interpreter that evaluated the formula (not owned)
    int wp_x = 0, wp_y = 0;         // home cell
    int wp_cols = 1, wp_rows = 1;   // covered cells
    char wp_name[WP_NAME_MAX + 1] = {0};
    char wp_opt[WP_OPT_MAX + 1] = {0};

protected:
    int wp_common_command(const char *cmd, int n);
    int wp_l = -10000, wp_t = -10000, wp_w = 0, wp_h = 0;   // pixels now
    bool wp_created = false;

private:
    void wp_size(int &w, int &h) const;   // pixels of the covered cells
    WP_EVENTS *wp_ev;
    WP_VIEW *wp_view = nullptr;   // owned
    WP_PART *wp_prev = nullptr, *wp_next = nullptr;   // the live parts of wp_ev
    friend class WP_EVENTS;
};

// Part creation shared by every part function: the home cell's part reused or made anew, or
// nullptr with the function's error set.
WP_PART *wp_part_get(SCR_U &s, int cols, int rows);
// A new part of the kind a function name names; nullptr for none.
WP_PART *wp_part_new(const char *name, WP_EVENTS *ev);
// Part kinds of a higher layer (the devices), made by name once registered at start.
using WP_MAKER = WP_PART *(*)(WP_EVENTS *ev);
void wp_kind_add(const char *name, WP_MAKER make);
// 0xRRGGBB of a colour name, -1 for a name that is no colour.
int wp_color(const char *name);
