// Libraries a run may never need (the picture codecs, the fonts) open at their first use: a
// script's start neither maps nor relocates them.
#pragma once

enum GJ_LIB { GJ_PNG, GJ_JPEG, GJ_GIF, GJ_FREETYPE, GJ_FONTCONFIG, GJ_LIBS };

// Whether the library is there (opened at the first ask; a missing one is logged once).
bool gj_lib_open(GJ_LIB lib);
// A function of an opened library, nullptr when it is not there.
void *gj_lib_sym(GJ_LIB lib, const char *name);

// The function fn of lib, typed by its header's declaration (looked up once per call site);
// only after gj_lib_open(lib) said yes.
#define GJ_LAZY(lib, fn) \
    ([] { \
        static const auto p = reinterpret_cast<decltype(&::fn)>(gj_lib_sym(lib, #fn)); \
        return p; \
    }())
