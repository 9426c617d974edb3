#include "devices/devfunc.h"

#include "builtins/func.h"
#include "devices/devsock.h"

namespace {

// fn_late until the serial ports land: an integer result is then -1, never a false success.
const FN_BIND dev_binds[] = {
    {"com_init", fn_late}, {"com_set", fn_late}, {"com_stat", fn_late},
    {"dllcall", fn_dllcallX}, {"dllpcall", fn_dllcallX},
};

} // namespace

void dev_install()
{
    FUNC_U::fn_bind(dev_binds);
    dev_sock_install();
}
