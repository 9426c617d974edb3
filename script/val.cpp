// The script value record.
#include "script/val.h"

#include <cstdlib>
#include <cstring>
#include <utility>

long VAL_U::val_bytes = 0;
long VAL_U::val_bytecap = 1L << 30;

// A copy of at most SCR_STRMAX bytes of text, or null when out of memory or past the cap.
static char *val_dup(const char *text)
{
    size_t n = strnlen(text, SCR_STRMAX);
    if (VAL_U::val_bytes + (long)n + 1 > VAL_U::val_bytecap) return nullptr;
    char *s = static_cast<char *>(malloc(n + 1));
    if (!s) return nullptr;
    memcpy(s, text, n);
    s[n] = 0;
    VAL_U::val_bytes += (long)n + 1;
    return s;
}

static void val_free(char *s)
{
    if (!s) return;
    VAL_U::val_bytes -= (long)strlen(s) + 1;
    free(s);
}

VAL_U::VAL_U(const VAL_U &o) : LEX_U(o), val_num(o.val_num), val_flags(o.val_flags)
{
    val_copy(&o);
}

VAL_U::VAL_U(VAL_U &&o) noexcept
    : LEX_U(o), val_num(o.val_num), val_str(o.val_str), val_kind(o.val_kind), val_flags(o.val_flags)
{
    o.val_str = nullptr;
    o.val_kind = VAL_EMPTY;
}

VAL_U &VAL_U::operator=(const VAL_U &o)
{
    if (this != &o) {
        val_copy(&o);
        val_flags = o.val_flags;
    }
    return *this;
}

VAL_U &VAL_U::operator=(VAL_U &&o) noexcept
{
    if (this != &o) {
        val_free(val_str);
        val_num = o.val_num;
        val_str = std::exchange(o.val_str, nullptr);
        val_kind = std::exchange(o.val_kind, VAL_EMPTY);
        val_flags = o.val_flags;
    }
    return *this;
}

VAL_U::~VAL_U() { val_free(val_str); }

void VAL_U::val_clear()
{
    val_free(val_str);
    val_str = nullptr;
    val_kind = VAL_EMPTY;
}

int VAL_U::val_putd(double x)
{
    val_clear();
    val_num = x;
    val_kind = VAL_NUM;
    return 0;
}

int VAL_U::val_puts(const char *text)
{
    if (!text || !*text) {
        val_clear();
        return 0;
    }
    char *s = val_dup(text);   // before freeing: text may be our own string
    if (!s) return -1;
    val_free(val_str);
    val_str = s;
    val_kind = VAL_STR;
    return 0;
}

double VAL_U::val_getd() const { return val_kind == VAL_NUM ? val_num : 0; }

const char *VAL_U::val_gets() const
{
    return val_kind == VAL_STR && val_str ? val_str : "";
}

int VAL_U::val_copy(const VAL_U *other)
{
    if (other == this) return 0;
    if (!other || other->val_kind == VAL_EMPTY) {
        val_clear();
        return 0;
    }
    if (other->val_kind == VAL_NUM) return val_putd(other->val_num);
    return val_puts(other->val_gets());
}
