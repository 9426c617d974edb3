// The script value record. A text keeps its length and the size of its buffer, so that an
// append costs what it appends.
#include "script/val.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

long VAL_U::val_bytes = 0;
long VAL_U::val_bytecap = 1L << 30;

// A buffer of cap bytes, or null when out of memory or past the cap on the bytes held.
static char *val_alloc(size_t cap)
{
    if (VAL_U::val_bytes + (long)cap > VAL_U::val_bytecap) return nullptr;
    char *s = static_cast<char *>(malloc(cap));
    if (s) VAL_U::val_bytes += (long)cap;
    return s;
}

void VAL_U::val_release()
{
    if (val_str) VAL_U::val_bytes -= (long)val_cap;
    free(val_str);
    val_str = nullptr;
    val_len = val_cap = 0;
}

VAL_U::VAL_U(const VAL_U &o) : val_num(o.val_num), val_flags(o.val_flags)
{
    val_copy(&o);
}

VAL_U::VAL_U(VAL_U &&o) noexcept
    : val_num(o.val_num), val_str(o.val_str), val_kind(o.val_kind), val_flags(o.val_flags),
      val_len(o.val_len), val_cap(o.val_cap)
{
    o.val_str = nullptr;
    o.val_len = o.val_cap = 0;
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
        val_release();
        val_num = o.val_num;
        val_str = std::exchange(o.val_str, nullptr);
        val_len = std::exchange(o.val_len, 0);
        val_cap = std::exchange(o.val_cap, 0);
        val_kind = std::exchange(o.val_kind, VAL_EMPTY);
        val_flags = o.val_flags;
    }
    return *this;
}


int VAL_U::val_puts(const char *text)
{
    if (!text || !*text) {
        val_clear();
        return 0;
    }
    size_t n = strnlen(text, SCR_STRMAX);
    char *s = val_alloc(n + 1);   // before freeing: text may be our own string
    if (!s) return -1;
    memcpy(s, text, n);
    s[n] = 0;
    val_release();
    val_str = s;
    val_len = uint32_t(n);
    val_cap = uint32_t(n + 1);
    val_kind = VAL_STR;
    return 0;
}

int VAL_U::val_append(const char *text, size_t m)
{
    if (m == 0) return 0;
    if (val_kind != VAL_STR) val_release();   // a number or nothing: no text to keep
    size_t need = val_len + m + 1;
    if (need > val_cap) {
        size_t cap = std::max(need, std::min<size_t>(2 * val_cap, SCR_STRMAX + 2));
        char *s = val_alloc(cap);
        if (!s) return -1;
        if (val_len) memcpy(s, val_str, val_len);
        memcpy(s + val_len, text, m);   // text may lie in the old buffer: copy before freeing
        uint32_t len = val_len;
        val_release();
        val_str = s;
        val_len = len;
        val_cap = uint32_t(cap);
    } else {
        memmove(val_str + val_len, text, m);
    }
    val_len += uint32_t(m);
    val_str[val_len] = 0;
    val_kind = VAL_STR;
    return 0;
}


int VAL_U::val_copy_rest(const VAL_U *other)
{
    if (other == this) return 0;
    if (!other || other->val_kind == VAL_EMPTY) {
        val_clear();
        return 0;
    }
    return val_puts(other->val_gets());   // (a number's copy is val_copy's own)
}
