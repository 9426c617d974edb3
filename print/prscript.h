// The script's print layout: the "tpr" settings, script lines cut into printed rows (TABs
// expanded, long lines wrapped on character boundaries, each row with its line number), and the
// job printing them page by page, each copy whole. No window: the printer is a door.
#pragma once
#include <string>
#include <vector>

#include "base/kovprof.h"
#include "print/prdoor.h"

// The "tpr" section of the settings file, in its order.
struct PRN_TSET {
    int tabwid = 8;                  // TAB stops
    int leftmgn = 8, rightmgn = 8;   // characters
    int upmgn = 2, downmgn = 2;      // lines
    int linespc = 150;               // line pitch, % of the character height
    int lnumspc = 2;                 // blanks between the line number and the text
    int mincol = 80;                 // least characters of text a printed row holds
};
extern const kov::PROF_KEY prn_tkeys[8];
// Reads the settings (missing keys written back, values clamped).
PRN_TSET prn_read_tset(kov::PROF_U &prof);

// A printed row: its script line (counted from 1; 0 continues the row before) and its text.
struct PRN_TROW {
    long line;
    std::string text;
};
// The text (LF lines, Shift-JIS) as rows of at most width columns; a double-byte character is
// two columns and never cut; a TAB advances to the next multiple of tab.
std::vector<PRN_TROW> prn_script_rows(const std::string &text, int width, int tab);

// The print job: 0 when the text was printed, -1 otherwise with msg what to show ("" nothing:
// the user cancelled or there is no printer).
int prn_script(PRN_PRINTER &p, const char *title, const std::string &text, const PRN_TSET &set, std::string &msg);
