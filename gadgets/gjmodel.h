// Script gadgets as models: the objects of PUSH, CHECK, TEDIT, SEDIT, NEDIT, VSCROL, HSCROL,
// BACK and GRAPH variables keep their state here, without a window, and answer their methods
// through one flat dispatcher per class (method name and argument count). A window, when the
// script opens one, shows this state; the program without a display drives the same objects.
#pragma once
#include <string>

#include "gadgets/gjpixel.h"
#include "gadgets/gjwin.h"
#include "script/gajet.h"

// Failure texts of a method call.
extern const char *const GJ_ERR_NULL;   // "引数が NULL"
extern const char *const GJ_ERR_BAD;    // "引数が無効"

// The arguments of a method: the leading values of call's tail.
struct GJ_ARGS {
    VAL_U *const *v = nullptr;
    int n = 0;
    int num(int k) const;            // truncated to an integer
    const char *str(int k) const;    // "" for a number
    // 1 for "ON", 0 for "OFF", -1 for anything else.
    int onoff(int k) const;
};

// A gadget with its window (gjwin.cpp). The model belongs to its host's list from birth to
// death; its window record says whether it is open, and its view (owned) shows it where the
// host's factory makes one.
class GJ_MODEL : public BASE_GJ {
public:
    GJ_MODEL();
    ~GJ_MODEL() override;
    // nullptr when the method ran (its result in res), else the failure text.
    virtual const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) = 0;
    // The state changed by a method: the window, when there is one, shows it.
    void gj_changed();

    // --- the window ---
    // Opens (or opens again) the window: 0, or -1 for a size outside 1 ... GJ_SIDE_MAX, a place
    // outside +-GJ_POS_MAX, or a parent inside this window (it would contain itself).
    int gj_open(GJ_KIND kind, GJ_MODEL *parent, int x, int y, int w, int h);
    // Closes the window and those inside it or owned by it; the view goes. 0.
    int gj_close();
    // Place, size and style of the open window: 0 / -1 (out of range: nothing changes).
    int gj_move(int x, int y);
    int gj_resize(int w, int h);
    void gj_set_style(int style);
    void gj_set_title(const char *text);
    int gj_activate() { return view ? view->gv_activate() : 0; }
    // The user sized or closed the window (the view tells; nothing is applied back).
    void gj_user_size(int w, int h);
    void gj_user_close() { gj_close(); }
    // The client area took this size: a drawing picture follows it.
    virtual void gj_client_sized(int, int) {}
    GJ_VIEWS &gj_views() const;
    GJ_VIEW *gj_view() const { return view; }
    void gj_move_to(GJ_WINHOST &h);   // another host's model (the maker of a host)

    GJ_WIN win;

private:
    void gj_unlink();
    void gj_client_follow();
    GJ_VIEW *view = nullptr;
    GJ_WINHOST *owner = nullptr;   // the host whose list holds this model
    GJ_MODEL *prev = nullptr, *next = nullptr;
    friend class GJ_WINHOST;
};

class PUSH_GJ final : public GJ_MODEL {
public:
    const char *gj_class() const override { return "PUSH_GJ"; }
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
    // A click latches the press until push("OFF"); with autopush ispush releases it once read;
    // with nopush clicks leave it alone (the script alone presses).
    void user_click();
    bool pressed = false, autopush = false, nopush = false;
    std::string label;
};

class CHECK_GJ final : public GJ_MODEL {
public:
    const char *gj_class() const override { return "CHECK_GJ"; }
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
    // A click turns the check over with autocheck, else leaves it to the script.
    void user_click();
    bool checked = false, autocheck = true;
    std::string label;
};

// A text editor: the text and the caret (a byte offset).
class TEDIT_GJ : public GJ_MODEL {
public:
    const char *gj_class() const override { return "TEDIT_GJ"; }
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
    std::string text;
    size_t caret = 0;
};

// The single-line editor shares the text editor's methods.
class SEDIT_GJ final : public TEDIT_GJ {
public:
    const char *gj_class() const override { return "SEDIT_GJ"; }
};

class NEDIT_GJ final : public GJ_MODEL {
public:
    const char *gj_class() const override { return "NEDIT_GJ"; }
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
    double number = 0;
};

// A scroll bar: position within 0 ... maximum - page, as the sheet's scroll-bar parts keep it.
class SCROL_GJ : public GJ_MODEL {
public:
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
    void scr_set(int max, int pos, int page);
    int maximum = 100, position = 0, page = 0;
};
class VSCROL_GJ final : public SCROL_GJ {
public:
    const char *gj_class() const override { return "VSCROL_GJ"; }
};
class HSCROL_GJ final : public SCROL_GJ {
public:
    const char *gj_class() const override { return "HSCROL_GJ"; }
};

// A background window: no methods of its own.
class BACK_GJ final : public GJ_MODEL {
public:
    const char *gj_class() const override { return "BACK_GJ"; }
    const char *gj_method(const char *, const GJ_ARGS &, VAL_U &) override { return GJ_ERR_BAD; }
};

// A drawing window: its picture, white at 320 x 240 until the window or a loaded file sizes it.
// Text (puts) and the clipboard go through the window's services (GJ_VIEWS).
class GRAPH_GJ final : public GJ_MODEL {
public:
    GRAPH_GJ() { pic.pix_resize(320, 240, 0xFFFFFF); }
    const char *gj_class() const override { return "GRAPH_GJ"; }
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
    GJ_PIXELS pic;
    int jpg_quality = 75;
    // The picture takes the window's client size, keeping what fits of it.
    void gj_client_sized(int w, int h) override;

private:
    const char *draw(const char *name, const GJ_ARGS &a, VAL_U &res);
    const char *files(const char *name, const GJ_ARGS &a, VAL_U &res);
};

// Picture files. The format of a save follows the name's ending (none of them: -2); loads tell
// the format by the file's first bytes. 0, or -1 when the file cannot be written or read.
int gj_image_save(const GJ_PIXELS &pic, const char *path, int jpg_quality);
int gj_image_load(GJ_PIXELS &pic, const char *path);
// The format of a save name: 'g', 'b', 'p', 'j', or 0 for a name of five bytes or less or another
// ending (endings without regard to case).
int gj_image_kind(const char *path);

// The gadget layer's maker, installed into the interpreter by the application.
SCR_GJ_MAKER *gj_maker();
