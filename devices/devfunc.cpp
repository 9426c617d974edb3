#include "devices/devfunc.h"

#include "builtins/func.h"
#include "devices/devclock.h"
#include "devices/devcomp.h"
#include "devices/devdoor.h"
#include "devices/devmci.h"
#include "devices/devsock.h"
#include "devices/devtimer.h"
#include "script/scr.h"

namespace {

// sound(file): played through the application's device doors, so that it sounds where a window
// has a player and fails honestly where none is.
int fn_sound_dev(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *f = c.arg[0].s ? c.arg[0].s : "";
    r.L = dev_doors_of(dynamic_cast<WP_EVENTS *>(&s)).dev_play(f) == 0 ? 0 : -1;
    if (r.L) s.scr_set_FNCERR("%s(%s):失敗", s.scr_fn_name, f);
    return 0;
}

const FN_BIND dev_binds[] = {
    {"com_init", fn_com_init}, {"com_set", fn_com_set}, {"com_stat", fn_com_stat},
    {"dllcall", fn_dllcallX}, {"dllpcall", fn_dllcallX},
    {"sound", fn_sound_dev},
};

} // namespace

void dev_install()
{
    FUNC_U::fn_bind(dev_binds);
    wp_kind_add("wpTNTIMER", [](WP_EVENTS *ev) -> WP_PART * { return new DEV_TIMER(ev); });
    wp_kind_add("wpTNCLOCK", [](WP_EVENTS *ev) -> WP_PART * { return new DEV_CLOCK(ev); });
    wp_kind_add("wpTNMCI", [](WP_EVENTS *ev) -> WP_PART * { return new DEV_MCI(ev); });
    dev_com_install();
    dev_comp_install();
    dev_sock_install();
}
