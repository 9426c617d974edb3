// The log lines written while it lives, caught in a temporary folder with trace lines on; the
// previous log file and trace setting come back afterwards. Usable from any test folder.
#pragma once
#include <string>

#include "tests/support/tmpdir.h"
#include "base/kovlog.h"

namespace kovtest {

class LogCapture {
public:
    LogCapture() : old_path(kov::log_get_path()), old_debug(kov::log_get_debug())
    {
        kov::log_set_path(file().c_str());
        kov::log_set_debug(1);
    }
    ~LogCapture()
    {
        kov::log_set_path(old_path.c_str());
        kov::log_set_debug(old_debug);
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    std::string file() const { return dir / "KOV.LOG"; }
    std::string text() const { return slurp(file()); }
    // Whether some line ends with exactly this message.
    bool has(const std::string &msg) const { return text().find(" " + msg + "\r\n") != std::string::npos; }

private:
    TmpDir dir;
    std::string old_path;
    int old_debug;
};

} // namespace kovtest
