// FUNC_U: the built-in functions of one interpreter. One table maps each name to its handler
// and signature text; the interpreter converts the arguments by the signature letters and calls
// the handler (script/scrcall). The handlers' families fill the table.
#pragma once
#include "script/scr.h"
#include "script/val.h"

// Longest text result of a handler (bytes with the terminator).
constexpr int FN_TEXT_MAX = 4097;

class FUNC_U {
public:
    explicit FUNC_U(SCR_U &scr) : fn_scr(scr) {}
    FUNC_U(const FUNC_U &) = delete;
    FUNC_U &operator=(const FUNC_U &) = delete;

    // The record of a built-in name (first match of a byte comparison), nullptr when the name is
    // not a built-in.
    static const FN_DEF *fn_lookup(const char *name);
    // Records of the table in its order, ended by one with an empty name.
    static const FN_DEF *fn_table();

    SCR_U &fn_scr;
    VAL_U fn_result;             // the shared result of "x" handlers, copied at once by the caller
    char fn_text[FN_TEXT_MAX];   // the shared text result
};
