// wpTNCLOCK: the date and time in a format of the user's, at an offset from UTC, redrawn on the
// sheet's one-second tick in a display style of text parts.
#pragma once
#include "gadgets/wpdoor.h"

#include <ctime>
#include <string>

class DEV_CLOCK final : public WP_PART {
public:
    using WP_PART::WP_PART;
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    void wp_tick(int clock) override;

    // The format filled from a time (seconds since 1970, UTC) moved by offset seconds; "ERROR"
    // when the time has no calendar date.
    static std::string format_time(const std::string &fmt, time_t utc, long offset);
    // The text of now; drawn when it differs from the one shown.
    void refresh();

    std::string format;   // 64 bytes at most
    std::string style;
    long offset = 0;      // seconds east of UTC
    std::string shown;
    int draws = 0;        // times a new text was drawn
};
