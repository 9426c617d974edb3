// A small facade over the cell store for the store and display-text tests.
#pragma once
#include <string>

#include "sheet/csv.h"
#include "tests/support/sheet_text.h"
#include "tests/support/testhost.h"

namespace storetest {

// A store whose host records the recalculations it was asked for.
struct Sheet : sheettest::TextSheet {
    kovtest::TESTHOST host;
    kovtest::EVENTS app;
    explicit Sheet(int xs = 10, int ys = 100)
    {
        host.host_set_events(&app);
        csv_set_host(&host);
        csv_create(xs, ys);
    }
    int calcs() const { return int(app.got.size()); }
    int row_cnt(int y) const { return csv_get_row(y)->cnt; }
};

// A part that counts its destructions.
struct CountPart : CSV_PART {
    int *dead;
    explicit CountPart(int *d) : dead(d) {}
    ~CountPart() override { ++*dead; }
};

} // namespace storetest
