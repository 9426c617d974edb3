// Text drawn into a gadget's picture without a window: the system's Japanese fixed-pitch face
// (found through fontconfig) rendered with FreeType, so that a chart saved by a script run from
// the command line carries its labels as it does in the window.
#pragma once
#include "gadgets/gjpixel.h"

// Shift-JIS text with its top-left at x, y at px pixels high; colour and back 0xRRGGBB, or -1
// for none. 0, or -1 when no face could be loaded (nothing drawn then).
int gj_font_text(GJ_PIXELS &pic, int x, int y, const char *sjis, int color, int back, int px);
