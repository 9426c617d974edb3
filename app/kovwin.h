// The entry of the desktop window, which the window layer provides (the command line links it).
#pragma once

struct KOV_WINOPT {
    const char *exe;          // the program's path (settings and log beside it)
    const char *file;         // the sheet or script to open, or nullptr
    const char *shot;         // render the window into this PNG file and end, or nullptr
    int width, height;        // window size for the picture (0: the settings')
};

// Runs the window until it closes: the exit status. -2 when no window can be opened (no
// display), so that the caller can run without one.
int kov_window_main(int argc, char **argv, const KOV_WINOPT &opt);
