// Library calls: dllcall(library, function, types, arguments...) and dllpcall, one handler.
//
// The type text's first letter is the result, each further letter one argument: b (low 8 bits
// of the truncated number), w (low 16 bits), l (32-bit integer), f (32-bit float), d (64-bit
// float), s (the argument's text); the result may also be v (none). The call is built from the
// letters with libffi, in the platform's C convention. Arguments the function takes beyond
// those given read as zero, as they did from the zero-filled argument block of the 32-bit
// original: every argument register the call leaves free is zero, and zero words follow the
// arguments on the stack.
//
// Nothing here allocates: a fault inside the library function jumps over this frame to the
// run's trap (script/scrtrap.cpp), which leaves no destructor undone here.
#include "devices/devfunc.h"

#include <cstring>
#include <dlfcn.h>
#include <ffi.h>

#include "base/kovlog.h"
#include "builtins/fnutil.h"

namespace {

constexpr int DLL_LETTERS = 18;         // argument letters a type text may have
constexpr int DLL_ZERO_INTS = 18;       // integer arguments with the zeros: 6 registers, 12 stack words
constexpr int DLL_ZERO_FLOATS = 8;      // the float registers
constexpr int DLL_MAX = DLL_LETTERS + DLL_ZERO_INTS + DLL_ZERO_FLOATS;

union DLL_WORD {
    uint32_t u;
    int32_t l;
    float f;
    double d;
    const char *s;
    uint64_t zero;
};

// The native arguments of one call.
struct DLL_ARGS {
    int n = 0, ints = 0, floats = 0;
    ffi_type *type[DLL_MAX];
    void *ptr[DLL_MAX];
    DLL_WORD word[DLL_MAX];

    void add(ffi_type *t, DLL_WORD w)
    {
        type[n] = t;
        word[n] = w;
        ptr[n] = &word[n];
        n++;
        (t == &ffi_type_float || t == &ffi_type_double ? floats : ints)++;
    }
    void add_zeros()
    {
        while (ints < DLL_ZERO_INTS) add(&ffi_type_uint64, DLL_WORD{.zero = 0});
        while (floats < DLL_ZERO_FLOATS) add(&ffi_type_double, DLL_WORD{.d = 0});
    }
    // One argument of letter c from v: -1 for a letter that is no argument type.
    int convert(char c, const VAL_U &v)
    {
        double d = v.val_kind == VAL_NUM ? v.val_num : 0;
        uint32_t i = (uint32_t)scr_trunc32(d);
        switch (c) {
        case 'b': add(&ffi_type_uint32, DLL_WORD{.u = i & 0xFF}); return 0;
        case 'w': add(&ffi_type_uint32, DLL_WORD{.u = i & 0xFFFF}); return 0;
        case 'l': add(&ffi_type_sint32, DLL_WORD{.l = scr_trunc32(d)}); return 0;
        case 'f': add(&ffi_type_float, DLL_WORD{.f = (float)d}); return 0;
        case 'd': add(&ffi_type_double, DLL_WORD{.d = d}); return 0;
        case 's': add(&ffi_type_pointer, DLL_WORD{.s = v.val_gets()}); return 0;
        default: return -1;
        }
    }
};

ffi_type *dll_result_type(char c)
{
    switch (c) {
    case 'b': case 'w': case 'l': return &ffi_type_sint32;
    case 'f': return &ffi_type_float;
    case 'd': return &ffi_type_double;
    case 's': return &ffi_type_pointer;
    case 'v': return &ffi_type_void;
    default: return nullptr;
    }
}

// The script value of a native result.
int dll_give(SCR_U &s, FN_RET &r, char c, const void *rv)
{
    switch (c) {
    case 'b': return fn_give_num(s, r, (uint8_t) * (const ffi_arg *)rv);
    case 'w': return fn_give_num(s, r, (uint16_t) * (const ffi_arg *)rv);
    case 'l': return fn_give_num(s, r, (int32_t) * (const ffi_arg *)rv);
    case 'f': return fn_give_num(s, r, *(const float *)rv);
    case 'd': return fn_give_num(s, r, *(const double *)rv);
    case 's': return fn_give_text(s, r, *(const char *const *)rv);
    default: return r.x = nullptr, 0;
    }
}

// The arguments of the type text's letters from the values: 0, or -1 with the error set.
int dll_args(SCR_U &s, const char *types, const FN_CALL &c, DLL_ARGS &a)
{
    const char *fn = s.scr_fn_name;
    int i = 0;
    for (; types[i + 1]; i++) {
        if (i >= DLL_LETTERS) return s.scr_set_FNCERR("%s():引数数超過", fn), -1;
        if (i >= c.nvargs || !c.vargs[i]) return s.scr_set_FNCERR("%s():引数数不足", fn), -1;
        if (a.convert(types[i + 1], *c.vargs[i]) != 0) return s.scr_set_FNCERR("%s():引数が無効", fn), -1;
    }
    if (i < DLL_LETTERS && i < c.nvargs && c.vargs[i]) return s.scr_set_FNCERR("%s():引数数超過", fn), -1;
    return 0;
}

} // namespace

int fn_dllcallX(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    fn_give_num(s, r, -1);
    const char *lib = c.arg[0].s ? c.arg[0].s : "", *name = c.arg[1].s ? c.arg[1].s : "";
    const char *types = c.arg[2].s ? c.arg[2].s : "", *fn = s.scr_fn_name;
    KOV_LOG("%s:%s(%s) 実行", lib, name, types);
    if (!*types) return s.scr_set_FNCERR("%s(%s):関数型がない", fn, types), -1;
    DLL_ARGS a;
    if (dll_args(s, types, c, a) != 0) return -1;
    void *h = s.scr_load_dll(lib);
    if (!h) return s.scr_set_FNCERR("%s(%s):DLL 読込み失敗", fn, lib), -1;
    void *f = dlsym(h, name);
    if (!f) return s.scr_set_FNCERR("%s(%s):関数読込み失敗", fn, name), -1;
    if (strcmp(fn, "dllcall") != 0 && strcmp(fn, "dllpcall") != 0) return s.scr_set_FNCERR("%s() 関数名が無効", fn), -1;
    ffi_type *rt = dll_result_type(types[0]);
    a.add_zeros();
    ffi_cif cif;
    if (!rt || ffi_prep_cif(&cif, FFI_DEFAULT_ABI, a.n, rt, a.type) != FFI_OK)
        return s.scr_set_FNCERR("%s(%s):関数型が無効", fn, types), -1;
    alignas(16) unsigned char rv[16] = {};
    ffi_call(&cif, FFI_FN(f), rv, a.ptr);
    return dll_give(s, r, types[0], rv);
}
