// The libraries a script called into (dllcall), by the name the script gave.
#pragma once
#include <string>
#include <vector>

// Each name is loaded once and stays loaded until the cache ends with its interpreter, or an
// empty name unloads everything: a library keeps its own state (counters, buffers it handed
// out) from one call to the next, as a script expects of a library it "opened".
class SCR_DLLS {
public:
    SCR_DLLS() = default;
    ~SCR_DLLS() { dll_load(""); }
    SCR_DLLS(const SCR_DLLS &) = delete;
    SCR_DLLS &operator=(const SCR_DLLS &) = delete;

    // The handle of a library as the dynamic linker takes its name (a path, or a name such as
    // "libm.so.6" found along the library path); a name ending in ".dll" that does not load is
    // tried with ".so" in its place. nullptr when it cannot be loaded; "" or nullptr unloads all.
    void *dll_load(const char *name);
    size_t dll_count() const { return dlls.size(); }

private:
    struct DLL {
        std::string name;
        void *handle;
    };
    std::vector<DLL> dlls;   // newest last
};
