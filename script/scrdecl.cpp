// Declarations and types: specifiers, declarators, array brackets, initializers, enumerations.
//
//   declaration  : decl-specs [ declarator [ "=" initializer ] { "," ... } ] ";"
//   decl-specs   : { storage-class | type-qualifier | type-spec }
//   type-spec    : "void" | "var" | gadget-type | "enum" enum-spec
//   declarator   : { pointer } identifier [ "[" [const-exp] "]" [ "[" [const-exp] "]" ] ]
//   initializer  : assignment-exp | "{" { assignment-exp | "{" assignment-exp ... "}" } "}"
#include <cmath>
#include <cstdio>
#include <cstring>

#include "script/scr.h"
#include "base/kovlog.h"

// Names of the type codes (twins: the VT_ codes in gajet.h, gj_names in gajet.cpp).
static const char *const typ_names[] = {
    "NONE", "VOID", "VAR", "ENUM", "BASE", "BACK", "ARRAY", "GRAPH", "PUSH",
    "CHECK", "TEDIT", "SEDIT", "NEDIT", "VSCROL", "HSCROL",
};

const char *SCR_U::scr_typ_string(int code)
{
    static char buf[16];
    if (code >= 0 && code <= VT_HSCROL) return typ_names[code];
    snprintf(buf, sizeof buf, "%d", code);
    return buf;
}

const char *SCR_U::scr_gajet_name(int code)
{
    return vt_is_gajet(code) ? typ_names[code] : nullptr;
}

// Takes the word at pos (already classified) as a keyword.
static void take_word(const char *&pos)
{
    size_t n = SCR_LEX::scr_past_word(pos) - pos;
    KOV_LOG("KEY:%.*s", (int)n, pos);
    pos += n;
}

static_assert(W_HSCROL - W_BASE == VT_HSCROL - VT_BASE, "gadget words follow the type codes");

int SCR_U::scr_storage_class_spec(const char *&pos, DECL_SPEC &spec)
{
    static const int flag[] = {SF_AUTO, SF_REGISTER, SF_STATIC, SF_EXTERN, SF_TYPEDEF};
    scr_skip_space(pos);
    int w = scr_word(pos);
    if (w < W_AUTO || w > W_TYPEDEF) return -1;
    take_word(pos);
    spec.flags |= flag[w - W_AUTO];
    return 0;
}

int SCR_U::scr_type_qualifier(const char *&pos, DECL_SPEC &spec)
{
    scr_skip_space(pos);
    int w = scr_word(pos);
    int f = w == W_CONST ? SF_CONST : w == W_VOLATILE ? SF_VOLATILE : 0;
    if (!f) return -1;
    take_word(pos);
    spec.flags |= f;
    return 0;
}

int SCR_U::scr_gajet_type(const char *&pos, DECL_SPEC &spec)
{
    scr_skip_space(pos);
    int w = scr_word(pos);
    if (w < W_BASE || w > W_HSCROL) return -1;
    take_word(pos);
    spec.type = VT_BASE + (w - W_BASE);
    return 0;
}

// C type words are known but refused in declarations; a cast ignores its type, so there they
// stand for var.
int SCR_U::scr_type_spec(const char *&pos, DECL_SPEC &spec, int in_cast)
{
    scr_skip_space(pos);
    int w = scr_word(pos);
    if (w == W_VOID || w == W_VAR) {
        take_word(pos);
        spec.type = w == W_VOID ? VT_VOID : VT_VAR;
        return 0;
    }
    if (w >= W_BASE && w <= W_HSCROL) return scr_gajet_type(pos, spec);
    if (w >= W_CHAR && w <= W_UNION) {
        KOV_LOG("%.*s は未サポート", (int)(SCR_LEX::scr_past_word(pos) - pos), pos);
        if (!in_cast) return -1;
        take_word(pos);
        spec.type = VT_VAR;
        return 0;
    }
    if (w == W_ENUM) {
        const char *p = pos + 4;
        KOV_LOG("KEY:enum");
        if (scr_enum_spec(p) != 0) return -1;
        pos = p;
        spec.type = VT_ENUM;
        return 0;
    }
    return -1;
}

// Conflicting flags of a complete specifier.
static const char *spec_conflict(int f)
{
    if ((f & SF_AUTO) && (f & SF_STATIC)) return "auto と static を同時に指定した";
    if ((f & SF_AUTO) && (f & SF_CONST)) return "auto と const を同時に指定した";
    if ((f & SF_CONST) && (f & SF_STATIC)) return "const と static を同時に指定した";
    return nullptr;
}

int SCR_U::scr_decl_specs(const char *&pos, DECL_SPEC &spec)
{
    const char *p = pos;
    for (;;) {   // the word decides which reader may take it: one probe per word, not three
        scr_skip_space(p);
        int w = scr_word(p);
        int r = w >= W_AUTO && w <= W_TYPEDEF        ? scr_storage_class_spec(p, spec)
                : w == W_CONST || w == W_VOLATILE    ? scr_type_qualifier(p, spec)
                : w >= W_VOID && w <= W_HSCROL       ? scr_type_spec(p, spec)
                                                     : -1;
        if (r != 0) break;
    }
    if (spec.type == 0 && spec.flags == 0) return -1;
    if (spec.type == 0) spec.type = VT_VAR;
    if (const char *msg = spec_conflict(spec.flags)) {
        scr_set_SCRERR("%s", msg);
        return -1;
    }
    pos = p;
    return 0;
}

int SCR_U::scr_spec_qualifier_list(const char *&pos, DECL_SPEC &spec)
{
    const char *p = pos;
    while (scr_type_qualifier(p, spec) == 0 || scr_type_spec(p, spec, 1) == 0) {
    }
    if (spec.type == 0 && spec.flags == 0) return -1;
    if (spec.type == 0) spec.type = VT_VAR;
    pos = p;
    return 0;
}

// "*" { qualifier }: the language has no pointers; the declarator names a plain variable.
int SCR_U::scr_pointer(const char *&pos)
{
    if (scr_match_key(pos, "*") != 0) return -1;
    DECL_SPEC dummy;
    while (scr_type_qualifier(pos, dummy) == 0) {
    }
    return 0;
}

// enum-spec: [ tag ] [ "{" identifier [ "=" const-exp ] { "," ... } [","] "}" ]
int SCR_U::scr_enum_spec(const char *&pos)
{
    const char *p = pos;
    char name[SCR_NAMESIZE];
    scr_idname(p, name, sizeof name);   // the tag is read and ignored
    if (scr_match_key(p, "{") != 0) {
        pos = p;
        return 0;
    }
    int value = 0;
    while (scr_match_key(p, "}") != 0) {
        if (scr_idname(p, name, sizeof name) != 0) return -1;
        if (scr_match_key(p, "=") == 0) {
            VAL_U v;
            if (scr_const_exp(p, v) != 0) return -1;
            value = scr_trunc32(v.val_getd());
        }
        VTBL_U *old = ctx.goto_label[0] ? scr_get_vtbl(name) : nullptr;   // read again by a goto
        if (!(old && old->nest == ctx.scr_nest && old->type == VT_ENUM) && scr_put_enum(nullptr, name, value) != 0) {
            scr_set_SCRERR("scr_put_enum() 失敗");
            return -1;
        }
        if (scr_match_key(p, ",") == 0) {
            value = (int)((unsigned)value + 1);   // wraps like the 32-bit counter it is
            continue;
        }
        if (scr_match_key(p, "}") == 0) break;
        return -1;
    }
    pos = p;
    return 0;
}

// "[" size "]" groups: a declaration's sizes (constant, may be open) or a reference's indices.
int SCR_U::scr_get_varparam(const char *&pos, int &x, int &y, int &dims, int is_decl)
{
    const char *p = pos;
    int size[2] = {0, 0};
    dims = 0;
    while (dims < 2 && scr_match_key(p, "[") == 0) {
        int n = 0;
        if (!(is_decl && scr_match_key(p, "]") == 0)) {
            VAL_U v;
            if ((is_decl ? scr_const_exp(p, v) : scr_exp(p, v)) != 0) return -1;
            n = scr_trunc32(v.val_getd());
            if (is_decl && n < 1) {
                scr_set_SCRERR("要素数 %d の配列宣言は無効", n);
                return -1;
            }
            if (scr_match_key(p, "]") != 0) {
                scr_set_SCRERR("] が必要");
                return -1;
            }
        }
        size[dims++] = n;
    }
    if (is_decl) {
        x = dims == 0 ? 1 : dims == 1 ? size[0] : size[1];
        y = dims == 2 ? size[0] : 1;
        if (dims == 2 && (size[0] == 0) != (size[1] == 0)) {
            scr_set_SCRERR("行/列片方だけ不定な 2 次元配列");
            return -1;
        }
    } else {
        x = dims == 0 ? 0 : dims == 1 ? size[0] : size[1];
        y = dims == 2 ? size[0] : 0;
    }
    KOV_LOG("配列:is_decl=%d, dim=%d [%d][%d]", is_decl, dims, y, x);
    int xmax = is_decl ? 1000 : 999, ymax = is_decl ? 1000000 : 999999;
    if (!is_decl && sup() && (x < 0 || x > xmax || y < 0 || y > ymax)) {
        x = y = 0;   // suppressed indices read variables as 0: a[i - 1] must still link
    }
    if (x < 0 || x > xmax || y < 0 || y > ymax) {
        scr_set_SCRERR("xo=%d yo=%d", x, y);
        return -1;
    }
    pos = p;
    return 0;
}

VTBL_U *SCR_U::scr_direct_declarator_var(const char *&pos, int type, int flags, int is_param)
{
    const char *p = pos;
    while (scr_pointer(p) == 0) {
    }
    char name[SCR_NAMESIZE];
    if (scr_idname(p, name, sizeof name) != 0) return nullptr;
    if (scr_skip_space(p) == '(') return nullptr;   // a function declarator
    int seeking = ctx.goto_label[0] != 0;
    VTBL_U *old = scr_get_vtbl(name);
    if (!seeking && old) {
        if (old->nest == ctx.scr_nest) {
            scr_set_SCRERR("変数 %s は定義済", name);
            return nullptr;
        }
        if (ctx.scr_pass == 1 && ctx.scr_nest > 0 && (old->flags & SF_STATIC) && old->owner[0]) {
            scr_set_SCRERR("変数 %s は static として定義済", name);
            return nullptr;
        }
        KOV_LOG("重複変数 %s は識別可能", name);
    }
    int x, y, dims;
    if (scr_get_varparam(p, x, y, dims, 1) != 0) return nullptr;
    if (dims && (x < 1 || y < 1)) {
        const char *q = p;
        if (scr_match_key(q, "=") == 0) {
            ctx.st_noexect++;   // counting only: the expressions take effect when stored
            int r = scr_initializer(q, nullptr, &x, &y);
            ctx.st_noexect--;
            if (r != 0) return nullptr;
        }
    }
    // While a goto seeks its label the text is re-read: a name of this block is bound again;
    // a block entered anew (its variables are gone) declares afresh.
    if (seeking && old && old->nest == ctx.scr_nest) {
        pos = p;
        return old;
    }
    KOV_LOG("変数定義 %s %s@%s[%d][%d] dim=%d", scr_typ_string(type), ctx.func_name, name, y, x, dims);
    VTBL_U *vt = scr_put_var(name, x, y, dims, type, flags, is_param);
    if (!vt) {
        err_define(name);
        return nullptr;
    }
    pos = p;
    return vt;
}

// Stores a value into an element the way an assignment does (suppression drops the store into a
// non-const variable). 0 or -1.
static int elem_store(SCR_U &s, VTBL_U *vt, int x, int y, const VAL_U &v)
{
    if (s.sup() && !(vt->flags & SF_CONST)) return 0;
    BASE_GJ *gj = vt->vtb_gajet_pt;
    if (!gj) return -1;
    return gj->gj_putv(x, y, v);
}

int SCR_U::scr_initializer(const char *&pos, VTBL_U *vt, int *px, int *py)
{
    if (ctx.goto_label[0]) vt = nullptr;
    char name[2 * SCR_NAMESIZE + 2] = "";
    auto nm = [&]() -> const char * {   // for a message only: made when one is set
        if (vt && !name[0]) snprintf(name, sizeof name, "%s@%s", vt->owner, vt->name);
        return name;
    };
    const char *p = pos;
    VAL_U v;
    // One initial value into element (c, r).
    auto value = [&](int c, int r) {
        if (scr_assignment_exp(p, v) != 0) {
            scr_set_SCRERR("%s 初期値が無効", nm());
            return -1;
        }
        if (vt && elem_store(*this, vt, c, r, v) != 0) scr_set_SCRERR("%s 初期値設定失敗", nm());
        return 0;
    };
    // After a value in a list: 1 another follows, 0 the list has ended, -1 neither.
    auto list_next = [&]() {
        if (scr_match_key(p, ",") == 0) return 1;
        if (scr_match_key(p, "}") == 0) return 0;
        scr_set_SCRERR("%s } が必要", nm());
        return -1;
    };
    if (scr_match_key(p, "{") != 0) {
        if (value(0, 0) != 0) return -1;
        if (px) *px = 1;
        if (py) *py = 1;
        pos = p;
        return 0;
    }
    int dims = vt ? vt->vtb_dims() : 0, xs = vt ? vt->vtb_xs() : 0, ys = vt ? vt->vtb_ys() : 0;
    if (vt && dims == 0) {
        scr_set_SCRERR("%s を 1 次配列で初期化", nm());
        return -1;
    }
    int c = 0, r = 0, maxc = 0, rows = 0, count = 0;
    auto too_many_rows = [&]() {
        scr_set_SCRERR("%s 配列サイズ超過 yo=%d", nm(), r);
        return -1;
    };
    while (scr_match_key(p, "}") != 0) {
        if (vt && c >= xs) {
            if (dims < 2) {
                scr_set_SCRERR("%s 配列サイズ超過 xo=%d", nm(), c);
                return -1;
            }
            c = 0;
            if (++r >= ys) return too_many_rows();
        }
        if (scr_match_key(p, "{") == 0) {
            if (vt && dims != 2) {
                scr_set_SCRERR("%s を 2 次配列で初期化", nm());
                return -1;
            }
            if (vt && r >= ys) return too_many_rows();   // a nested row past the last would be lost
            while (scr_match_key(p, "}") != 0) {
                if (vt && c >= xs) {
                    scr_set_SCRERR("%s サイズ超過 xo=%d", nm(), c);
                    return -1;
                }
                if (value(c++, r) != 0) return -1;
                count++;
                int more = list_next();
                if (more < 0) return -1;
                if (!more) break;
            }
            if (c > maxc) maxc = c;
            rows++;
            c = 0;
            r++;
        } else {
            if (value(c++, r) != 0) return -1;
            count++;
            if (c > maxc) maxc = c;
        }
        int more = list_next();
        if (more < 0) return -1;
        if (!more) break;
    }
    if (count == 0) {
        scr_set_SCRERR("%s 初期値が空白", nm());
        return -1;
    }
    if (px) *px = maxc;
    if (py) *py = rows < 1 ? 1 : rows;
    pos = p;
    return 0;
}

int SCR_U::scr_decl(const char *&pos, int exec)
{
    struct RAISE {
        int &n, on;
        RAISE(int &n, int on) : n(n), on(on) { n += on; }
        ~RAISE() { n -= on; }
    } raise(ctx.st_noexect, exec ? 0 : 1);
    err_nowscr[0] = 0;   // a message of this declaration is the one kept
    err_nowfnc[0] = 0;
    const char *p = pos;
    scr_skip_space(p);
    int w = scr_word(p);
    if (w < W_AUTO || w > W_HSCROL) return -1;   // every block entry asks: the usual answer without a call
    DECL_SPEC spec;
    if (scr_decl_specs(p, spec) != 0) return -1;
    if (spec.type == VT_ENUM && scr_match_key(p, ";") == 0) {
        pos = p;
        return 0;
    }
    for (;;) {
        VTBL_U *vt = scr_direct_declarator_var(p, spec.type, spec.flags, 0);
        if (!vt) return -1;
        if (scr_match_key(p, "=") == 0 && scr_initializer(p, vt, nullptr, nullptr) != 0) return -1;
        KOV_LOG("変数宣言:%s x=%d y=%d", vt->name, vt->vtb_xs(), vt->vtb_ys());
        if (scr_match_key(p, ",") == 0) continue;
        if (scr_match_key(p, ";") == 0) break;
        return -1;
    }
    pos = p;
    return 0;
}
