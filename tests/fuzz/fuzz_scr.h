// Pieces of the script targets: a host that ends a run after a statement budget, and the small
// built-ins their scripts call.
#pragma once
#include <cstring>
#include <iterator>

#include "script/scr.h"

// Stops a run after 3000 statements, so that endless loops end.
struct FUZZ_HOST : KOV_HOST {
    long steps = 0;
    long host_callback(int code, intptr_t) override { return code == SCRCB_ONESTEP && ++steps > 3000 ? -1 : 0; }
};

// exit(code)
inline int fuzz_exit(SCR_U &, const FN_CALL &c, FN_RET &) { throw E_EXIT(c.arg[0].i); }
// len(text)
inline int fuzz_len(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = (int64_t)strlen(c.arg[0].s), 0; }
// pick(values...): how many values
inline int fuzz_pick(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = c.nvargs, 0; }

// The entry of name in a target's table of N entries.
template <size_t N> const FN_DEF *fuzz_find(const FN_DEF (&table)[N], const char *name)
{
    for (const FN_DEF &f : table)
        if (strcmp(f.name, name) == 0) return &f;
    return nullptr;
}
