// Script gadgets as models: the objects of PUSH, CHECK, TEDIT, SEDIT, NEDIT, VSCROL, HSCROL,
// BACK and GRAPH variables keep their state here, without a window, and answer their methods
// through one flat dispatcher per class (method name and argument count). A window, when the
// script opens one, shows this state; the program without a display drives the same objects.
#pragma once
#include <string>

#include "gadgets/gjpixel.h"
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

class GJ_MODEL : public BASE_GJ {
public:
    // nullptr when the method ran (its result in res), else the failure text.
    virtual const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) = 0;
    // The state changed by a method: the window, when there is one, shows it.
    void gj_changed();
};

class PUSH_GJ final : public GJ_MODEL {
public:
    const char *gj_class() const override { return "PUSH_GJ"; }
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
    bool pressed = false, autopush = false, nopush = false;
    std::string label;
};

class CHECK_GJ final : public GJ_MODEL {
public:
    const char *gj_class() const override { return "CHECK_GJ"; }
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
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
class GRAPH_GJ final : public GJ_MODEL {
public:
    GRAPH_GJ() { pic.pix_resize(320, 240, 0xFFFFFF); }
    const char *gj_class() const override { return "GRAPH_GJ"; }
    const char *gj_method(const char *name, const GJ_ARGS &a, VAL_U &res) override;
    GJ_PIXELS pic;
    int jpg_quality = 75;

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
