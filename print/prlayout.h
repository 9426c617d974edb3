// The sheet's print layout: the "prn" settings, the fitting of the character size to the page,
// the cutting of a region into pages (column bands across, row bands down) and the print job
// that counts the pages and prints them once per copy. No window: the printer is a door.
#pragma once
#include <ctime>
#include <string>
#include <vector>

#include "base/kovprof.h"
#include "print/prdoor.h"
#include "sheet/csv.h"

class SYS_HOST;

// The "prn" section of the settings file, in its order.
struct PRN_SET {
    int linespc = 130;   // line pitch, % of the character height
    int leftmgn = 5, rightmgn = 5;   // characters
    int upmgn = 2, downmgn = 1;      // lines
    int pnumlin = 2;     // lines kept for the page-number line
    int mincol = 80;     // least characters a printed line holds
};
extern const kov::PROF_KEY prn_keys[7];
// Reads the settings (missing keys written back, values clamped).
PRN_SET prn_read_set(kov::PROF_U &prof);

// What the fitting found.
struct PRN_LAYOUT {
    int fsizy = 0;         // font height in dots
    int cw = 0, ch = 0;    // character cell
    int pitch = 0;         // line pitch in dots
    int left = 0, top = 0; // margins in dots
    int xn = 0, yn = 0;    // characters per line, lines per page
    int pw = 0, ph = 0;    // page in dots
};

// The fitting: 0 with the layout, else -1 with the message to show ("" none).
int prn_fit(PRN_PRINTER &p, const PRN_PAGE &page, const PRN_SET &set, bool numbered, PRN_LAYOUT &lay,
            std::string &msg);

// A page: the columns x1..x2 and rows y1..y2 it holds.
using PRN_PAGES = std::vector<KOV_RECT>;
// The region cut into pages: column bands of at most xn characters (a column wider than a line
// gets a band of its own and is cut), each band cut into row bands of yn rows, down then across;
// a page with no used cell is left out.
PRN_PAGES prn_paginate(const CSV_U &sheet, const KOV_RECT &region, const PRN_LAYOUT &lay);

// Draws one page: cell backgrounds, display texts (numbers to the right), the cells' top and
// left lines; with numbered pages the page-number line at the bottom.
struct PRN_FOOT {
    bool numbered = true;
    std::string name;      // the sheet's file name
    std::string program;   // the program's name
    time_t when = 0;
};
void prn_draw_page(PRN_PRINTER &p, const CSV_U &sheet, const PRN_LAYOUT &lay, const KOV_RECT &cells, int page,
                   int pages, const PRN_FOOT &foot);
// The page-number line: "%d/%d %s %04d/%02d/%02d %02d:%02d %s".
std::string prn_foot_line(int page, int pages, const PRN_FOOT &foot);

// The print job over a region (checked by csv_chk_space first): the printer's page and copies,
// the fitting, the pages counted, each copy printed whole after the other. 0 when a page was
// printed, -1 otherwise; messages are shown through the host.
int prn_sheet(const CSV_U &sheet, KOV_RECT region, PRN_PRINTER &p, const PRN_SET &set, const PRN_FOOT &foot,
              SYS_HOST &host);
