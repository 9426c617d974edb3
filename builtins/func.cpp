// The built-in table and its lookup.
#include "builtins/func.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <unordered_map>

namespace {

// Handlers of numbers and texts alone (FN_PURE).
constexpr const char *pure_names[] = {
    "sin", "SIN", "cos", "COS", "tan", "TAN", "asin", "ASIN", "acos", "ACOS", "atan", "ATAN", "sinh", "SINH",
    "cosh", "COSH", "tanh", "TANH", "ceil", "floor", "exp", "EXP", "log", "LN", "log10", "LOG10", "LOG", "sqrt",
    "SQRT", "fabs", "RADIANS", "DEGREES", "ODD", "EVEN", "INT", "ABS", "TRUNC", "N", "SQRTPI", "atan2", "ATAN2",
    "pow", "POWER", "fmod", "min", "max", "QUOTIENT", "FLOOR", "CEILING", "MOD", "sign", "SIGN", "pi", "PI",
    "abs", "labs", "atoi", "atol", "atof", "ISEVEN", "ISODD", "NOT", "PERMUT", "COMBIN", "FACT", "ROUND",
    "ROUNDUP", "ROUNDDOWN", "MROUND", "DELTA", "GESTEP", "rgb", "rgb2r", "rgb2g", "rgb2b", "isalpha", "isupper",
    "islower", "isdigit", "isxdigit", "isalnum", "isspace", "ispunct", "isprint", "isgraph", "iscntrl",
    "isascii", "toupper", "tolower", "toascii", "strcmp", "stricmp", "strcmpi", "strspn", "strncmp", "strnicmp",
    "strlen", "LENB", "CODEB", "LEN", "CODE", "strstr", "strchr", "LEFTB", "RIGHTB", "LEFT", "RIGHT", "REPT",
    "UPPER", "LOWER", "TRIM", "T", "ESCSTR", "MIDB", "MID", "CHARB", "CHAR", "EXACT", "pprintf",
};
consteval int pure_flag(std::string_view name)
{
    for (const char *p : pure_names)
        if (name == p) return FN_PURE;
    return 0;
}

#define FN_RECORD(name, h, sig) {name, h, sig, std::integral_constant<int, pure_flag(name)>::value},
FN_DEF fn_records[] = {
    FN_RECORDS(FN_RECORD)
    {"", nullptr, ""},
};
#undef FN_RECORD

} // namespace

const FN_DEF *FUNC_U::fn_table() { return fn_records; }

// Names are looked up at every call a formula or a script makes: an index by name, built once;
// a name listed twice finds its first record, as a scan of the table would.
const FN_DEF *FUNC_U::fn_lookup(const char *name)
{
    static const std::unordered_map<std::string_view, const FN_DEF *> index = [] {
        std::unordered_map<std::string_view, const FN_DEF *> m;
        for (const FN_DEF *f = fn_records; f->name[0]; f++) m.emplace(f->name, f);
        return m;
    }();
    if (!name || !*name) return nullptr;
    auto it = index.find(name);
    return it == index.end() ? nullptr : it->second;
}

void FUNC_U::fn_install()
{
    fn_scr.scr_fn_table = fn_lookup;
    fn_scr.scr_func = this;
}

int FUNC_U::fn_bind(const char *name, FN_HANDLER h)
{
    int found = -1;
    for (FN_DEF *f = fn_records; f->name[0]; f++)
        if (strcmp(f->name, name) == 0) f->fn = h, found = 0;
    return found;
}

int fn_late(SCR_U &s, const FN_CALL &, FN_RET &r)
{
    char msg[128];
    snprintf(msg, sizeof msg, "%s():未実装", s.scr_fn_name);
    s.scr_set_FNCERR("%s", msg);
    const FN_DEF *f = FUNC_U::fn_lookup(s.scr_fn_name);
    char sig = f ? f->sig[0] : 'v';
    if (sig == 'i') r.L = -1;
    // A part function's value is what its cell shows: the cell says what is missing.
    if (sig == 'x') {
        VAL_U &v = FUNC_U::fn_of(s).fn_result;
        v.val_puts(msg);
        r.x = &v;
    }
    return -1;
}
