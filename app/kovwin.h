// The entry of the desktop window. The window layer is a module of its own (kovash-window.so,
// with Qt), loaded only when a window is to be opened: a run without one never loads Qt.
#pragma once

struct KOV_WINOPT {
    const char *exe;          // the program's path (settings and log beside it)
    const char *file;         // the sheet or script to open, or nullptr
    const char *shot;         // render the window into this PNG file and end, or nullptr
    int width, height;        // window size for the picture (0: the settings')
    const char *pdf = nullptr;      // print the sheet into this PDF file and end, or nullptr
    const char *region = nullptr;   // the cells to print ("R0C0:R20C5"), nullptr every used cell
};

// Runs the window until it closes: the exit status. -2 when no window can be opened (no
// display), so that the caller can run without one. The module defines it with C linkage.
extern "C" int kov_window_main(int argc, char **argv, const KOV_WINOPT &opt);
using KOV_WINMAIN = int (*)(int argc, char **argv, const KOV_WINOPT &opt);

// The window's entry from the module beside the program (or the installed one); nullptr with
// the reason on stderr when it cannot be loaded.
KOV_WINMAIN kov_window_load(const char *exe);
