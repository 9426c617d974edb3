// The built-in table and its lookup.
#include "builtins/func.h"

#include <cstring>

namespace {

#define FN_RECORD(name, h, sig) {name, h, sig},
const FN_DEF fn_records[] = {
    FN_RECORDS(FN_RECORD)
    {"", nullptr, ""},
};
#undef FN_RECORD

} // namespace

const FN_DEF *FUNC_U::fn_table() { return fn_records; }

const FN_DEF *FUNC_U::fn_lookup(const char *name)
{
    if (!name || !*name) return nullptr;
    for (const FN_DEF *f = fn_records; f->name[0]; f++)
        if (f->name[0] == name[0] && strcmp(f->name, name) == 0) return f;
    return nullptr;
}

void FUNC_U::fn_install()
{
    fn_scr.scr_fn_table = fn_lookup;
    fn_scr.scr_func = this;
}

int fn_todo(SCR_U &s)
{
    s.scr_set_FNCERR("%s():未実装", s.scr_fn_name);
    return 0;
}
