// The program without a window (the sanitizer build): every run takes the command line's host.
#include "app/kovwin.h"

int kov_window_main(int, char **, const KOV_WINOPT &) { return -2; }
