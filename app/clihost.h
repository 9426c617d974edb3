// The host of the command line (kovash X.scr, --convert, --info): nobody is there to press a
// button. Messages go to stderr in UTF-8, a failing script position as "FILE:ROW:COL: MESSAGE";
// a pause shows its text and goes on.
#pragma once
#include <string>

#include "ui/base/kovhost.h"

class KOV_CLIHOST : public KOV_HOST {
public:
    // The script's name as the user gave it, for the messages.
    std::string cli_name;
    // Stop the script after this many statements (-1 never).
    long cli_budget = -1;
    long cli_steps = 0;

    long host_callback(int code, intptr_t arg) override;
    void host_ed_show(const char *text, const char *pos, const char *msg) override;
};
