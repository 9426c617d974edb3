// Captures the trace lines of the log for one test in a temporary folder.
#pragma once
#include "tests/ui/tmpdir.h"
#include "ui/base/kovlog.h"

#include <gtest/gtest.h>
#include <string>

namespace kovtest {

class TraceLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir / "KOVASH.LOG";
        kov::log_set_path(path.c_str());
        kov::log_set_debug(1);
    }
    void TearDown() override
    {
        kov::log_set_path(nullptr);
        kov::log_set_debug(0);
    }
    std::string log() const { return slurp(path); }
    // Whether a trace line carries exactly this message.
    bool traced(const std::string &msg) const
    {
        std::string all = log();
        for (size_t at = 0; at < all.size();) {
            size_t end = all.find("\r\n", at);
            if (end == std::string::npos) end = all.size();
            std::string line = all.substr(at, end - at);
            if (line.rfind(" LOG ", 0) == 0 && line.size() > msg.size() &&
                line.compare(line.size() - msg.size() - 1, std::string::npos, " " + msg) == 0)
                return true;
            at = end + 2;
        }
        return false;
    }
    TmpDir dir;
    std::string path;
};

} // namespace kovtest
