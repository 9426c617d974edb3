// Captures the trace lines of the log for one test (kovtest::LogCapture in a fixture).
#pragma once
#include "tests/support/testlog.h"

#include <gtest/gtest.h>
#include <string>

namespace kovtest {

class TraceLog : public ::testing::Test {
protected:
    // Whether a trace line (not an attention line) ends with exactly this message.
    bool traced(const std::string &msg) const
    {
        std::string all = capture.text();
        for (size_t at = 0; (at = all.find(" " + msg + "\r\n", at)) != std::string::npos; at++) {
            size_t start = all.rfind("\r\n", at);
            start = start == std::string::npos ? 0 : start + 2;
            if (all.compare(start, 5, " LOG ") == 0) return true;
        }
        return false;
    }
    LogCapture capture;
};

} // namespace kovtest
