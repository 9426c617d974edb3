#include "gadgets/gjwin.h"

#include "gadgets/gjfont.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gadgets/gjmodel.h"

// ---------------------------------------------------------------- the record

int gj_style_bit(const char *k)
{
    static const struct {
        const char *key;
        int bit;
    } keys[] = {
        {"SIZE", GJ_ST_SIZE}, {"TITLE", GJ_ST_TITLE}, {"MENU", GJ_ST_MENU}, {"MINSW", GJ_ST_MINSW},
        {"MAXSW", GJ_ST_MAXSW}, {"LINEF", GJ_ST_LINEF}, {"PULLF", GJ_ST_PULLF}, {"PUSHF", GJ_ST_PUSHF},
        {"HIDE", GJ_ST_HIDE}, {"DISABLE", GJ_ST_DISABLE}, {"NOFOCUS", GJ_ST_NOFOCUS},
        {"VSCROLL", GJ_ST_VSCROLL}, {"HSCROLL", GJ_ST_HSCROLL},
    };
    for (const auto &e : keys)
        if (k && strcmp(k, e.key) == 0) return e.bit;
    return 0;
}

int GJ_WIN::frame() const
{
    if (style & (GJ_ST_PUSHF | GJ_ST_PULLF)) return 2;
    return style & GJ_ST_LINEF ? 1 : 0;
}
int GJ_WIN::client_w() const { return std::max(w - 2 * frame(), 0); }
int GJ_WIN::client_h() const { return std::max(h - 2 * frame(), 0); }

int GJ_WIN::default_style(GJ_KIND k)
{
    return k == GJ_KIND::POPUP ? GJ_ST_TITLE | GJ_ST_SIZE | GJ_ST_MINSW | GJ_ST_MAXSW : 0;
}

// ---------------------------------------------------------------- the headless services

void GJ_VIEWS::gj_cell(int &w, int &h) const { w = 8, h = 16; }

int GJ_VIEWS::gj_text(GJ_PIXELS &pic, int x, int y, const char *text, int color, int back)
{
    int w, h;
    gj_cell(w, h);
    gj_font_text(pic, x, y, text, color, back, h);
    return 0;   // a machine without a face draws nothing, as a window without fonts would
}

namespace {
GJ_PIXELS &local_clip()
{
    static GJ_PIXELS pic;
    return pic;
}
} // namespace

int GJ_VIEWS::gj_clip_put(const GJ_PIXELS &pic)
{
    local_clip() = pic;
    return 0;
}

int GJ_VIEWS::gj_clip_get(GJ_PIXELS &pic)
{
    if (local_clip().w < 1) return -1;
    pic = local_clip();
    return 0;
}

// ---------------------------------------------------------------- the host

namespace {
// The gadget layer's maker, whose models join the host's list.
class HOST_MAKER final : public SCR_GJ_MAKER {
public:
    explicit HOST_MAKER(GJ_WINHOST &h) : host(h) {}
    BASE_GJ *gj_make(int type) override
    {
        BASE_GJ *g = gj_maker()->gj_make(type);
        if (auto *m = dynamic_cast<GJ_MODEL *>(g)) m->gj_move_to(host);
        return g;
    }

private:
    GJ_WINHOST &host;
};
} // namespace

GJ_WINHOST::GJ_WINHOST() : maker(new HOST_MAKER(*this)) {}

GJ_WINHOST::~GJ_WINHOST()
{
    gj_close_all();
    // Models that outlive the host (held by variables destroyed later) fall to the hostless
    // list; those of the hostless list itself, at the process's end, to none.
    GJ_WINHOST *to = this == &gj_none() ? nullptr : &gj_none();
    while (first) {
        if (to) first->gj_move_to(*to);
        else first->gj_unlink();
    }
    delete maker;
}

GJ_WINHOST &GJ_WINHOST::gj_none()
{
    static GJ_WINHOST none;
    return none;
}

void GJ_WINHOST::gj_close_all()
{
    for (GJ_MODEL *m = first; m; m = m->next) m->gj_close();
}

int GJ_WINHOST::gj_open_count() const
{
    int n = 0;
    for (GJ_MODEL *m = first; m; m = m->next) n += m->win.open;
    return n;
}

int GJ_WINHOST::gj_model_count() const
{
    int n = 0;
    for (GJ_MODEL *m = first; m; m = m->next) n++;
    return n;
}

// ---------------------------------------------------------------- the model's window

GJ_MODEL::GJ_MODEL() { gj_move_to(GJ_WINHOST::gj_none()); }

GJ_MODEL::~GJ_MODEL()
{
    gj_close();
    gj_unlink();
}

void GJ_MODEL::gj_unlink()
{
    if (!owner) return;
    (prev ? prev->next : owner->first) = next;
    if (next) next->prev = prev;
    prev = next = nullptr;
    owner = nullptr;
}

void GJ_MODEL::gj_move_to(GJ_WINHOST &h)
{
    if (owner == &h) return;
    gj_close();   // a view of the old owner's factory does not move
    gj_unlink();
    owner = &h;
    next = h.first;
    if (next) next->prev = this;
    h.first = this;
}

GJ_VIEWS &GJ_MODEL::gj_views() const
{
    static GJ_VIEWS none;
    return owner ? owner->gj_views() : none;
}

void GJ_MODEL::gj_changed()
{
    if (view) view->gv_update();
}

namespace {
bool side_ok(int v) { return v >= 1 && v <= GJ_SIDE_MAX; }
bool pos_ok(int v) { return v >= -GJ_POS_MAX && v <= GJ_POS_MAX; }
} // namespace

int GJ_MODEL::gj_open(GJ_KIND kind, GJ_MODEL *parent, int x, int y, int w, int h)
{
    if (!side_ok(w) || !side_ok(h) || !pos_ok(x) || !pos_ok(y)) return -1;
    for (GJ_MODEL *p = parent; p; p = p->win.parent)
        if (p == this) return -1;
    // A parent of another owner would not close this window with its own.
    if (parent && (!parent->win.open || parent->owner != owner)) return -1;
    gj_close();
    win.open = true;
    win.kind = kind;
    win.parent = parent;
    win.x = x, win.y = y, win.w = w, win.h = h;
    win.style = GJ_WIN::default_style(kind);
    gj_client_follow();
    view = gj_views().gj_view_new(*this);
    if (view) view->gv_apply();
    return 0;
}

int GJ_MODEL::gj_close()
{
    if (!win.open) return 0;
    // Windows inside this one or owned by it go first, while theirs is whole.
    for (GJ_MODEL *m = owner ? owner->first : nullptr; m; m = m->next)
        if (m->win.open && m->win.parent == this) m->gj_close();
    delete view;
    view = nullptr;
    win.open = false;
    win.parent = nullptr;
    return 0;
}

int GJ_MODEL::gj_move(int x, int y)
{
    if (!win.open || !pos_ok(x) || !pos_ok(y)) return -1;
    win.x = x, win.y = y;
    if (view) view->gv_apply();
    return 0;
}

int GJ_MODEL::gj_resize(int w, int h)
{
    if (!win.open || !side_ok(w) || !side_ok(h)) return -1;
    win.w = w, win.h = h;
    gj_client_follow();
    if (view) view->gv_apply();
    return 0;
}

void GJ_MODEL::gj_set_style(int style)
{
    win.style = style;
    gj_client_follow();   // the frame lines may have changed
    if (view) view->gv_apply();
}

void GJ_MODEL::gj_set_title(const char *text)
{
    win.title = text ? text : "";
    if (view) view->gv_apply();
}

void GJ_MODEL::gj_user_size(int w, int h)
{
    if (!win.open) return;
    win.w = std::clamp(w, 1, GJ_SIDE_MAX), win.h = std::clamp(h, 1, GJ_SIDE_MAX);
    gj_client_follow();
    gj_changed();
}

void GJ_MODEL::gj_client_follow()
{
    if (win.client_w() > 0 && win.client_h() > 0) gj_client_sized(win.client_w(), win.client_h());
}

void GRAPH_GJ::gj_client_sized(int w, int h)
{
    if (w == pic.w && h == pic.h) return;
    GJ_PIXELS old = pic;
    if (pic.pix_resize(w, h, 0xFFFFFF) != 0) return;
    for (int y = 0; y < std::min(h, old.h); y++)
        std::copy_n(&old.px[size_t(y) * old.w], std::min(w, old.w), &pic.px[size_t(y) * w]);
}
