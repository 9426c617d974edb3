// A small facade for interpreter tests: link and run a script text on a fresh interpreter with
// a small sheet, a host that counts statements, and a test table of built-ins.
#pragma once
#include <string>

#include "script/scr.h"
#include "sheet/csv.h"
#include "tests/support/testhost.h"
#include "base/kovtext.h"

namespace scrtest {

// Literals of the tests are compiled to Shift-JIS like the program's: texts compare as they are.

using HOST = kovtest::TESTHOST;

struct RUN {
    int linked = 0;       // link pass succeeded
    int ran = 0;          // run pass succeeded
    int status = -1;      // main's result
    std::string err;      // error text after the run : link error or current error
    int row = -1, col = -1;   // position of the error
};

// Interpreter with its sheet and host, for tests that look inside after a run.
struct ENV {
    CSV_U csv;
    HOST host;
    SCR_U scr;
    ENV();
    virtual ~ENV() = default;
    // KOVASH_TREE=diff: the first run of an ENV runs with the statement trees, and the same text
    // on a fresh twin without them; results, error texts, positions and hook positions must agree.
    RUN run(const char *text);
    virtual ENV *twin() const { return new ENV; }
    void (*prepare)(CSV_U &) = nullptr;   // what the test did to the sheet before the run: done to the twin's too
    RUN run_once(const char *text);
    // Runs text on a fresh twin without the trees, then here with them: "" when both agree,
    // else what differs (out: this run). Not exact: repeated hooks at one statement count once.
    std::string diff(const char *text, RUN *out = nullptr, int exact = 1);
    int runs = 0;
    double num(const char *name);          // a global's element (0, 0) as a number
    std::string str(const char *name);     // ... as text 
};

RUN run(const char *text);
void install_builtins(SCR_U &scr);

}  // namespace scrtest
