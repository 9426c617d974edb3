// The script value: empty, number (there is no integer kind) or string of at most 4096 bytes.
#pragma once
#include <cstddef>
#include <cstdint>

#include "script/lex.h"

enum { VAL_EMPTY = 0, VAL_NUM = 1, VAL_STR = 2 };
enum { VAL_CONSTEXP = 1 };   // val_flags: computed as a constant expression

class VAL_U {
public:
    double val_num = 0;        // meaningful for VAL_NUM
    char *val_str = nullptr;   // owned, NUL-terminated; meaningful for VAL_STR
    int val_kind = VAL_EMPTY;
    int val_flags = 0;
    uint32_t val_len = 0, val_cap = 0;   // the text's length and its buffer's size

    VAL_U() = default;
    // Copies take all four fields; a copy whose text cannot be allocated becomes empty.
    VAL_U(const VAL_U &o);
    VAL_U(VAL_U &&o) noexcept;
    VAL_U &operator=(const VAL_U &o);
    VAL_U &operator=(VAL_U &&o) noexcept;
    ~VAL_U() { if (val_str) val_release(); }

    // Inline: every operand and result passes through these.
    int val_putd(double x)
    {
        if (val_str) val_release();
        val_num = x;
        val_kind = VAL_NUM;
        return 0;
    }
    // Null or "" makes the value empty; otherwise the first 4096 bytes at most. -1 if the text
    // cannot be allocated (the old value stays).
    int val_puts(const char *text);
    double val_getd() const { return val_kind == VAL_NUM ? val_num : 0; }
    const char *val_gets() const { return val_kind == VAL_STR && val_str ? val_str : ""; }
    // Kind and content of other (flags stay); null makes this value empty.
    int val_copy(const VAL_U *other)
    {
        if (other && other != this && other->val_kind == VAL_NUM) return val_putd(other->val_num);   // inline: the usual
        return val_copy_rest(other);
    }
    int val_copy(const VAL_U &other) { return val_copy(&other); }
    // Back to empty, text freed.
    void val_clear()
    {
        if (val_str) val_release();
        val_kind = VAL_EMPTY;
    }
    // m bytes of text appended to the text (a value that holds none becomes that text); the
    // caller keeps the total within SCR_STRMAX. -1 when it cannot be allocated (value unchanged).
    int val_append(const char *text, size_t m);
    size_t val_length() const { return val_kind == VAL_STR ? val_len : 0; }

    // Bytes of text held by all values of the process; a text that would pass the cap is not
    // stored (as when out of memory), so that one script cannot take the machine's memory.
    static long val_bytes;
    static long val_bytecap;

private:
    int val_copy_rest(const VAL_U *other);   // a text, nothing, or itself
    void val_release();
};
