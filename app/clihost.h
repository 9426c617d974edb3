// The host of the command line (kovash X.scr, --convert, --info): nobody is there to press a
// button. Messages go to stderr in UTF-8, a failing script position as "FILE:ROW:COL: MESSAGE";
// a pause shows its text and goes on. A script's message() prints its text on stdout, so that a
// script run from a shell can print; beep rings a terminal's bell. Waits (a script's sleep) serve
// the devices of the application, and the loop keeps serving them while any device is live (a
// sheet with a socket part runs on until the process is stopped).
#pragma once
#include <string>

#include "sheet/kovhost.h"

class KOV_CLIHOST : public KOV_HOST {
public:
    // The script's name as the user gave it, for the messages.
    std::string cli_name;
    // Stop the script after this many statements (-1 never).
    long cli_budget = -1;
    long cli_steps = 0;
    std::string cli_said;   // the last position and message printed

    long host_callback(int code, intptr_t arg) override;
    void host_ed_show(const char *text, long at, long end, const char *msg) override;
    int host_message(const char *text, int kind) override;
    void host_beep() override;
    void host_wait(int ms) override;
    int host_loop() override;
    void host_quit(int status) override;

private:
    bool cli_quit = false;
};
