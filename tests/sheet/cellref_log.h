// Captures the trace lines written while it lives (log file in a temporary folder, DEBUG 1).
#pragma once
#include <string>

#include "tests/ui/tmpdir.h"
#include "ui/base/kovlog.h"

namespace kovtest {

class LogCapture {
public:
    LogCapture()
    {
        old_path = kov::log_get_path();
        old_debug = kov::log_get_debug();
        kov::log_set_path((dir / "KOV.LOG").c_str());
        kov::log_set_debug(1);
    }
    ~LogCapture()
    {
        kov::log_set_path(old_path.c_str());
        kov::log_set_debug(old_debug);
    }
    std::string text() const { return slurp(dir / "KOV.LOG"); }
    // Whether some line ends with exactly this message.
    bool has(const std::string &msg) const { return text().find(" " + msg + "\r\n") != std::string::npos; }

private:
    TmpDir dir;
    std::string old_path;
    int old_debug;
};

} // namespace kovtest
