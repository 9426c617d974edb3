// A small facade over the cell store for the store and display-text tests.
#pragma once
#include <string>

#include "sheet/csv.h"
#include "tests/support/sheet_text.h"

namespace storetest {

// A store that counts the recalculations it was asked for.
struct Sheet : sheettest::TextSheet {
    int calcs = 0;
    int csv_form_calc(const CSV_RECT *) override { return ++calcs, 0; }
    explicit Sheet(int xs = 10, int ys = 100) { csv_create(xs, ys); }
    int row_cnt(int y) const { return csv_get_row(y)->cnt; }
};

// A part that counts its destructions.
struct CountPart : CSV_PART {
    int *dead;
    explicit CountPart(int *d) : dead(d) {}
    ~CountPart() override { ++*dead; }
};

} // namespace storetest
