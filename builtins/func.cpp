// The built-in table and its lookup.
#include "builtins/func.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <type_traits>

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

// The records' order by name, made by the compiler (a start builds no index); every name is
// listed once, so a lookup finds the one record to bind and to call.
#define FN_NAME(name, h, sig) name,
constexpr const char *record_names[] = {FN_RECORDS(FN_NAME)};
#undef FN_NAME
constexpr size_t n_records = sizeof record_names / sizeof *record_names;
consteval std::array<uint16_t, n_records> sorted_names()
{
    std::array<uint16_t, n_records> a{};
    for (size_t i = 0; i < n_records; i++) a[i] = (uint16_t)i;
    std::sort(a.begin(), a.end(), [](uint16_t x, uint16_t y) { return std::string_view(record_names[x]) < record_names[y]; });
    return a;
}
constexpr std::array<uint16_t, n_records> by_name = sorted_names();
consteval bool names_unique()
{
    for (size_t i = 1; i < n_records; i++)
        if (std::string_view(record_names[by_name[i - 1]]) == record_names[by_name[i]]) return false;
    return true;
}
static_assert(names_unique(), "a built-in name listed twice");

#define FN_RECORD(name, h, sig) {name, h, sig, std::integral_constant<int, pure_flag(name)>::value},
FN_DEF fn_records[] = {
    FN_RECORDS(FN_RECORD)
    {"", nullptr, ""},
};
#undef FN_RECORD

} // namespace

const FN_DEF *FUNC_U::fn_table() { return fn_records; }

// Names are looked up at every call a formula or a script makes (a tree's call keeps its record).
const FN_DEF *FUNC_U::fn_lookup(const char *name)
{
    if (!name || !*name) return nullptr;
    std::string_view key(name);
    auto it = std::lower_bound(by_name.begin(), by_name.end(), key,
                               [](uint16_t i, std::string_view k) { return std::string_view(record_names[i]) < k; });
    return it != by_name.end() && record_names[*it] == key ? &fn_records[*it] : nullptr;
}

void FUNC_U::fn_install()
{
    fn_scr.scr_fn_table = fn_lookup;
    fn_scr.scr_func = this;
}

int FUNC_U::fn_bind(const char *name, FN_HANDLER h)
{
    const FN_DEF *f = fn_lookup(name);
    if (!f) return -1;
    fn_records[f - fn_records].fn = h;
    return 0;
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
