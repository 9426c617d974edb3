// The printer door: what the print layout draws a page on. The window hands out a printer or a
// PDF writer; where none is, opening fails and printing says so.
#pragma once

// A page's size and margins in tenths of a millimetre, and the resolution of the device.
struct PRN_PAGE {
    int width, height;
    int dpi;
};

class PRN_PRINTER {
public:
    virtual ~PRN_PRINTER() = default;
    // Starts a document of copies; the page's geometry. 0 / -1 (no printer, cancelled).
    virtual int prn_begin(const char *title, int copies, PRN_PAGE &page) = 0;
    virtual int prn_new_page() = 0;
    // Text (Shift-JIS) with its top-left at (x, y) in device dots, height h, colour 0xRRGGBB.
    virtual void prn_text(int x, int y, int h, const char *text, unsigned colour) = 0;
    virtual void prn_line(int x1, int y1, int x2, int y2, int width) = 0;
    virtual void prn_fill(int x, int y, int w, int h, unsigned colour) = 0;
    virtual int prn_end() = 0;   // 0 / -1
};

// Where nothing prints.
class PRN_NONE final : public PRN_PRINTER {
public:
    int prn_begin(const char *, int, PRN_PAGE &) override { return -1; }
    int prn_new_page() override { return -1; }
    void prn_text(int, int, int, const char *, unsigned) override {}
    void prn_line(int, int, int, int, int) override {}
    void prn_fill(int, int, int, int, unsigned) override {}
    int prn_end() override { return -1; }
};
