#include "editor/edset.h"

// Twin: enum ED_SETID (same order).
const kov::PROF_KEY ed_settings[ED_SET_COUNT] = {
    {"ted", "FontSiz", 16, 6, 96},
    {"ted", "ColSize", 80, 20, 400},
    {"ted", "RowSize", 25, 3, 100},
    {"ted", "FulSize", 0, 0, 1},
    {"ted", "ToolBar", 1, 0, 1},
    {"ted", "StatBar", 1, 0, 1},
    {"ted", "ScrollBar", 1, 0, 1},
    {"ted", "MenuBar", 1, 0, 1},
    {"ted", "Revers", 0, 0, 1},
    {"ted", "DispEOF", 1, 0, 1},
    {"ted", "DispNOL", 1, 0, 1},
    {"ted", "DispEOL", 1, 0, 1},
    {"ted", "DispTAB", 0, 0, 1},
    {"ted", "Indent", 1, 0, 1},
    {"ted", "TabWid4", 0, 0, 1},
    {"ted", "LineNum", 0, 0, 1},   // line numbers in a margin; off keeps the plain look
};

ED_SET::ED_SET()
{
    for (int i = 0; i < ED_SET_COUNT; i++) v[i] = ed_settings[i].def;
}

int ED_SET::set_load(kov::PROF_U *prof)
{
    pf = prof;
    if (!pf) return 0;
    int rc = pf->prof_fill(ed_settings, ED_SET_COUNT);
    for (int i = 0; i < ED_SET_COUNT; i++) {
        const kov::PROF_KEY &k = ed_settings[i];
        v[i] = pf->prof_read_int(k.sec, k.key, k.def, k.min, k.max);
    }
    return rc;
}

int ED_SET::put(ED_SETID id, int value)
{
    const kov::PROF_KEY &k = ed_settings[id];
    v[id] = kov::prof_clamp(value, k.min, k.max);
    if (pf) pf->prof_write_int(k.sec, k.key, k.def, k.min, k.max, v[id]);
    return v[id];
}
