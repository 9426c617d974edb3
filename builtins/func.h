// FUNC_U: the built-in functions of one interpreter. One table maps each name to its handler
// and signature text; the interpreter converts the arguments by the signature letters and calls
// the handler (script/scrcall). The handlers' families live in builtins/fn_*.cpp.
#pragma once
#include <string>

#include "builtins/fntab.h"
#include "script/scr.h"
#include "script/val.h"

// Longest text result of a handler (bytes with the terminator).
constexpr int FN_TEXT_MAX = 4097;

// A name and the handler a layer above gives it.
struct FN_BIND {
    const char *name;
    FN_HANDLER fn;
};

class FUNC_U {
public:
    explicit FUNC_U(SCR_U &scr) : fn_scr(scr) {}
    FUNC_U(const FUNC_U &) = delete;
    FUNC_U &operator=(const FUNC_U &) = delete;

    // Makes this table the interpreter's built-ins.
    void fn_install();
    // The FUNC_U of the interpreter a handler runs in.
    static FUNC_U &fn_of(SCR_U &scr) { return *static_cast<FUNC_U *>(scr.scr_func); }

    // The record of a built-in name (a byte comparison), nullptr when the name is not a built-in.
    static const FN_DEF *fn_lookup(const char *name);
    // Records of the table in its order, ended by one with an empty name.
    static const FN_DEF *fn_table();
    // Gives the name's record the handler (the layers above bind theirs at start):
    // 0, or -1 when the name is not in the table.
    static int fn_bind(const char *name, FN_HANDLER h);
    template <size_t N>
    static void fn_bind(const FN_BIND (&binds)[N])
    {
        for (const FN_BIND &b : binds) fn_bind(b.name, b.fn);
    }

    SCR_U &fn_scr;
    VAL_U fn_result;             // the shared result of "x" handlers, copied at once by the caller
    char fn_text[FN_TEXT_MAX];   // the shared text result
};

// The handler of a function not built yet: sets "NAME():未実装" and gives the failure value
// (-1 for an integer result, the message for a value result: a part's cell shows it).
int fn_late(SCR_U &s, const FN_CALL &c, FN_RET &r);

// The path fopen opens for a name, given by the device layer so that "COM1" opens a serial
// port; nullptr or "" keeps the name.
extern std::string (*fn_device_path)(const char *name);

// 0xRRGGBB of a colour name as color() reads it ("#RRGGBB", the control, system and web names,
// without regard to case); -1 for a name that is no colour.
int fn_color_rgb(const char *name);

#define FN_DECLARE(name, h, sig) int h(SCR_U &s, const FN_CALL &c, FN_RET &r);
FN_RECORDS(FN_DECLARE)
#undef FN_DECLARE
