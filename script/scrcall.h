// The built-in call protocol (see scrcall.cpp for how the interpreter carries a call out).
#pragma once
#include <cstdint>

class BASE_GJ;
class SCR_U;
class VAL_U;

// Built-in call seam: the function table answers a name with its record (nullptr: not a
// built-in). A handler gets its arguments converted by the signature letters.
struct FN_ARG {
    int32_t i;
    int64_t L;
    double d;
    float f;
    const char *s;
    BASE_GJ *g;
};
struct FN_CALL {
    int argc = 0;
    FN_ARG arg[36];
    VAL_U *vargs[18] = {};      // the "." tail, null-terminated
    int nvargs = 0;
};
struct FN_RET {
    int64_t L = 0;
    double d = 0;
    const char *s = nullptr;
    VAL_U *x = nullptr;
};
using FN_HANDLER = int (*)(SCR_U &scr, const FN_CALL &call, FN_RET &ret);
// FN_PURE: the handler reads only its arguments and gives only its result and error texts (it
// never calls the host or the interpreter back): a lean run may call it without its entries.
enum { FN_PURE = 1 };
struct FN_DEF {
    const char *name;
    FN_HANDLER fn;
    const char *sig;
    int flags = 0;
};
// An argument's value converted by its signature letter (i l L d f s); -1 another letter.
int scr_fn_convert(char c, const VAL_U &t, FN_ARG &a);
using FN_LOOKUP = const FN_DEF *(*)(const char *name);
