// The printer door: what the print layout draws pages on. The window hands out the platform's
// printer (its dialog gives the page and the copies) or a PDF writer; where none is, opening
// fails and printing says so. Positions and sizes are in the printer's units (points for the
// window's printers), over its printable area.
#pragma once

struct PRN_PAGE {
    int width = 0, height = 0;   // printable area
};

class PRN_PRINTER {
public:
    virtual ~PRN_PRINTER() = default;
    // Starts a job: the page and the copies the user chose. 0, or -1 (no printer, cancelled).
    virtual int prn_begin(const char *title, PRN_PAGE &page, int &copies) = 0;
    // Height of the printer's default font (the fitting starts there); 0 unknown.
    virtual int prn_font_height() = 0;
    // Width and height of a character cell of the fixed-pitch face at font height h: 0, or -1
    // when the printer cannot tell.
    virtual int prn_csize(int h, int &cw, int &ch) = 0;
    virtual int prn_new_page() = 0;   // 0 / -1; the first page needs none
    // Shift-JIS text with its top-left at (x, y), font height h, colour 0xRRGGBB.
    virtual void prn_text(int x, int y, int h, const char *text, unsigned colour) = 0;
    virtual void prn_line(int x1, int y1, int x2, int y2, int width) = 0;
    virtual void prn_fill(int x, int y, int w, int h, unsigned colour) = 0;
    virtual int prn_end() = 0;   // 0 / -1
    // Ends a job without printing anything (nothing to print, a message shown).
    virtual void prn_abort() = 0;
};

// Where nothing prints.
class PRN_NONE final : public PRN_PRINTER {
public:
    int prn_begin(const char *, PRN_PAGE &, int &) override { return -1; }
    int prn_font_height() override { return 0; }
    int prn_csize(int, int &, int &) override { return -1; }
    int prn_new_page() override { return -1; }
    void prn_text(int, int, int, const char *, unsigned) override {}
    void prn_line(int, int, int, int, int) override {}
    void prn_fill(int, int, int, int, unsigned) override {}
    int prn_end() override { return -1; }
    void prn_abort() override {}
};
