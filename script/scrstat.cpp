// Statements, executed straight from the text. Loops re-read their text; an untaken branch is
// read with st_noexect raised; break and continue suppress the rest of the body until the loop
// consumes them; goto throws E_GOTO and the function body is re-read up to the label.
//
//   statement : "{" compound | "if" | "switch" | "do" | "while" | "for" | "goto" | "break"
//             | "continue" | "return" | "case" | "default" | identifier ":" statement
//             | [ exp ] ";"
//   compound  : { declaration } { statement } "}"
//   if        : "if" "(" exp ")" statement [ "else" statement ]
//   switch    : "switch" "(" exp ")" "{" { statement } "}"
//   while     : "while" "(" exp ")" statement
//   do        : "do" statement "while" "(" exp ")" ";"
//   for       : "for" "(" [exp] ";" [exp] ";" [exp] ")" statement
#include <cstdio>
#include <cstring>
#include <string>

#include "script/scr.h"
#include "script/scrcache.h"
#include "base/kovlog.h"

// The statement keyword at p (p after blanks), W_NONE if there is none.
static int stat_key(const char *p)
{
    int w = SCR_LEX::scr_word(p);
    return w <= W_DEFAULT ? w : W_NONE;
}

// Whether an identifier and ":" stand at p (p after blanks).
static int label_ahead(const char *p)
{
    if (!scr_is_idf(*p)) return 0;
    return *SCR_LEX::scr_past_blanks(SCR_LEX::scr_past_word(p)) == ':';
}

// The keyword at p, and 64 when no keyword but a label stands there: both depend on the text
// alone, so the run text remembers them for each statement.
static int stat_shape(SCR_XC *xc, const char *p)
{
    uint8_t *m = xc ? xc->shape_at(p) : nullptr;
    if (m && *m) return *m - 1;
    int key = stat_key(p);
    int shape = key | (key == W_NONE && label_ahead(p) ? 64 : 0);
    if (m) *m = (uint8_t)(shape + 1);
    return shape;
}

int SCR_U::scr_stat(const char *&pos, int execute)
{
    DEEP deep(*this);
    if (!deep.ok) return -1;
    MARK mark(*this, "SCR_U::scr_stat", pos);
    if (!execute) ctx.st_noexect++;
    if (!sup()) scr_callback(SCRCB_ONESTEP, (intptr_t)pos);
    if (err_nowscr[0] || err_prescr[0]) scr_set_SCRERR(nullptr);   // nothing to move otherwise
    if (err_nowfnc[0] || err_prefnc[0]) scr_set_FNCERR(nullptr);
    const char *start = pos;
    int r = scr_stat_body(pos);
    if (r != 0 && !scr_errpos) {
        const char *p = start;
        scr_skip_space(p);
        scr_errpos = p;
    }
    if (!execute) ctx.st_noexect--;
    return r;
}

// After a loop or switch restored its context, a return inside it still suppresses the rest.
int SCR_U::ret_carry()
{
    if (scr_ret_pending) ctx.st_noexect++;
    return 0;
}

int SCR_U::scr_stat_body(const char *&pos)
{
    int c = scr_skip_space(pos);
    if (c == '{') {
        pos++;
        KOV_LOG("KEY:{");
        // A block's variables end with it, so a body entered again declares them afresh.
        NEST nest(*this);
        return scr_compound_stat(pos);
    }
    int shape = stat_shape(scr_xc, pos);
    switch (shape & 63) {
    case W_IF: return scr_selection_if(pos);
    case W_SWITCH: {
        int cnt, outer = ctx.cnt_flag;
        {
            BLOCK b(*this);
            if (scr_selection_switch(pos) != 0) return -1;
            cnt = ctx.cnt_flag && !outer;
        }
        if (cnt) {   // a continue inside the switch belongs to the enclosing loop
            ctx.cnt_flag = 1;
            ctx.st_noexect++;
        }
        return ret_carry();
    }
    case W_DO: {
        {
            BLOCK b(*this);
            if (scr_iteration_do(pos) != 0) return -1;
        }
        return ret_carry();
    }
    case W_WHILE: {
        {
            BLOCK b(*this);
            if (scr_iteration_while(pos) != 0) return -1;
        }
        return ret_carry();
    }
    case W_FOR: {
        {
            BLOCK b(*this);
            if (scr_iteration_for(pos) != 0) return -1;
        }
        return ret_carry();
    }
    case W_GOTO: return scr_jump_goto(pos);
    case W_BREAK: return scr_jump_break(pos);
    case W_CONTINUE: return scr_jump_continue(pos);
    case W_RETURN: return scr_jump_return(pos);
    case W_CASE: return scr_labeled_case(pos);
    case W_DEFAULT: return scr_labeled_default(pos);
    default: break;
    }
    if ((shape & 64) && scr_labeled_label(pos) == 0) return 0;
    return scr_exp_stat(pos);
}

// "{" already read: declarations, then statements, then "}".
int SCR_U::scr_compound_stat(const char *&pos)
{
    const char *p = pos;
    while (scr_decl(p, 1) == 0) KOV_LOG("DEC:%s", scr_line40col(p));
    // The message of a declaration that failed is the one the syntax error after it carries.
    std::string decl_err;   // kept off the stack: blocks nest deeply
    if (err_nowscr[0]) decl_err = err_nowscr;
    for (;;) {
        if (scr_match_key(p, "}") == 0) {
            pos = p;
            return 0;
        }
        KOV_LOG("RUN:%s", scr_line40col(p));
        if (scr_stat(p, 1) != 0) {
            if (!decl_err.empty()) {   // the same text read as a statement: the declaration's text counts
                err_nowscr[0] = 0;
                scr_set_SCRERR("%s", decl_err.c_str());
            }
            return -1;
        }
        decl_err.clear();
    }
}

int SCR_U::scr_exp_stat(const char *&pos)
{
    const char *p = pos;
    if (scr_match_key(p, ";") == 0) {
        pos = p;
        return 0;
    }
    VAL_U v;
    if (scr_exp(p, v) != 0 || scr_match_key(p, ";") != 0) return -1;
    pos = p;
    return 0;
}

// "(" exp ")" into v.
static int paren_exp(SCR_U &s, const char *&p, VAL_U &v)
{
    return s.scr_match_key(p, "(") == 0 && s.scr_exp(p, v) == 0 && s.scr_match_key(p, ")") == 0 ? 0 : -1;
}

int SCR_U::scr_selection_if(const char *&pos)
{
    const char *p = pos;
    VAL_U v;
    if (scr_match_key(p, "if") != 0 || paren_exp(*this, p, v) != 0) return -1;
    int cond = v.val_getd() != 0;
    // Seeking a goto's label or the switch's case: both branches may hold it, and a branch
    // entered at the label runs on from there (the else after it is then skipped).
    if (ctx.goto_label[0] || sw_seeking()) {
        if (scr_stat(p, 1) != 0) return -1;
        int seeking = ctx.goto_label[0] || sw_seeking();
        if (scr_match_key(p, "else") == 0 && scr_stat(p, seeking) != 0) return -1;
        pos = p;
        return 0;
    }
    if (scr_stat(p, cond) != 0) return -1;
    if (scr_match_key(p, "else") == 0 && scr_stat(p, !cond) != 0) return -1;
    pos = p;
    return 0;
}

int SCR_U::scr_is_endofbreak()
{
    if (!ctx.brk_flag || ctx.st_noexect != 1) return 0;
    ctx.brk_flag = 0;
    ctx.st_noexect = 0;
    return 1;
}

int SCR_U::scr_is_endofcontinue()
{
    if (!ctx.cnt_flag || ctx.st_noexect != 1) return 0;
    ctx.cnt_flag = 0;
    ctx.st_noexect = 0;
    return 1;
}

int SCR_U::scr_iteration_while(const char *&pos)
{
    scr_loops_read++;
    const char *p = pos;
    if (scr_match_key(p, "while") != 0) return -1;
    scr_skip_space(p);
    const char *cond = p;
    for (;;) {
        p = cond;
        VAL_U v;
        if (paren_exp(*this, p, v) != 0) return -1;
        // A label sought (a goto's, or its switch's case) may be in the body: go on from it.
        int sw = sw_seeking();
        int flag = ctx.goto_label[0] || sw || (!sup() && v.val_getd() != 0);
        ctx.loop_nest++;
        int r = scr_stat(p, flag);
        ctx.loop_nest--;
        if (r != 0) return -1;
        if (scr_ret_pending || scr_is_endofbreak()) break;
        scr_is_endofcontinue();
        if (!flag || ctx.goto_label[0] || (sw && sw_seeking())) break;
    }
    pos = p;
    return 0;
}

int SCR_U::scr_iteration_do(const char *&pos)
{
    scr_loops_read++;
    const bool outer = ctx.cnt_flag;   // read after an enclosing loop's continue: not this loop's
    const char *p = pos;
    if (scr_match_key(p, "do") != 0) return -1;
    const char *body = p;
    for (;;) {
        p = body;
        ctx.loop_nest++;
        int r = scr_stat(p, 1);
        ctx.loop_nest--;
        if (r != 0) return -1;
        if (!scr_ret_pending && !outer) scr_is_endofcontinue();
        VAL_U v;
        if (scr_match_key(p, "while") != 0 || paren_exp(*this, p, v) != 0 || scr_match_key(p, ";") != 0)
            return -1;
        if (scr_ret_pending || scr_is_endofbreak() || sup() || v.val_getd() == 0) break;
    }
    pos = p;
    return 0;
}

int SCR_U::scr_iteration_for(const char *&pos)
{
    scr_loops_read++;
    const bool outer = ctx.cnt_flag;   // read after an enclosing loop's continue: not this loop's
    const char *p = pos;
    VAL_U v;
    if (scr_match_key(p, "for") != 0 || scr_match_key(p, "(") != 0) return -1;
    if (scr_match_key(p, ";") != 0 && (scr_exp(p, v) != 0 || scr_match_key(p, ";") != 0)) return -1;
    const char *cond = p;
    for (;;) {
        p = cond;
        v.val_putd(1);
        if (scr_match_key(p, ";") != 0 && (scr_exp(p, v) != 0 || scr_match_key(p, ";") != 0)) return -1;
        int flag = ctx.goto_label[0] || sw_seeking() || v.val_getd() != 0;
        const char *inc = p;
        ctx.st_noexect++;
        int ri = scr_match_key(p, ")") == 0 || (scr_exp(p, v) == 0 && scr_match_key(p, ")") == 0) ? 0 : -1;
        ctx.st_noexect--;
        if (ri != 0) return -1;
        ctx.loop_nest++;
        int r = scr_stat(p, flag);
        ctx.loop_nest--;
        if (r != 0) return -1;
        if (scr_ret_pending || scr_is_endofbreak()) break;
        if ((sup() || !flag) && (outer || !scr_is_endofcontinue())) break;
        const char *q = inc;
        if (scr_match_key(q, ")") != 0 && (scr_exp(q, v) != 0 || scr_match_key(q, ")") != 0)) return -1;
    }
    pos = p;
    return 0;
}

// Statements up to "}" of a switch body; the default part runs by reading the body again.
int SCR_U::scr_switch_body(const char *&pos)
{
    const char *body = pos, *p = pos;
    for (int pass = 0;; pass++) {
        while (scr_match_key(p, "}") != 0)
            if (scr_stat(p, 1) != 0) return -1;
        if (pass || ctx.sw_seek || ctx.st_noexect != 1 || ctx.sw_match || !ctx.sw_default) break;
        KOV_LOG("default: 実行");
        ctx.sw_default = 0;
        ctx.sw_default_run = 1;
        p = body;
    }
    pos = p;
    return 0;
}

int SCR_U::scr_selection_switch(const char *&pos)
{
    const char *p = pos;
    VAL_U v;
    if (scr_match_key(p, "switch") != 0 || paren_exp(*this, p, v) != 0 || scr_match_key(p, "{") != 0)
        return -1;
    ctx.sw_nest++;
    ctx.sw_value = scr_trunc32(v.val_getd());
    ctx.sw_seek = ctx.goto_label[0] != 0;   // entered by a goto: labels do not select
    ctx.st_noexect += !ctx.sw_seek;
    ctx.sw_base = ctx.st_noexect;
    ctx.sw_match = ctx.sw_default = ctx.sw_default_run = ctx.sw_lowered = 0;
    ctx.sw_case_at = ctx.sw_default_at = nullptr;
    KOV_LOG("switch(%d):%s", ctx.sw_value, scr_line40col(p));
    if (scr_switch_body(p) != 0) return -1;
    scr_is_endofbreak();
    pos = p;
    return 0;
}

// 0 inside a switch; else the error text for the label kind and -1.
int SCR_U::in_switch(const char *kind)
{
    if (ctx.sw_nest) return 0;
    scr_set_SCRERR("switch 構文外に %s 文がある", kind);
    return -1;
}

// The statement at p after a case or default label.
int SCR_U::label_stat(const char *&pos, const char *p)
{
    KOV_LOG("st_noexect=%d", ctx.st_noexect);
    if (scr_stat(p, 1) != 0) return -1;
    pos = p;
    return 0;
}

int SCR_U::scr_labeled_case(const char *&pos)
{
    const char *p = pos;
    VAL_U v;
    if (scr_match_key(p, "case") != 0 || scr_const_exp(p, v) != 0 || scr_match_key(p, ":") != 0) return -1;
    if (in_switch("case") != 0) return -1;
    int n = scr_trunc32(v.val_getd());
    KOV_LOG("case %d:%s", n, scr_line40col(p));
    if (n == ctx.sw_value && !ctx.sw_seek && !(ctx.sw_match && ctx.sw_case_at == p)) {
        KOV_LOG("case %d: 発見", n);
        if (++ctx.sw_match > 1) {
            scr_set_SCRERR("複数の同一 case 文がある");
            return -1;
        }
        ctx.sw_case_at = p;
        ctx.sw_lowered = 1;
        ctx.st_noexect--;
    }
    return label_stat(pos, p);
}

int SCR_U::scr_labeled_default(const char *&pos)
{
    const char *p = pos;
    if (scr_match_key(p, "default") != 0 || scr_match_key(p, ":") != 0) return -1;
    if (in_switch("default") != 0) return -1;
    if (ctx.sw_default && ctx.sw_default_at == p) return label_stat(pos, p);   // read again by a loop
    if (++ctx.sw_default > 1) {
        scr_set_SCRERR("複数の default 文がある");
        return -1;
    }
    ctx.sw_default_at = p;
    if (ctx.sw_default_run && !ctx.sw_seek) {
        KOV_LOG("default: 実行");
        ctx.sw_lowered = 1;
        ctx.st_noexect--;
    }
    return label_stat(pos, p);
}

int SCR_U::scr_labeled_label(const char *&pos)
{
    const char *p = pos;
    char name[SCR_NAMESIZE];
    if (scr_idname(p, name, sizeof name) != 0 || scr_match_key(p, ":") != 0) return -1;
    if (ctx.goto_label[0] && strcmp(ctx.goto_label, name) == 0) {
        KOV_LOG("goto %s; 達成。実行抑制解除", name);
        ctx.goto_label[0] = 0;   // seeking was the only suppression: execution resumes here
    }
    if (scr_stat(p, 1) != 0) return -1;
    pos = p;
    return 0;
}

int SCR_U::scr_jump_goto(const char *&pos)
{
    scr_loops_read++;
    const char *p = pos;
    char name[SCR_NAMESIZE];
    if (scr_match_key(p, "goto") != 0 || scr_idname(p, name, sizeof name) != 0 || scr_match_key(p, ";") != 0)
        return -1;
    if (sup()) {
        KOV_LOG("GOTO:%s", name);
        pos = p;
        return 0;
    }
    KOV_LOG("GOTO:%s DO!", name);
    strcpy(ctx.goto_label, name);
    strcpy(scr_goto_to, name);   // the blocks passed on the way out restore the context
    scr_goto_pos = pos;
    pos = p;
    throw E_GOTO_LABEL;
}

// break and continue: "key ;" where it is allowed raises flag and suppresses the rest up to the
// construct that ends it; elsewhere the error text misplaced.
int SCR_U::jump_out(const char *&pos, const char *key, int allowed, const char *misplaced, int &flag)
{
    const char *p = pos;
    if (scr_match_key(p, key) != 0 || scr_match_key(p, ";") != 0) return -1;
    if (!allowed) {
        scr_set_SCRERR("%s", misplaced);
        return -1;
    }
    if (!sup()) {
        flag = 1;
        ctx.st_noexect++;
    }
    pos = p;
    return 0;
}

int SCR_U::scr_jump_break(const char *&pos)
{
    return jump_out(pos, "break", ctx.loop_nest || ctx.sw_nest, "for/do/while/switch 以外で break を使用",
                    ctx.brk_flag);
}

int SCR_U::scr_jump_continue(const char *&pos)
{
    return jump_out(pos, "continue", ctx.loop_nest != 0, "for/do/while 以外で continue を使用", ctx.cnt_flag);
}

int SCR_U::scr_jump_return(const char *&pos)
{
    const char *p = pos;
    if (scr_match_key(p, "return") != 0) return -1;
    int t = ctx.fn_spec.type;
    VAL_U v;
    if (t < 0) return err_type(t);
    if (t <= VT_VOID) {
        v.val_putd(0);
        KOV_LOG("return;");
    } else if (t <= VT_ENUM) {
        if (scr_exp(p, v) != 0) {
            scr_set_SCRERR("return に戻値がない");
            return -1;
        }
        if (v.val_kind == VAL_STR) KOV_LOG("return %s;", v.val_gets());
        else KOV_LOG("return %d;", scr_trunc32(v.val_getd()));
    } else {
        v.val_putd(-1);
        KOV_LOG("return %d;", -1);
    }
    if (scr_match_key(p, ";") != 0) {
        scr_set_SCRERR("; がない");
        return -1;
    }
    pos = p;
    if (sup()) return 0;
    scr_retval = std::move(v);
    scr_ret_pending = 1;
    ctx.st_noexect++;
    return 0;
}
