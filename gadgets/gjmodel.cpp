#include "gadgets/gjmodel.h"
#include "gadgets/gjgrid.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "script/scr.h"
#include "script/val.h"

const char *const GJ_ERR_NULL = "引数が NULL";
const char *const GJ_ERR_BAD = "引数が無効";

int GJ_ARGS::num(int k) const { return k < n && v[k] ? scr_trunc32(v[k]->val_getd()) : 0; }
const char *GJ_ARGS::str(int k) const { return k < n && v[k] ? v[k]->val_gets() : ""; }
int GJ_ARGS::onoff(int k) const
{
    const char *s = str(k);
    return strcmp(s, "ON") == 0 ? 1 : strcmp(s, "OFF") == 0 ? 0 : -1;
}

namespace {

// The flat dispatch test: this name with exactly this many arguments.
struct IS {
    const char *name;
    int n;
    bool operator()(const char *m, int count) const { return n == count && strcmp(name, m) == 0; }
};

// A switch method: "ON" / "OFF" into flag, result 0.
const char *onoff(bool &flag, const GJ_ARGS &a, VAL_U &res)
{
    int on = a.onoff(0);
    if (on < 0) return GJ_ERR_BAD;
    flag = on;
    res.val_putd(0);
    return nullptr;
}

const char *ok(VAL_U &res, double d)
{
    res.val_putd(d);
    return nullptr;
}

// Whole file into text; 0 or -1.
int read_file(const char *path, std::string &out)
{
    FILE *f = fopen(path, "rb");
    if (!f) return -1;
    std::string t;
    char buf[8192];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) t.append(buf, n);
    bool bad = ferror(f);
    fclose(f);
    if (bad) return -1;
    out.swap(t);
    return 0;
}

int write_file(const char *path, const std::string &text)
{
    FILE *f = fopen(path, "wb");
    if (!f) return -1;
    bool bad = fwrite(text.data(), 1, text.size(), f) != text.size();
    if (fclose(f) != 0) bad = true;
    return bad ? -1 : 0;
}

class MAKER final : public SCR_GJ_MAKER {
public:
    BASE_GJ *gj_make(int type) override
    {
        switch (type) {
        case VT_PUSH: return new (std::nothrow) PUSH_GJ;
        case VT_CHECK: return new (std::nothrow) CHECK_GJ;
        case VT_TEDIT: return new (std::nothrow) TEDIT_GJ;
        case VT_SEDIT: return new (std::nothrow) SEDIT_GJ;
        case VT_NEDIT: return new (std::nothrow) NEDIT_GJ;
        case VT_VSCROL: return new (std::nothrow) VSCROL_GJ;
        case VT_HSCROL: return new (std::nothrow) HSCROL_GJ;
        case VT_BACK: return new (std::nothrow) BACK_GJ;
        case VT_GRAPH: return new (std::nothrow) GRAPH_GJ;
        case VT_ARRAY: return new (std::nothrow) ARRAY_GJ;
        default: return nullptr;   // BASE: the interpreter's plain object
        }
    }
};

} // namespace

SCR_GJ_MAKER *gj_maker()
{
    static MAKER maker;
    return &maker;
}

// ---------------------------------------------------------------- buttons and editors

const char *PUSH_GJ::gj_method(const char *name, const GJ_ARGS &a, VAL_U &res)
{
    IS is{name, a.n};
    if (is("ispush", 0)) {
        bool was = pressed;
        if (autopush) pressed = false;   // each press is read once
        return ok(res, was);
    }
    if (is("push", 1)) return onoff(pressed, a, res);
    if (is("autopush", 1)) return onoff(autopush, a, res);
    if (is("nopush", 1)) return onoff(nopush, a, res);
    if (is("message", 1)) return label = a.str(0), ok(res, 0);
    return GJ_ERR_BAD;
}

void PUSH_GJ::user_click()
{
    if (!nopush) pressed = true;
    gj_changed();
}

void CHECK_GJ::user_click()
{
    if (autocheck) checked = !checked;
    gj_changed();
}

const char *CHECK_GJ::gj_method(const char *name, const GJ_ARGS &a, VAL_U &res)
{
    IS is{name, a.n};
    if (is("ischeck", 0)) return ok(res, checked);
    if (is("check", 1)) return onoff(checked, a, res);
    if (is("autocheck", 1)) return onoff(autocheck, a, res);
    if (is("message", 1)) return label = a.str(0), ok(res, 0);
    return GJ_ERR_BAD;
}

// File methods answer -1 for a file that cannot be read or written: the call itself was valid.
const char *TEDIT_GJ::gj_method(const char *name, const GJ_ARGS &a, VAL_U &res)
{
    IS is{name, a.n};
    if (is("fsave", 1)) return ok(res, write_file(a.str(0), text));
    if (is("fload", 1)) {
        if (read_file(a.str(0), text) != 0) return ok(res, -1);
        caret = 0;
        return ok(res, 0);
    }
    if (is("del", 1)) {
        if (strcmp(a.str(0), "ALL") != 0) return GJ_ERR_BAD;
        text.clear(), caret = 0;
        return ok(res, 0);
    }
    if (is("ed_go", 1)) {
        const char *to = a.str(0);
        if (strcmp(to, "TXTTOP") == 0) caret = 0;
        else if (strcmp(to, "TXTEND") == 0) caret = text.size();
        else return GJ_ERR_BAD;
        return ok(res, 0);
    }
    return GJ_ERR_BAD;
}

const char *NEDIT_GJ::gj_method(const char *name, const GJ_ARGS &a, VAL_U &res)
{
    IS is{name, a.n};
    if (is("fsave", 1)) {
        char b[64];
        snprintf(b, sizeof b, "%.15g", number);
        return ok(res, write_file(a.str(0), b));
    }
    // The editor cleared to the given number.
    if (is("clear", 1)) {
        number = a.v[0] ? a.v[0]->val_getd() : 0;
        return ok(res, 0);
    }
    return GJ_ERR_BAD;
}

void SCROL_GJ::scr_set(int max, int pos, int pg)
{
    maximum = std::max(max, 1);
    page = std::clamp(pg, 0, maximum);
    position = std::clamp(pos, 0, maximum - page);
}

const char *SCROL_GJ::gj_method(const char *name, const GJ_ARGS &a, VAL_U &res)
{
    IS is{name, a.n};
    if (is("set", 3)) return scr_set(a.num(0), a.num(1), a.num(2)), ok(res, 0);
    if (is("get", 0)) return ok(res, position);
    return GJ_ERR_BAD;
}

// ---------------------------------------------------------------- the drawing window

const char *GRAPH_GJ::gj_method(const char *name, const GJ_ARGS &a, VAL_U &res)
{
    if (const char *e = draw(name, a, res); e != GJ_ERR_BAD) return e;
    return files(name, a, res);
}

// Shapes: coordinates first, the colour (0xRRGGBB) last; result 0, paint the pixels changed.
const char *GRAPH_GJ::draw(const char *name, const GJ_ARGS &a, VAL_U &res)
{
    IS is{name, a.n};
    auto n = [&](int k) { return a.num(k); };
    auto col = [&](int k) { return uint32_t(a.num(k)) & 0xFFFFFF; };
    if (is("line", 5)) return pic.pix_line(n(0), n(1), n(2), n(3), col(4)), ok(res, 0);
    if (is("box", 5)) return pic.pix_box(n(0), n(1), n(2), n(3), col(4)), ok(res, 0);
    if (is("circle", 4)) return pic.pix_circle(n(0), n(1), n(2), col(3)), ok(res, 0);
    // oval: centre and the two radii; oval2: the bounding box.
    if (is("oval", 5)) {
        long x = n(0), y = n(1), rx = std::abs(long(n(2))), ry = std::abs(long(n(3)));
        auto c = [](long v) { return int(std::clamp<long>(v, INT32_MIN, INT32_MAX)); };
        return pic.pix_oval(c(x - rx), c(y - ry), c(x + rx), c(y + ry), col(4)), ok(res, 0);
    }
    if (is("oval2", 5)) return pic.pix_oval(n(0), n(1), n(2), n(3), col(4)), ok(res, 0);
    if (is("paint", 3)) return ok(res, double(pic.pix_paint(n(0), n(1), col(2))));
    if (is("scroll", 3)) return pic.pix_scroll(n(0), n(1), col(2)), ok(res, 0);
    if (is("set_color", 3)) return pic.pix_set(n(0), n(1), col(2)), ok(res, 0);
    if (is("get_color", 2)) return ok(res, pic.pix_get(n(0), n(1)));
    if (is("clear", 1)) return pic.pix_clear(col(0)), ok(res, 0);
    // Text needs fonts: the window's services draw it (without a window nothing is drawn).
    if (is("puts", 5)) {
        int fg = a.num(3), bg = a.num(4);
        return ok(res, gj_views().gj_text(pic, n(0), n(1), a.str(2), fg < 0 ? -1 : fg & 0xFFFFFF, bg < 0 ? -1 : bg & 0xFFFFFF));
    }
    return GJ_ERR_BAD;
}

const char *GRAPH_GJ::files(const char *name, const GJ_ARGS &a, VAL_U &res)
{
    IS is{name, a.n};
    if (is("fsave", 1)) {
        if (!gj_image_kind(a.str(0))) return GJ_ERR_BAD;
        return ok(res, gj_image_save(pic, a.str(0), jpg_quality));
    }
    if (is("fload", 1)) return ok(res, gj_image_load(pic, a.str(0)));
    if (is("jpg_quality", 1)) return jpg_quality = std::clamp(a.num(0), 1, 100), ok(res, 0);
    // The window's clipboard; without a window a picture kept in the process.
    if (is("clip_copy", 0)) return ok(res, gj_views().gj_clip_put(pic));
    if (is("clip_past", 0)) return ok(res, gj_views().gj_clip_get(pic));
    return GJ_ERR_BAD;
}
