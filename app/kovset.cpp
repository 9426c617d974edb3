#include "app/kovset.h"

// Twin: enum KOV_SETID (same order).
const KOV_SETTING kov_settings[SET_COUNT] = {
    {"cse", "DEBUG", 0, 0, 1},
    {"cse", "FULSIZE", 0, 0, 1},
    {"cse", "DIAMOND", 0, 0, 1},
    {"cse", "FONTSIZE", 16, 6, 96},
    {"cse", "TOOLBAR", 1, 0, 1},
    {"cse", "STATBAR", 1, 0, 1},
    {"cse", "ROWNAME", 1, 0, 1},
    {"cse", "COLNAME", 1, 0, 1},
    {"cse", "HSCROLL", 1, 0, 1},
    {"cse", "VSCROLL", 1, 0, 1},
    {"csv", "RNWID", 5, 1, 100},
    {"cse", "WIDEFIX", 0, 0, 1},
    {"cse", "WPBEEP", 0, 0, 1},
    {"cse", "DSPSIZX", 640, 552, 7992},
    {"cse", "DSPSIZY", 400, 48, 7992},
};
