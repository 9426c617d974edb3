// The part kinds: one class per part function. Each keeps the state its view shows (public to
// read) and offers the user's actions as methods, which change the state and then call
// wp_user_action() where the user's change is to reach the sheet. Everything a view paints is
// computed here (graph shapes, shadow pixels, shown texts), so that it also holds headless.
#pragma once
#include "gadgets/wpdoor.h"
#include "script/gajet.h"

#include <string>
#include <vector>

// A colour name or a picture file, as the picture arguments give them.
struct WP_PICTURE {
    std::string name;   // as given (blanks dropped, 280 bytes at most)
    int color = -1;     // 0xRRGGBB, -1 for none
    std::string file;   // resolved picture file, "" for none (name holds what was asked)
    bool is_file = false;
};

// wpBACK: a colour or a tiled picture at the bottom of the parts.
class WP_BACK final : public WP_PART {
public:
    using WP_PART::WP_PART;
    bool wp_drawable() const override { return true; }
    int wp_update(const FN_CALL &c) override;
    WP_PICTURE back;
};

// wpPUSH: a button counting presses; the count is read and reset by each evaluation.
class WP_PUSH final : public WP_PART {
public:
    using WP_PART::WP_PART;
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    void press();                 // one press (also each repeat while held)
    std::string label;
    WP_PICTURE face;              // a picture when the argument has a ".", else a face colour
    bool repeat = false;          // "REPEAT": 500 ms to the first repeat, then every 200 ms
    int presses = 0;
};

// wpPUSHLOCK: a button that stays down.
class WP_PUSHLOCK final : public WP_PART {
public:
    using WP_PART::WP_PART;
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    void toggle();                // the user's click
    std::string label;
    std::string lamp_name;
    int lamp = -1;                // colour shown while locked, 0xRRGGBB
    int locked = 0;
};

// wpCHECK: a check box.
class WP_CHECK final : public WP_PART {
public:
    using WP_PART::WP_PART;
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    void toggle();                // the user's click
    std::string label;
    int checked = 0;
};

// wpHSCROLL, wpVSCROLL: a position within 0 .. maximum - page.
class WP_SCROLL final : public WP_PART {
public:
    WP_SCROLL(WP_EVENTS *ev, bool vertical) : WP_PART(ev), vertical(vertical) {}
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    void init(int max, int pos, int page);
    int set_pos(int p);           // clamped; the position held
    int page_step() const;        // a click beside the thumb
    // The user's scrolling: by a delta (arrows 1, beside the thumb page_step()), or to a position
    // while dragging; the drag's end is a user action only with "SUMMOVE".
    void scroll_by(int delta);
    void drag_to(int p);
    void drag_end();
    const bool vertical;
    int max = 1, pos = 0, page = 0;   // page as given (the control gets page + 1 when > 0)
};

// wpICOMBO, wpSCOMBO, wpECOMBO, wpILIST: items from the displayed texts of an area.
class WP_ITEMS : public WP_PART {
public:
    enum MODE { INDEX, TEXT, EDIT, LIST };
    WP_ITEMS(WP_EVENTS *ev, MODE m) : WP_PART(ev), mode(m) {}
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    // Items from the display texts of an area of a storage (the sheet, or a script array).
    void fill(BASE_GJ *g, int x, int y, int cols, int rows);
    int select(int index);        // outside the list selects nothing; the index held
    int select_text(const char *text);
    void user_select(int index);  // the user's choice
    void user_edit(const char *text);   // the user typed into the editable field
    const char *selected_text() const;
    void result();                // the state as the function's value
    const MODE mode;
    std::vector<std::string> items;   // at most 1000, 4096 bytes each
    int sel = -1;
    std::string edit;                 // the editable field's text
};
class WP_COMBO final : public WP_ITEMS {
public:
    using WP_ITEMS::WP_ITEMS;
};
class WP_LIST final : public WP_ITEMS {
public:
    explicit WP_LIST(WP_EVENTS *ev) : WP_ITEMS(ev, LIST) {}
};

// wpTNLAMP: a coloured button face.
class WP_LAMP final : public WP_PART {
public:
    using WP_PART::WP_PART;
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    void set_color(const char *name);
    std::string label;
    std::string color_name;       // 64 bytes at most
    int color = -1;               // 0xRRGGBB of color_name
};

// One shape of a graph, in client pixels.
struct WP_SHAPE {
    enum KIND { DOT, LINE, BAR } kind;
    int x1, y1, x2, y2;           // DOT: centre (x1, y1); LINE: ends; BAR: corners (inclusive)
    int width;                    // LINE width, DOT radius
};

// wpTNGRAPH: bars or lines of an area's numbers.
class WP_GRAPH final : public WP_PART {
public:
    enum MODE { NONE, VBAR, HBAR, VLINE, HLINE };
    using WP_PART::WP_PART;
    bool wp_drawable() const override { return true; }
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    // Computes the shapes from the area over a client of w x h pixels: the numeric cells found.
    int data_hook();
    // vals: the area's cells row by row, NaN where no number.
    int compute(const std::vector<double> &vals, int w, int h);
    MODE mode = NONE;
    CSV_U *area = nullptr;        // the sheet of the data area
    int area_x = 0, area_y = 0, area_cols = 0, area_rows = 0;
    double lo = 0, hi = 0;        // the bounds as given
    double vmin = 0, vmax = 0;    // the range used
    std::string color_name, back_name;
    int color = -1, back = 0xFFFFFF;
    bool too_many = false;        // "件数超過" shown instead
    std::vector<WP_SHAPE> shapes;
    int count = 0;
};

// wpTNSHADOW: an area's numbers as pixels.
class WP_SHADOW final : public WP_PART {
public:
    enum MODE { NONE, MONO, MONO8, RGB24 };
    using WP_PART::WP_PART;
    bool wp_drawable() const override { return true; }
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    int data_hook();
    int compute();                // pixels from the area over width x height
    static int pixel(MODE m, double v);   // 0xRRGGBB of a value
    MODE mode = NONE;
    CSV_U *area = nullptr;
    int area_x = 0, area_y = 0, area_cols = 0, area_rows = 0;
    bool too_many = false;        // "件数超過" in white at the top-left instead
    int width = 0, height = 0;    // client pixels
    std::vector<uint32_t> pixels; // width x height, row by row, 0xRRGGBB (black where no number)
    int count = 0;
};

// wpTPUTS: a text in a display style.
class WP_TPUTS final : public WP_PART {
public:
    using WP_PART::WP_PART;
    bool wp_drawable() const override { return true; }
    int wp_update(const FN_CALL &c) override;
    std::string text, style;      // style: "LCD1", "LEDO" ... or a background "WHITE", "RED" ...
    int draws = 0;                // times the text was drawn (a new text only)
};

// wpVGETD, wpHGETD: a value on N + 1 positions stepped by arrows.
class WP_GETD final : public WP_PART {
public:
    WP_GETD(WP_EVENTS *ev, bool vertical) : WP_PART(ev), vertical(vertical) {}
    bool wp_drawable() const override { return true; }
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    // The setting: 0, or -1 with error set ("増分が無効", "レンジ無効").
    int setup(double min, double max, double step, double value);
    double value_at(int p) const;
    int set_value(double v);      // 0 within the range, -1 outside
    int inc();                    // the new position's value shown; -1 when it cannot move
    int dec();
    void user_inc();              // the user's arrows
    void user_dec();
    static int decimals(double step);
    void show_value();
    const bool vertical;
    std::string style;
    double min = 0, max = 0, step = 0;
    int n = 0, pos = 0;
    int places = 0;               // decimals shown
    std::string shown;            // the value as shown, or the error text
    const char *error = nullptr;
};

// wpTNBOARD: a board scripts draw on.
class WP_BOARD final : public WP_PART {
public:
    using WP_PART::WP_PART;
    bool wp_drawable() const override { return true; }
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    WP_PICTURE back;
    int resets = 0;
};
