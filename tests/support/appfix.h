// The fixture of the application tests: one KOV_U on a test host that also shows the log's
// attention lines, a 10 x 20 sheet and an empty script.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/kov.h"
#include "tests/support/testhost.h"
#include "base/kovlog.h"

namespace kovtest {

struct APP : ::testing::Test {
    TESTHOST host;
    KOV_U kov{&host};
    void SetUp() override
    {
        kov.csv_create(10, 20);
        host.host_ed_put("");
        kov::log_set_host(&host);
    }
    void TearDown() override { kov::log_set_host(nullptr); }
    // How often the host was asked exactly this ("status TEXT", "msgbox TEXT", "beep").
    int count(const std::string &call) { return int(std::count(host.calls.begin(), host.calls.end(), call)); }
    // A cell as "3", "'text'" or "empty".
    std::string cell(int x, int y)
    {
        char b[32];
        if (kov.csv_get_type(x, y) == 0) return "empty";
        if (const char *t = CSV_U::csv_cel_str(kov.csv_get_cel(x, y), b)) return "'" + std::string(t) + "'";
        snprintf(b, sizeof b, "%g", kov.csv_get_num(x, y));
        return b;
    }
    // The value of f() { body } in cell (0, 0), under the script's global declarations decls
    // (made afresh by the link).
    std::string run_in_cell(const char *decls, const std::string &body)
    {
        host.host_ed_put((std::string(decls) + "f() { " + body + " }\n").c_str());
        kov.csv_put_form(0, 0, "f()");
        kov.csv_form_calc(nullptr);
        return cell(0, 0);
    }
    // A row of a table of such bodies: the value it gives and the error it leaves ("": none).
    struct ROW {
        std::string body;
        const char *value, *err;
    };
    void check_rows(const char *decls, const std::vector<ROW> &rows)
    {
        for (const ROW &r : rows) {
            EXPECT_EQ(run_in_cell(decls, r.body), r.value) << r.body;
            EXPECT_EQ(std::string(kov.scr_get_nowerr()), r.err) << r.body;
        }
    }
};

} // namespace kovtest
