// Pieces of expression evaluation shared by the text reader and the parsed form.
#pragma once
#include "script/scr.h"

// The operators of one binary level in trial order.
struct SCR_BINLEVEL {
    const char *const *ops;
    int n;
};
// Binary levels, loosest first: "|", "^", "&", equality, relational, shift, additive, "* / %".
constexpr int SCR_BINLEVELS = 8;
extern const SCR_BINLEVEL scr_binlevels[SCR_BINLEVELS];
// The binary operator at p (past blanks) of level `top` or deeper that the levels' readers take
// (each looks after the deeper ones found none: the deepest match): its length with its level
// and its index there, else 0. One look instead of one per level.
int scr_binop_at(const char *p, int top, int &level, int &i);
// Operator i of a binary level applied to l and r, the result into l.
void scr_binop(int level, int i, VAL_U &l, VAL_U &r);
// The same for two numbers, and an equality or relational operator for two texts.
double scr_numop(int level, int i, double a, double b);
// A compound assignment's number (operator i of "*=" ... "|=", 0 not used).
double scr_asg_num(int i, double old, double r);
double scr_textop(int level, int i, const char *a, const char *b);

// Number of an element as arithmetic reads it; a store into an element (suppression drops
// stores into non-const variables).
double scr_lv_num(SCR_U &s, const SCR_U::LVAL &lv);
int scr_lv_store(SCR_U &s, const SCR_U::LVAL &lv, const VAL_U *v, double d);

// Past a balanced open ... close group at p (literals and comments stepped over as the lexer
// reads them), or null.
const char *scr_look_group(SCR_LEX &lx, const char *p, char open, char close);
