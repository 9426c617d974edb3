#include "script/scrdll.h"

#include <cstring>
#include <dlfcn.h>
#include <new>
#include <strings.h>

#include "base/kovlog.h"

namespace {

// Scripts written for the Windows version name "NAME.dll": the same library built here is
// "NAME.so".
void *dll_open(const char *name)
{
    if (void *h = dlopen(name, RTLD_NOW | RTLD_LOCAL)) return h;
    size_t n = strlen(name);
    if (n < 4 || strcasecmp(name + n - 4, ".dll") != 0) return nullptr;
    std::string so(name, n - 4);
    so += ".so";
    return dlopen(so.c_str(), RTLD_NOW | RTLD_LOCAL);
}

} // namespace

void *SCR_DLLS::dll_load(const char *name)
{
    if (!name || !*name) {
        while (!dlls.empty()) {
            dlclose(dlls.back().handle);
            dlls.pop_back();
        }
        return nullptr;
    }
    for (const DLL &d : dlls)
        if (d.name == name) return d.handle;
    void *h = dll_open(name);
    if (!h) {
        const char *why = dlerror();
        KOV_LOG("%s", why ? why : name);
        return nullptr;
    }
    try {
        dlls.push_back({name, h});
    } catch (const std::bad_alloc &) {
        dlclose(h);
        return nullptr;
    }
    return h;
}
