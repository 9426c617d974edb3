// The script editor's settings: section "ted" of the settings file (window, display marks,
// editing; the printing of the text has its "tpr" section in print/prscript.h). Each key is read once with its default
// written back when missing and clamped to its range; a switch writes its new value back.
#pragma once
#include "base/kovprof.h"

// Rows of ed_settings, in its order.
enum ED_SETID {
    TED_FONTSIZ, TED_COLSIZE, TED_ROWSIZE, TED_FULSIZE, TED_TOOLBAR, TED_STATBAR, TED_SCROLLBAR,
    TED_MENUBAR, TED_REVERS, TED_DISPEOF, TED_DISPNOL, TED_DISPEOL, TED_DISPTAB, TED_INDENT,
    TED_TABWID4, TED_LINENUM, ED_SET_COUNT
};

extern const kov::PROF_KEY ed_settings[ED_SET_COUNT];

// The values as they are now. Without a settings file (prof nullptr) every switch keeps its
// value in memory only.
class ED_SET {
public:
    ED_SET();
    // Reads every key (missing ones written back in one rewrite). 0 / -1 when the file failed.
    int set_load(kov::PROF_U *prof);
    int get(ED_SETID id) const { return v[id]; }
    // Clamps value to the key's range, keeps it and writes it back; the value kept.
    int put(ED_SETID id, int value);
    int flip(ED_SETID id) { return put(id, !v[id]); }
    int tab_width() const { return v[TED_TABWID4] ? 4 : 8; }

private:
    int v[ED_SET_COUNT];
    kov::PROF_U *pf = nullptr;
};
