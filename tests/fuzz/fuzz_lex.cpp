// Runs the scanning primitives over arbitrary text: none may read past the NUL or overflow a
// buffer, and each step of the loop moves forward.
#include "script/lex.h"
#include "script/val.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back(0);
    const char *begin = text.data();
    const char *end = begin + size;   // the NUL
    static const char *const keys[] = {"+", "<<", "<", "!", "if", "==", "(", "while", ">>="};

    SCR_LEX lx;
    VAL_U val;
    char name[SCR_NAMESIZE];
    int row, col;
    for (const char *p = begin; *p;) {
        const char *start = p;
        lx.scr_skip_space(p);
        if (lx.scr_idname(p, name, sizeof name) != 0 && lx.scr_const(p, val) != 0 &&
            lx.scr_string(p, val) != 0) {
            for (const char *k : keys)
                if (lx.scr_match_key(p, k) == 0) break;
        }
        if (p > end || p < start) abort();
        if (lx.scr_add_string(val, p) != 0) abort();
        if (strlen(val.val_gets()) > SCR_STRMAX) abort();
        lx.scr_line40col(p);
        lx.scr_text2rowcol(begin, p, row, col);
        if (p == start) p++;
        lx.scr_set_SCRERR(nullptr);
    }
    if (lx.far_pos && (lx.far_pos < begin || lx.far_pos > end)) abort();
    const char *q = begin;
    int code;
    double num;
    while (*q && lx.lex_char(q, code) == 0) {}
    q = begin;
    lx.lex_number(q, num);
    return 0;
}
