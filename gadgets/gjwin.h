// Windows of script gadgets (win_open ...): the record every gadget model keeps of its window,
// and the doors through which a window shows it. The record is the truth: without a display the
// window functions keep it and answer from it, and only nothing is shown. The application owns a
// GJ_WINHOST: it knows every model its interpreter made, hands out the factory of views (the
// window's, or none), and closes the windows when a script run ends.
#pragma once
#include <cstdint>
#include <string>

class GJ_MODEL;
class GJ_PIXELS;
class SCR_GJ_MAKER;

// Style bits of a gadget's window, one per keyword of win_style.
enum : int {
    GJ_ST_SIZE = 0x200, GJ_ST_TITLE = 0x400, GJ_ST_MENU = 0x800, GJ_ST_MINSW = 0x1000,
    GJ_ST_MAXSW = 0x2000, GJ_ST_LINEF = 0x8000, GJ_ST_PULLF = 0x10000, GJ_ST_PUSHF = 0x20000,
    GJ_ST_HIDE = 0x40000, GJ_ST_DISABLE = 0x80000, GJ_ST_NOFOCUS = 0x100000,
    GJ_ST_VSCROLL = 0x4000000, GJ_ST_HSCROLL = 0x8000000,
};
// The bit of a keyword ("TITLE" ...), 0 for a word that names none (compared exactly).
int gj_style_bit(const char *keyword);

enum class GJ_KIND { POPUP, CHILD };

constexpr int GJ_SIDE_MAX = 4096;     // pixels a window may have either way
constexpr int GJ_POS_MAX = 32767;     // offsets a window may be placed at either way

// What win_open and the other window functions keep. Position and size are the window's own
// pixels (a top-level window's title bar is the desktop's and lies outside); the client area is
// the window less its frame lines.
struct GJ_WIN {
    bool open = false;
    GJ_KIND kind = GJ_KIND::POPUP;
    GJ_MODEL *parent = nullptr;   // nullptr: the sheet (its window, or its client area)
    int x = 0, y = 0, w = 0, h = 0;
    int style = 0;
    std::string title;            // Shift-JIS
    int frame() const;            // frame pixels on each side
    int client_w() const;
    int client_h() const;
    // The style a window opens with: a top-level window with a title bar, sizable and with its
    // buttons; a child window plain.
    static int default_style(GJ_KIND k);
};

// What a model shows through. A view reads the model's public state and writes the user's edits
// back into it (then calls the model's user hooks).
class GJ_VIEW {
public:
    virtual ~GJ_VIEW() = default;
    // The model's state changed (gj_changed).
    virtual void gv_update() = 0;
    // The window record changed: place, size, style, title.
    virtual void gv_apply() = 0;
    // Raises and focuses the window: 0 / -1.
    virtual int gv_activate() { return 0; }
};

// The factory of views and the window's services for gadgets: character cells, text drawn into a
// picture, the picture clipboard. This one is the headless answer.
class GJ_VIEWS {
public:
    virtual ~GJ_VIEWS() = default;
    // nullptr: the model lives without a view.
    virtual GJ_VIEW *gj_view_new(GJ_MODEL &) { return nullptr; }
    // The pixels of one character cell (win_csize): 8 x 16 without a window, where the sheet's
    // columns count 8 px a character too.
    virtual void gj_cell(int &w, int &h) const;
    // Text (Shift-JIS) into the picture with its top-left at x, y; a colour below 0 is none
    // (no text, or a transparent back). 0 / -1. Without a window the system's Japanese
    // fixed-pitch face draws it at the cell height.
    virtual int gj_text(GJ_PIXELS &pic, int x, int y, const char *text, int color, int back);
    // The picture clipboard: a copy kept in the process without a window. 0 / -1 (nothing to
    // paste).
    virtual int gj_clip_put(const GJ_PIXELS &pic);
    virtual int gj_clip_get(GJ_PIXELS &pic);
};

// The application's side: every model its interpreter made (open or not), the views door.
class GJ_WINHOST {
public:
    GJ_WINHOST();
    virtual ~GJ_WINHOST();
    GJ_WINHOST(const GJ_WINHOST &) = delete;
    GJ_WINHOST &operator=(const GJ_WINHOST &) = delete;

    virtual GJ_VIEWS &gj_views() { return gj_noviews; }
    // The maker to install as the interpreter's: models it makes belong to this host.
    SCR_GJ_MAKER *gj_host_maker() { return maker; }
    // Closes every open window (the run ended, the views door changes, the sheet goes).
    void gj_close_all();
    int gj_open_count() const;
    int gj_model_count() const;

    // The host of models made without one.
    static GJ_WINHOST &gj_none();

private:
    friend class GJ_MODEL;
    GJ_VIEWS gj_noviews;
    SCR_GJ_MAKER *maker;
    GJ_MODEL *first = nullptr;
};
