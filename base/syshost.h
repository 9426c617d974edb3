// SYS_HOST: the door from the program's core to what surrounds it and knows nothing of a sheet:
// message boxes, the event loop, timers, the clock, the clipboard and the script editor's text.
// The sheet's host (KOV_HOST, sheet/kovhost.h) adds what a sheet needs. The desktop window, the
// command line and the tests each implement it; the methods' own bodies are the behaviour
// without a window, so a host overrides only what it has. Texts are Shift-JIS; a host converts
// them at its own edge.
#pragma once
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

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

// What the host calls back in the application: the repeating timer and posted notices. Served
// on the one thread, never inside another host call except host_pump.
class SYS_EVENTS {
public:
    virtual ~SYS_EVENTS();
    virtual void kov_tick() = 0;                            // the repeating timer fired
    virtual void kov_notify(int code, intptr_t arg) = 0;    // a posted notice is served
    // The statement hook of a running script (SCRCB_*): 0 goes on, -1 stops the script.
    virtual long kov_callback(int, intptr_t) { return 0; }
};

class SYS_HOST {
public:
    SYS_HOST();
    virtual ~SYS_HOST();
    SYS_HOST(const SYS_HOST &) = delete;
    SYS_HOST &operator=(const SYS_HOST &) = delete;

    // The application that receives ticks and notices (may be null).
    void host_set_events(SYS_EVENTS *ev) { host_ev = ev; }
    SYS_EVENTS *host_events() const { return host_ev; }

    // ---- display ----
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

protected:
    SYS_EVENTS *host_ev = nullptr;
    std::string clip;
    std::string ed_text;
    std::string ed_name;
    long ed_stamp = 0;
    int has_editor = 0;        // host_ed_put was called: the text is the editor's
    int timer_ms = 0;
    int quit_status = 0;
    int in_callback = 0;
    struct NOTICE {
        int code;
        intptr_t arg;
    };
    std::vector<NOTICE> posted;   // served by host_pump and host_loop
};
