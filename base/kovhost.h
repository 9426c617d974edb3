// KOV_HOST: the one door from the program's core (cell store, interpreter, application object)
// to what surrounds it: the window, the event loop, timers, the clock, the clipboard and the
// script editor. The desktop window, the command line and the tests each implement it; the
// methods' own bodies are the behaviour without a window, so a host overrides only what it has.
// Texts are Shift-JIS; a host converts them at its own edge.
#pragma once
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

class BASE_GJ;

// A rectangle of cells (column x, row y), inclusive.
struct KOV_RECT {
    int x1, y1, x2, y2;
};

// Window state carried by a sheet file, in the order of its option lines ("FOP_DSPPOSX" ..
// "FOP_FULLSIZ"); -1 means not given, or leave alone. Twins: csv_ws_name in csvfread.cpp.
enum {
    CSV_WS_DSPPOSX, CSV_WS_DSPPOSY,   // top-left visible cell
    CSV_WS_CSRPOSX, CSV_WS_CSRPOSY,   // cursor cell
    CSV_WS_DSPSIZX, CSV_WS_DSPSIZY,   // window size in pixels
    CSV_WS_FONTSIZ,                   // font height
    CSV_WS_TOOLBAR, CSV_WS_STATBAR, CSV_WS_ROWNAME, CSV_WS_COLNAME, CSV_WS_HSCROLL, CSV_WS_VSCROLL,
    CSV_WS_FULLSIZ,                   // maximised
    CSV_WS_COUNT
};
struct CSV_WINST {
    int v[CSV_WS_COUNT];
};
void csv_winst_clear(CSV_WINST &ws);   // every value -1

// Limits of the window state: font height and the window size when not maximised (pixels).
constexpr int KOV_FONT_MIN = 6, KOV_FONT_MAX = 96;
constexpr int KOV_WIN_MINX = 552, KOV_WIN_MINY = 48, KOV_WIN_MAX = 7992;
// Values outside their range are clamped; 0/1 switches other than 0 and 1 become -1 (left alone).
void kov_winst_clamp(CSV_WINST &ws);

// The reason of a file failure that is not the system's: the name is no regular file.
constexpr int KOV_ENOTREG = -1;

// The terminal's line of a file failure: the name as it is, the message in UTF-8, ": reason".
void kov_print_file_err(FILE *out, const char *name, const char *msg, int err);

// Answers of a message box and its kinds (the buttons shown).
enum { KOV_IDOK = 1, KOV_IDCANCEL = 2, KOV_IDYES = 6, KOV_IDNO = 7 };
enum { KOV_MB_OK = 0, KOV_MB_OKCANCEL = 1, KOV_MB_YESNOCANCEL = 3, KOV_MB_YESNO = 4 };

// Statement hook codes of a running script.
constexpr int SCRCB_ONESTEP = 0x40000001;
constexpr int SCRCB_PAUSE = 0x40000002;

// What the host calls back in the application: the repeating timer, posted notices and
// recalculation requests of the store. Served on the one thread, never inside another host call
// except host_pump.
class KOV_EVENTS {
public:
    virtual ~KOV_EVENTS();
    virtual void kov_tick() = 0;                            // the repeating timer fired
    virtual void kov_notify(int code, intptr_t arg) = 0;    // a posted notice is served
    virtual int kov_recalc(const KOV_RECT *region) = 0;     // nullptr = whole sheet
    // The statement hook of a running script (SCRCB_*): 0 goes on, -1 stops the script.
    virtual long kov_callback(int, intptr_t) { return 0; }
};

class KOV_HOST {
public:
    KOV_HOST();
    virtual ~KOV_HOST();
    KOV_HOST(const KOV_HOST &) = delete;
    KOV_HOST &operator=(const KOV_HOST &) = delete;

    // The application that receives ticks, notices and recalculation requests (may be null).
    void host_set_events(KOV_EVENTS *ev) { host_ev = ev; }
    KOV_EVENTS *host_events() const { return host_ev; }

    // ---- display ----
    virtual void host_redraw(const KOV_RECT *region);   // cells changed; nullptr = whole sheet
    virtual void host_redraw_head();                     // column and row headers
    virtual void host_show_cursor();                     // the cursor cell's content changed
    virtual void host_status(const char *text);          // status bar
    // A modal message box; the answer is one of KOV_ID*. Without a window the text goes to
    // stderr and the box takes its first button.
    virtual int host_msgbox(const char *text, const char *title, int kind);
    virtual void host_beep();
    // A script's message(kind, text): the box of the script, answered like host_msgbox.
    virtual int host_message(const char *text, int kind);
    // Asks the user for a line of text after prompt: 0 with the answer, -1 when cancelled (or
    // nobody can be asked).
    virtual int host_ask(const char *prompt, std::string &answer);
    // Plays a sound file without waiting ("" stops the sound playing); 0 / -1.
    virtual int host_sound(const char *file);
    // A file could not be read or written: name is the system's bytes (never converted), msg
    // Shift-JIS, err the system's reason (0 none). Without a window: one line on stderr.
    virtual void host_file_err(const char *name, const char *msg, int err);
    // Painting of the sheet switched off (1) or on (0) around long passes.
    virtual void host_nopaint(int on);

    // ---- run control ----
    // The statement hook of a running script (SCRCB_ONESTEP before each statement, SCRCB_PAUSE
    // from pause(text) with arg the text): 0 goes on, -1 stops the script. The application
    // answers it (kov_callback); a hook arriving while the last one is still served answers 0.
    virtual long host_callback(int code, intptr_t arg);
    // The run state changed (the window enables its buttons by kov_tbar_enabled).
    virtual void host_run_state(int state);
    // Serve every pending event (input, timers, notices); -1 when the window is gone.
    virtual int host_pump();
    // Wait for events up to ms milliseconds (the pause loop between polls).
    virtual void host_wait(int ms);
    // The event loop: runs until host_quit, returns its status. Without a window it serves the
    // posted notices and returns at once.
    virtual int host_loop();
    virtual void host_quit(int status);
    // The repeating timer calling kov_tick every ms milliseconds; 0 stops it.
    virtual void host_timer(int ms);
    int host_timer_ms() const { return timer_ms; }
    // A notice served later by kov_notify (code 2 part beep, code 3 recalculation requests).
    virtual void host_post(int code, intptr_t arg);
    // Recalculation of a region (nullptr = whole sheet) asked by the store: the application's.
    int host_recalc(const KOV_RECT *region) { return host_ev ? host_ev->kov_recalc(region) : 0; }

    // ---- clock ----
    virtual time_t host_now();        // calendar time
    virtual uint32_t host_ticks();    // milliseconds of a monotonic clock

    // ---- the script editor ----
    // Its text (LF line ends) and the file it belongs to: -1 when there is no editor. An empty
    // text means the script file is to be deleted when the sheet is saved.
    virtual int host_ed_text(std::string &text);
    // New text (a script file was loaded); nullptr: no text, a save leaves the script file alone.
    virtual void host_ed_put(const char *text);
    virtual long host_ed_stamp();                        // differs after every change; -1 no editor
    virtual const char *host_ed_name();                  // script file name, "" when none
    virtual void host_ed_setname(const char *name);
    // Show bytes at..end of the script text that ran (text, whole and NUL-terminated; offsets
    // with 0 <= at <= end <= its length, -1 without a position). msg nullptr: the statement that
    // runs next (the run display); otherwise a failure and its message. text nullptr: the run
    // display ends.
    virtual void host_ed_show(const char *text, long at, long end, const char *msg);

    // ---- clipboard ----
    virtual int host_clip_put(const std::string &text);  // 0 / -1
    virtual int host_clip_get(std::string &text);        // 0 / -1
    // Folder of the clipboard transfer files (no trailing '/').
    virtual std::string host_tmp_dir();

    // ---- window state ----
    virtual void host_win_get(CSV_WINST &ws);
    // Values of -1 are left alone; the rest is clamped (kov_winst_clamp). Sizes apply only to a
    // window that is not maximised.
    virtual void host_win_put(const CSV_WINST &ws);
    virtual void host_scrlock(int lock);                 // grid editing and edit buttons off (1)
    virtual void host_diamond(int on);                   // the diamond cursor
    int host_get_scrlock() const { return scrlock; }
    int host_get_diamond() const { return diamond; }

    // ---- parts ----
    // A gadget object for a script variable of part type 4..14; nullptr: the interpreter's plain
    // objects. The part layer fills this room.
    virtual BASE_GJ *host_gajet_new(int type);
    // The one-second tick of the pasted parts (clock in ms of the cycle clock).
    virtual void host_part_tick(int clock);

protected:
    KOV_EVENTS *host_ev = nullptr;
    CSV_WINST win;
    std::string clip;
    std::string ed_text;
    std::string ed_name;
    long ed_stamp = 0;
    int has_editor = 0;        // host_ed_put was called: the text is the editor's
    int timer_ms = 0;
    int scrlock = 0, diamond = 0;
    int quit_status = 0;
    int in_callback = 0;
    struct NOTICE {
        int code;
        intptr_t arg;
    };
    std::vector<NOTICE> posted;   // served by host_pump and host_loop
};
