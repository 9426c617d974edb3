// The settings of the program: one table row per key of the settings file.
#pragma once
#include "base/kovprof.h"

// Index of a row of kov_settings; keep in the order of the table (its twin).
enum KOV_SETID {
    SET_DEBUG, SET_FULSIZE, SET_DIAMOND, SET_FONTSIZE, SET_TOOLBAR, SET_STATBAR, SET_ROWNAME,
    SET_COLNAME, SET_HSCROLL, SET_VSCROLL, SET_RNWID, SET_WIDEFIX, SET_WPBEEP, SET_DSPSIZX,
    SET_DSPSIZY, SET_COUNT
};

using KOV_SETTING = kov::PROF_KEY;

extern const KOV_SETTING kov_settings[SET_COUNT];

// Window display flag bits that the settings switch (the window framework's flag word).
enum {
    DSP_COLNAME = 1u << 0, DSP_ROWNAME = 1u << 1, DSP_VSCROLL = 1u << 26,
    DSP_HSCROLL = 1u << 27, DSP_TOOLBAR = 1u << 28, DSP_STATBAR = 1u << 30
};
