// Running a script from the command line (kovash X.scr): a host that never waits for a person.
// Messages go to stderr in UTF-8; a pause takes its default answer and goes on.
#pragma once
#include <string>

#include "script/scr.h"

class KOV_U;

class SCRHOST_U : public SCR_HOST, public SCR_EDIT {
public:
    std::string text;           // the script, LF line ends
    long stamp = 1;
    std::string err_msg;        // error of a failed link (Shift-JIS)
    int err_row = -1, err_col = -1;
    long steps = 0;             // statement hooks seen
    long budget = -1;           // stop the script after this many statements (-1 never)

    long scr_host_callback(int code, intptr_t arg) override;
    void scr_host_showerr(const char *txt, const char *pos, const char *msg) override;
    const char *scr_edit_text() override { return text.c_str(); }
    long scr_edit_stamp() override { return stamp; }
};

// Largest script file read (bytes).
constexpr long SCR_FILE_MAX = 64L * 1024 * 1024;
// Reads a script file into text: CR LF becomes LF. 0 / -1 (not a regular file, too large).
int scr_read_file(const char *path, std::string &text);
// Links and runs the script file on the application object; prints a failure as
// "FILE:ROW:COL: MESSAGE" (1-based) to stderr. The script's end status, or -1 when it failed.
int scr_run_file(KOV_U &kov, const char *path);
