// The terminal base of the device parts that talk bytes (a serial port, a socket): the receive
// buffer and its lines, the command mode, the script commands that receive and send, and the
// screen the part shows. A kind adds only how bytes go out (term_send_byte) and how it starts.
#pragma once
#include "gadgets/wpdoor.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int DEV_RECV_MAX = 4096;      // bytes kept for lines and RECVB
constexpr int DEV_LINEEND_MAX = 64;     // bytes of a line end
constexpr int DEV_FILE_MAX = 1024;      // a dropped file must be smaller

// What the terminal shows: rows of cells with their colours and a cursor. Text goes in at the
// cursor; LF starts the next row at its first column, CR goes back to the first column, BS one
// column left, TAB to the next multiple of 8. Below the last row the screen scrolls up.
class DEV_SCREEN {
public:
    struct CELL {
        char ch = ' ';
        int fg = 0x000000, bg = 0xFFFFFF;
    };
    DEV_SCREEN() { resize(80, 24); }
    // New size, the text kept from the top-left corner.
    void resize(int cols, int rows);
    void put(const char *text, size_t n);
    void put(const std::string &t) { put(t.data(), t.size()); }
    void clear();                       // blank in the back colour, cursor home
    void clear_eol();                   // blank from the cursor to the row's end
    void go(int col, int row);          // clamped to the screen
    std::string row_text(int row) const;   // the row's bytes, trailing blanks dropped
    const CELL &at(int col, int row) const { return cells[size_t(row) * size_t(cols) + size_t(col)]; }
    int cols = 0, rows = 0;
    int cx = 0, cy = 0;                 // cursor
    int fg = 0x000000, bg = 0xFFFFFF;   // colours of new text
    int font = 14;                      // font height in pixels (TFONT)
    long changes = 0;                   // counts every change (views repaint on a new count)

private:
    std::vector<CELL> cells;
    void newline();
    void blank(int row, int from);
};

// The part of a terminal device.
class DEV_TERM : public WP_PART {
public:
    using WP_PART::WP_PART;
    bool wp_drawable() const override { return true; }
    // RECVS, RECVB, SENDS, SENDB and the terminal's drawing commands, then the common ones.
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;

    // One byte out on the device: 0, or -1 when it could not go.
    virtual int term_send_byte(unsigned char b) = 0;

    // The line end from the formula: the escapes \n, \r, \t, \\ and \xHH read, 64 bytes kept.
    void term_set_line_end(const char *text);
    // The receive buffer, command mode and pending line break emptied.
    void term_reset();
    // Received bytes: shown, stored (the oldest dropped beyond 4096) and, out of command mode,
    // a recalculation requested when the buffer ends with the line end.
    void term_receive(const char *bytes, size_t n);
    // The oldest complete line (empty ones skipped) without its zero bytes; "" when none.
    std::string term_take_line();
    // The formula's value: a line, or the empty value in command mode.
    void term_result();
    // A message of the device on the screen.
    void term_print(const char *text);
    void term_printf(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    // A key typed into the part's view: sent only when the options say "FOCUS".
    int term_key(const char *bytes, size_t n);
    // A file dropped on the part, sent when smaller than 1024 bytes: 0 / -1 (with a message and
    // a beep).
    int term_send_file(const char *path);
    // The screen sized to the part's client area by the nominal font (a view may fit it to
    // its real font afterwards).
    void term_fit();
    bool term_focus() const { return wp_has_keyword(wp_opt, "FOCUS"); }

    std::string line_end;
    std::string recv;             // the receive buffer
    bool cmd_mode = false;        // a script took bytes by RECVS or RECVB
    bool break_pending = false;   // CR or LF seen, the line break waits for the next shown byte
    DEV_SCREEN screen;

    // How a received byte shows: "" (0, CR, LF), "^A" for the control bytes, else itself.
    static std::string term_shown(unsigned char b);

private:
    void show_byte(unsigned char b);
    int term_draw_command(const char *cmd, VAL_U *const *args, int n);
    void beep();
};
