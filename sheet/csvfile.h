// Sheet and CSV files: the two-pass reader, the writer (full format or values only), save by
// name, and the clipboard transfer of regions (copy, paste with tiling, move).
// One text format serves all three: comma-separated lines; what plain CSV cannot say travels in
// fields framed by STX (0x02) and ETX (0x03). Texts are Shift-JIS bytes, copied, never converted,
// except that a whole-sheet load takes a UTF-8 file (kov::sj_guess) and a save writes the
// encoding the sheet came in (csv_enc); the clipboard's transfer files are always Shift-JIS.
// Files are written with CR LF line ends; CR LF and LF are both read as a line end.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

#include "base/kovtext.h"
#include "sheet/csv.h"

constexpr char CSV_STX = 0x02;
constexpr char CSV_ETX = 0x03;
// Longest field kept while reading (bytes beyond are dropped).
constexpr int CSV_FLD_MAX = 16384;
// Longest text value written (bytes).
constexpr int CSV_TXT_MAX = 4095;

// The cells a load filled: x1/y1 = "FOP_XOFF"/"FOP_YOFF", x2/y2 = origin + size - 1;
// all four CSV_NOCELL when the file held no cells. opt = 1 when it had option lines.
constexpr int CSV_NOCELL = INT32_MIN;
struct CSV_LOADED {
    int x1, y1, x2, y2;
    int opt;
};

// A file written whole or not at all: the bytes go to a temporary file in the same folder, which
// is flushed to disk and renamed over the name once complete. On any failure the old file stays.
// A symbolic link is written through (a dangling one creates its target); an existing file
// without write permission is refused as a failed write; temporary files that killed saves of
// the same name left behind are removed (kov::save_tmp_open).
class CSV_FOUT_U {
public:
    CSV_FOUT_U() = default;
    ~CSV_FOUT_U();
    CSV_FOUT_U(const CSV_FOUT_U &) = delete;
    CSV_FOUT_U &operator=(const CSV_FOUT_U &) = delete;

    // 0 / -1 (cannot create). sync 0: a scratch file that need not reach the disk first.
    int fout_open(const char *name, int sync = 1);
    void fout_put(const char *s, size_t n);
    void fout_puts(const char *s);
    void fout_putc(char c)
    {
        if (fout_n == sizeof fout_buf) fout_flush();
        fout_buf[fout_n++] = c;
    }
    void fout_eol() { fout_put("\r\n", 2); }
    int fout_commit();                           // 0 / -1 (write failed; old file kept)
    void fout_abort();                           // drop the temporary file

private:
    void fout_flush();
    int fout_fd = -1;
    int fout_err = 0;
    int fout_sync = 1;
    std::string fout_name;   // final name (a symbolic link resolved)
    std::string fout_tmp;
    size_t fout_n = 0;
    char fout_buf[65536];
};

struct CSV_FIELD;
struct CSV_PASS2;

// The file layer of one sheet. The cell store stays the caller's; window state, clipboard and
// the script editor's text come from the store's host.
class CSVFILE_U {
public:
    explicit CSVFILE_U(CSV_U &csv);
    ~CSVFILE_U();
    CSVFILE_U(const CSVFILE_U &) = delete;
    CSVFILE_U &operator=(const CSVFILE_U &) = delete;

    // The system's reason of the last failed load or save (0 when there is none to tell).
    int csv_err = 0;
    // Size of an empty sheet (a missing file, a failed load) and the least size after a load.
    int csv_defxs = 256;
    int csv_defys = 10000;
    // Encoding (kov::SJ_ENC_*) the last whole-sheet load found, and the one a save writes; the
    // script file keeps its own.
    int csv_enc = kov::SJ_ENC_SJIS;
    int csv_scr_enc = kov::SJ_ENC_SJIS;
    // What the last load of a UTF-8 file could not hold in Shift-JIS (count 0: nothing); the
    // load tells the user and the cells hold '?' there.
    kov::SJ_LOST csv_lost;
    // A save returns once its file is on the disk; 0 leaves that to the system (a conversion,
    // whose input stays, can simply be run again). Whole or nothing holds either way.
    int csv_sync = 1;

    // --- reading ---
    // Load a file; region nullptr = the whole sheet (the store is created anew), else into the
    // open store at the region's origin. A missing file gives an empty sheet of the default
    // size (whole-sheet load only). out may be null.
    int csv_fload(CSV_LOADED *out, const char *name, const CSV_RECT *region);
    // The two-pass reader on a file.
    int csv_fload_sub(CSV_LOADED *out, const char *name, const CSV_RECT *region);
    // The same reader on bytes in memory.
    int csv_fload_mem(CSV_LOADED *out, const char *data, size_t len, const CSV_RECT *region);

    // --- writing ---
    // Save with the script file (whole sheet only, through the host's editor text).
    int csv_fsave(const char *name, const CSV_RECT *region);
    // Mode from the extension: "csv", "txt", "$$t" values only, else the full format (".kov"
    // appended to a name without extension).
    int csv_save_name(const char *name, const CSV_RECT *region);
    // The writer: mask 1 values, 2 formulas, 4 attributes; any bit beyond 1 writes the options.
    int csv_fwrite(const char *name, int mask, const CSV_RECT *region);
    // The same text into a string (tests, the clipboard).
    int csv_fwrite_mem(std::string &out, int mask, const CSV_RECT *region);

    // --- clipboard transfer ("$$t" values only, "$$b" full format) ---
    int csv_clip_copy(const CSV_RECT *region, const char *kind);
    int csv_clip_paste(const CSV_RECT *target, int noadj);
    int csv_clip_move(const CSV_RECT *target);
    // Full name of a transfer file of that kind.
    std::string csv_tmp_name(const char *kind);

private:
    CSV_U &csv;

    template <class SRC> int csv_read(SRC &src, CSV_LOADED *out, const CSV_RECT *region);
    template <class SRC> int csv_pass2(SRC &src, CSV_FIELD &f, CSV_PASS2 &p);
    void csv_clear_area(int x0, int y0, long long xs, long long ys, int mask);
    void csv_apply_opt(CSV_PASS2 &p, int op, int col, const char *text);
    int csv_store(CSV_PASS2 &p, int x, int y, char *field);
    int csv_store_attr(int x, int y, const int *attr);
    int csv_store_line(CSV_PASS2 &p, int y);
    template <class OUT> int csv_write(OUT &out, int mask, const CSV_RECT *region);
    template <class OUT> void csv_write_opts(OUT &out, const CSV_RECT *region);
    template <class OUT> void csv_wcell(OUT &out, int x, int y, int mask);
    int csv_save_script();
    int csv_empty_sheet();
    void csv_apply_ws(int whole);
    int csv_tile(const CSV_RECT &t, const CSV_LOADED &ld);
    int csv_copy_block(int tx, int ty, int sx, int sy, int w, int h, int mask);
    std::string wtext;   // one field being written
    CSV_WINST ws_read;   // window state of the last whole-sheet load
    int ws_defer = 0;    // csv_fload applies it once the sheet has its final size
    int scratch = 0;     // writing a transfer file: no flush to disk
};

// Opens a file for reading, refusing at once anything but a regular file (then errno EINVAL):
// a pipe would block the open and never end.
FILE *csv_fopen_read(const char *name);

// Pieces of the format, pure (tests and the fuzz target use them directly).
// Escape a text for a value or formula field: '"', ',', '\\' and bytes below 0x20 as "\x%02X";
// a double-byte character is copied whole. At most max bytes of src are taken.
void csv_escape(std::string &out, const char *src, size_t max);
// Undo the escapes of a value text or formula (the script literal rules, double-byte characters
// copied, "" as one '"' when dq is set). s is modified; the result is NUL-terminated in out.
void csv_unescape(std::string &out, const char *s, int dq);
// Whether s reads completely as a decimal number (no hex, inf or nan); d gets the value.
int csv_dec_number(const char *s, double &d);
// The name is a sheet file's (extension "kov" in any case): UTF-8 only with a byte-order mark.
bool csv_is_sheet_name(const char *name);

// Values-only number text: 16 significant digits ("%.16g"), locale-independent.
int csv_num_text(char *buf, double d);   // buf >= 32 bytes; returns the length
