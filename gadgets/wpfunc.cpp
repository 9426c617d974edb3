#include "gadgets/wpfunc.h"

#include "builtins/func.h"
#include "gadgets/wpkinds.h"

namespace {

// Every name of the table this layer answers; fn_late until its handler lands.
const FN_BIND wp_binds[] = {
    {"wp", fn_late}, {"wpBACK", fn_late}, {"wpTNBOARD", fn_late}, {"wpPUSH", fn_late},
    {"wpTNLAMP", fn_late}, {"wpTPUTS", fn_late}, {"wpPUSHLOCK", fn_late}, {"wpTNCLOCK", fn_late},
    {"wpCHECK", fn_late}, {"wpTNTIMER", fn_late}, {"wpHSCROLL", fn_late}, {"wpVSCROLL", fn_late},
    {"wpICOMBO", fn_late}, {"wpILIST", fn_late}, {"wpSCOMBO", fn_late}, {"wpECOMBO", fn_late},
    {"wpTNGRAPH", fn_late}, {"wpTNSHADOW", fn_late}, {"wpVGETD", fn_late}, {"wpHGETD", fn_late},
    {"wpTNCOM", fn_late}, {"wpTNSOCK", fn_late}, {"wpTNMCI", fn_late},
    {"win_open", fn_late}, {"win_close", fn_late}, {"win_active", fn_late}, {"win_style", fn_late},
    {"win_title", fn_late}, {"win_pos", fn_late}, {"win_wsize", fn_late}, {"win_csize", fn_late},
    {"call", fn_late},
};

} // namespace

void wp_install()
{
    FUNC_U::fn_bind(wp_binds);
}
