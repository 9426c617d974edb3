// Handlers still to come: each sets "NAME():未実装" and gives the neutral result. A family that
// lands removes its lines here.
#include "builtins/func.h"

#define FN_TODO(h) \
    int h(SCR_U &s, const FN_CALL &, FN_RET &) { return fn_todo(s); }

// ---- Parts, windows, serial ports, gadget methods and library calls: later
FN_TODO(fn_com_init)
FN_TODO(fn_com_set)
FN_TODO(fn_com_stat)
FN_TODO(fn_dllcall)
FN_TODO(fn_wp)
FN_TODO(fn_wpBACK)
FN_TODO(fn_wpTNBOARD)
FN_TODO(fn_wpPUSH)
FN_TODO(fn_wpTNLAMP)
FN_TODO(fn_wpTPUTS)
FN_TODO(fn_wpPUSHLOCK)
FN_TODO(fn_wpTNCLOCK)
FN_TODO(fn_wpCHECK)
FN_TODO(fn_wpTNTIMER)
FN_TODO(fn_wpHSCROLL)
FN_TODO(fn_wpVSCROLL)
FN_TODO(fn_wpICOMBO)
FN_TODO(fn_wpILIST)
FN_TODO(fn_wpSCOMBO)
FN_TODO(fn_wpECOMBO)
FN_TODO(fn_wpTNGRAPH)
FN_TODO(fn_wpTNSHADOW)
FN_TODO(fn_wpVGETD)
FN_TODO(fn_wpHGETD)
FN_TODO(fn_wpTNCOM)
FN_TODO(fn_wpTNSOCK)
FN_TODO(fn_wpTNMCI)
FN_TODO(fn_win_open)
FN_TODO(fn_win_close)
FN_TODO(fn_win_active)
FN_TODO(fn_win_style)
FN_TODO(fn_win_title)
FN_TODO(fn_win_pos)
FN_TODO(fn_win_wsize)
FN_TODO(fn_win_csize)
FN_TODO(fn_call)
