// A small facade for interpreter tests: link and run a script text on a fresh interpreter with
// a small sheet, a host that counts statements, and a test table of built-ins.
#pragma once
#include <string>

#include "script/scr.h"
#include "sheet/csv.h"
#include "ui/base/kovtext.h"

namespace scrtest {

// Literals of the tests are compiled to Shift-JIS like the program's: texts compare as they are.

struct HOST : SCR_HOST, SCR_EDIT {
    std::string text;
    long stamp = 1;
    long steps = 0, budget = -1;     // statement hooks seen; stop after budget (-1 never)
    std::string link_err;            // message of a failed link 
    int link_row = -1, link_col = -1;
    long scr_host_callback(int code, intptr_t) override;
    void scr_host_showerr(const char *txt, const char *pos, const char *msg) override;
    const char *scr_edit_text() override { return text.c_str(); }
    long scr_edit_stamp() override { return stamp; }
};

struct RUN {
    int linked = 0;       // link pass succeeded
    int ran = 0;          // run pass succeeded
    int status = -1;      // main's result
    std::string err;      // error text after the run : link error or current error
    std::string out;      // what out() printed
    int row = -1, col = -1;   // position of the error
};

// Interpreter with its sheet and host, for tests that look inside after a run.
struct ENV {
    CSV_U csv;
    HOST host;
    SCR_U scr;
    ENV();
    RUN run(const char *text);
    double num(const char *name);          // a global's element (0, 0) as a number
    std::string str(const char *name);     // ... as text 
};

RUN run(const char *text);
extern std::string out_buf;
void install_builtins();

}  // namespace scrtest
