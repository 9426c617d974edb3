// Formulas in the store keep naming the same cells through the store's moves, and the
// adjustment and conversion operations on the store.
#include "sheet/cellref.h"
#include "tests/support/cellref_fill.h"
#include "tests/support/store_facade.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace cellfill;

constexpr int END = 0x7FFFFFFF;

using storetest::Sheet;

// A formula keeps its part while its text stays the same.
TEST(CellStore, ColumnEdgeCasesAndParts)
{
    Sheet s(10, 10);
    ASSERT_EQ(s.csv_put_form(0, 3, "R0C5+R0C1") + s.csv_put_form(7, 3, "R0C5+R0C1") + s.csv_put_form(1, 1, "R0C1"), 0);
    int freed = 0;
    auto *kept = new storetest::CountPart(&freed);
    ASSERT_EQ(s.csv_set_part(1, 1, kept), 0);
    ASSERT_EQ(s.csv_del_cols(2, 1), 0);
    EXPECT_EQ(s.csv_get_form(0, 3) + std::string("|") + s.csv_get_form(6, 3), "R0C4+R0C1|R0C4+R0C1");
    ASSERT_EQ(s.csv_set_part(0, 3, new storetest::CountPart(&freed)), 0);
    ASSERT_EQ(s.csv_put_form(5, 0, "R[0]C[-1]"), 0);
    ASSERT_EQ(s.csv_ins_cols(3, 1), 0);
    EXPECT_EQ(s.csv_get_form(5, 0), nullptr);
    EXPECT_STREQ(s.csv_get_form(6, 0), "RC[-1]");
    EXPECT_STREQ(s.csv_get_form(0, 3), "R0C5+R0C1");
    EXPECT_EQ(s.csv_get_part(1, 1), kept);
    EXPECT_EQ(freed, 1);
    ASSERT_EQ(s.csv_put_form(0, 0, "R0C9"), 0);  // the last columns deleted: names past them stay
    ASSERT_EQ(s.csv_del_cols(8, 2), 0);
    EXPECT_STREQ(s.csv_get_form(0, 0), "R0C9");
}

// Columns and rows inserted or deleted anywhere: every formula still names the cell whose
// number it carries (referents in deleted lines are left out).
TEST(CellStore, InsertAndDeleteKeepReferences)
{
    struct { const char *what; int (CSV_U::*fn)(int, int); int at, n; bool cols, del; } ops[] = {
        {"insert columns", &CSV_U::csv_ins_cols, 3, 2, true, false},
        {"insert column 0", &CSV_U::csv_ins_cols, 0, 1, true, false},
        {"delete columns", &CSV_U::csv_del_cols, 2, 2, true, true},
        {"delete column 0", &CSV_U::csv_del_cols, 0, 1, true, true},
        {"insert rows", &CSV_U::csv_ins_rows, 4, 3, false, false},
        {"insert row 0", &CSV_U::csv_ins_rows, 0, 1, false, false},
        {"delete rows", &CSV_U::csv_del_rows, 1, 2, false, true},
        {"delete row 0", &CSV_U::csv_del_rows, 0, 1, false, true},
    };
    for (auto &op : ops) {
        SCOPED_TRACE(op.what);
        Sheet s(30, 30);
        auto forms = block(8, 0, 13, 13, {0, 8, 7, 13});
        auto alive = [&](int tx, int ty) {
            int c = op.cols ? tx : ty;
            return !op.del || c < op.at || c >= op.at + op.n;
        };
        fill(s, 8, 8, forms, alive);
        int before = 0, after = 0;
        expect_refs_hold(s, &before);
        ASSERT_EQ((s.*op.fn)(op.at, op.n), 0);
        expect_refs_hold(s, &after);
        int lost = 0;  // the formula cells in deleted lines are gone with them, the rest all checked
        for (auto [x, y] : forms) lost += op.del && !alive(x, y);
        EXPECT_EQ(after, before - lost);
    }
}

TEST(CellStore, AdjustFormulaErrors)
{
    Sheet s(0, 0);   // refused: no store yet
    CSV_CFT cft = {0, 0, END, END, 1, 0, 0};
    EXPECT_EQ(s.csv_cnv_region(nullptr, 1) + s.csv_adj_sheet(&cft), -2);  // no store yet
    EXPECT_TRUE(s.app.got.empty());
    ASSERT_EQ(s.csv_create(10, 10), 0);
    ASSERT_EQ(s.csv_put_form(0, 0, "R1C1"), 0);
    EXPECT_EQ(s.csv_adj_form(0, 0, nullptr), -1);
    EXPECT_EQ(s.csv_adj_form(3, 3, &cft) + s.csv_cnv_form(3, 3, nullptr, 0) + s.csv_adj_sheet(nullptr), -3);
    EXPECT_EQ(s.csv_adj_row(0, 9, 5, &cft), 0);  // an empty row
    std::string longf = std::string(4091, '1') + "+R0C9";
    ASSERT_EQ(s.csv_put_form(2, 2, longf.c_str()), 0);
    EXPECT_EQ(s.csv_adj_form(2, 2, &cft), -1);
    EXPECT_EQ(s.csv_get_form(2, 2), longf);  // left unchanged
    // the sheet-wide pass goes on past the failing formula and reports it
    EXPECT_EQ(s.csv_adj_sheet(&cft), -1);
    EXPECT_STREQ(s.csv_get_form(0, 0), "R1C2");
}

} // namespace
