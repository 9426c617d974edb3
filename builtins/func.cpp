// The built-in table. Twins: none yet; the function families add their records in the table's
// fixed order.
#include "builtins/func.h"

#include <cstring>

namespace {

const FN_DEF fn_records[] = {
    {"", nullptr, ""},
};

} // namespace

const FN_DEF *FUNC_U::fn_table() { return fn_records; }

const FN_DEF *FUNC_U::fn_lookup(const char *name)
{
    if (!name || !*name) return nullptr;
    for (const FN_DEF *f = fn_records; f->name[0]; f++)
        if (f->name[0] == name[0] && strcmp(f->name, name) == 0) return f;
    return nullptr;
}
