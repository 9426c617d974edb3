#include "gadgets/gjlazy.h"

#include <dlfcn.h>
#include <mutex>

#include "base/kovlog.h"

namespace {
// The run-time names the build found (the libraries' sonames).
const char *const lib_names[GJ_LIBS] = {KOV_SONAME_PNG, KOV_SONAME_JPEG, KOV_SONAME_GIF, KOV_SONAME_FREETYPE,
                                        KOV_SONAME_FONTCONFIG};
void *handles[GJ_LIBS];
std::once_flag opened[GJ_LIBS];
}   // namespace

bool gj_lib_open(GJ_LIB lib)
{
    std::call_once(opened[lib], [lib] {
        handles[lib] = dlopen(lib_names[lib], RTLD_NOW | RTLD_LOCAL);
        if (!handles[lib]) KOV_LOG("%s が開けない: %s", lib_names[lib], dlerror());
    });
    return handles[lib] != nullptr;
}

void *gj_lib_sym(GJ_LIB lib, const char *name)
{
    void *p = gj_lib_open(lib) ? dlsym(handles[lib], name) : nullptr;
    if (!p) KOV_LOG("%s: %s がない", lib_names[lib], name);
    return p;
}
