#include "devices/devfunc.h"

#include "builtins/func.h"
#include "devices/devcomp.h"
#include "devices/devsock.h"

namespace {

const FN_BIND dev_binds[] = {
    {"com_init", fn_com_init}, {"com_set", fn_com_set}, {"com_stat", fn_com_stat},
    {"dllcall", fn_dllcallX}, {"dllpcall", fn_dllcallX},
};

} // namespace

void dev_install()
{
    FUNC_U::fn_bind(dev_binds);
    dev_com_install();
    dev_comp_install();
    dev_sock_install();
}
