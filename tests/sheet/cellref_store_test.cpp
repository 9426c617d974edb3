// Formulas in the store keep naming the same cells through the store's moves, and the
// adjustment and conversion operations on the store.
#include "sheet/cellref.h"
#include "sheet/csv.h"
#include "tests/sheet/cellref_log.h"

#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int END = 0x7FFFFFFF;

class Sheet : public CSV_U {
public:
    std::vector<std::string> calcs;   // regions passed to the recalculation seam
    int csv_form_calc(const CSV_RECT *r) override
    {
        calcs.push_back(r ? std::to_string(r->x1) + "," + std::to_string(r->y1) + "," +
                                std::to_string(r->x2) + "," + std::to_string(r->y2)
                          : "all");
        return 0;
    }
};

int g_parts_freed;
struct Part : CSV_PART {
    ~Part() override { g_parts_freed++; }
};

// A formula cell whose own number is the number of the cell its formula names.
void put_ref(CSV_U &s, int x, int y, const std::string &name, double want)
{
    ASSERT_EQ(s.csv_put_num(x, y, want), 0);
    ASSERT_EQ(s.csv_put_form(x, y, name.c_str()), 0);
}

// Every formula of the sheet names a cell holding the formula cell's own number.
void expect_refs_hold(const CSV_U &s, int *checked = nullptr)
{
    int n = 0;
    for (int y = 0; y < s.csv_get_ys(); y++)
        for (int x = 0; x < s.csv_get_xs(); x++) {
            const char *f = s.csv_get_form(x, y);
            if (!f) continue;
            const char *p = f;
            CSV_REF r;
            ASSERT_EQ(csv_parse_name(p, x, y, &r), 0) << f;
            EXPECT_EQ(s.csv_get_num(r.x, r.y), s.csv_get_num(x, y))
                << "formula " << f << " in (" << x << "," << y << ")";
            n++;
        }
    if (checked) *checked = n;
}

// The four ways to write the name of (tx, ty) from (x, y).
std::string name_of(int kind, int x, int y, int tx, int ty)
{
    std::string row = kind & 1 ? "R" + std::to_string(ty) : "R[" + std::to_string(ty - y) + "]";
    std::string col = kind & 2 ? "C" + std::to_string(tx) : "C[" + std::to_string(tx - x) + "]";
    return row + col;
}

// Values 1000*y + x + 1 in (0..vx-1, 0..vy-1); formulas in the given cells naming
// value cells chosen by a fixed pattern.
void fill(CSV_U &s, int vx, int vy, const std::vector<std::pair<int, int>> &forms,
          const std::function<bool(int, int)> &target_ok = nullptr)
{
    for (int y = 0; y < vy; y++)
        for (int x = 0; x < vx; x++) ASSERT_EQ(s.csv_put_num(x, y, 1000.0 * y + x + 1), 0);
    unsigned seed = 7;
    for (auto [x, y] : forms) {
        int tx, ty;
        do {
            seed = seed * 1103515245u + 12345u;
            tx = int(seed >> 16) % vx;
            ty = int(seed >> 8) % vy;
        } while (target_ok && !target_ok(tx, ty));
        put_ref(s, x, y, name_of(int(seed >> 24) & 3, x, y, tx, ty), 1000.0 * ty + tx + 1);
    }
}

std::vector<std::pair<int, int>> block(int x1, int y1, int x2, int y2)
{
    std::vector<std::pair<int, int>> v;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++) v.push_back({x, y});
    return v;
}

TEST(CellStore, DeleteColumnEdgeCase)
{
    Sheet s;
    ASSERT_EQ(s.csv_create(10, 10), 0);
    ASSERT_EQ(s.csv_put_form(0, 3, "R0C5+R0C1"), 0);
    ASSERT_EQ(s.csv_put_form(7, 3, "R0C5+R0C1"), 0);
    ASSERT_EQ(s.csv_del_cols(2, 1), 0);
    EXPECT_STREQ(s.csv_get_form(0, 3), "R0C4+R0C1");
    EXPECT_STREQ(s.csv_get_form(6, 3), "R0C4+R0C1");
}

TEST(CellStore, InsertColumnEdgeCase)
{
    Sheet s;
    ASSERT_EQ(s.csv_create(10, 10), 0);
    ASSERT_EQ(s.csv_put_form(5, 0, "R[0]C[-1]"), 0);
    ASSERT_EQ(s.csv_ins_cols(3, 1), 0);
    EXPECT_EQ(s.csv_get_form(5, 0), nullptr);
    EXPECT_STREQ(s.csv_get_form(6, 0), "RC[-1]");
}

// Columns and rows inserted or deleted anywhere: every formula still names the cell whose
// number it carries (referents in deleted lines are left out).
TEST(CellStore, InsertAndDeleteKeepReferences)
{
    struct Op {
        const char *what;
        int (CSV_U::*fn)(int, int);
        int at, n;
        bool cols, del;
    } ops[] = {
        {"insert columns", &CSV_U::csv_ins_cols, 3, 2, true, false},
        {"insert column 0", &CSV_U::csv_ins_cols, 0, 1, true, false},
        {"delete columns", &CSV_U::csv_del_cols, 2, 2, true, true},
        {"delete column 0", &CSV_U::csv_del_cols, 0, 1, true, true},
        {"insert rows", &CSV_U::csv_ins_rows, 4, 3, false, false},
        {"insert row 0", &CSV_U::csv_ins_rows, 0, 1, false, false},
        {"delete rows", &CSV_U::csv_del_rows, 1, 2, false, true},
        {"delete row 0", &CSV_U::csv_del_rows, 0, 1, false, true},
    };
    for (const Op &op : ops) {
        SCOPED_TRACE(op.what);
        Sheet s;
        ASSERT_EQ(s.csv_create(30, 30), 0);
        auto forms = block(8, 0, 13, 13);
        auto below = block(0, 8, 7, 13);
        forms.insert(forms.end(), below.begin(), below.end());
        auto alive = [&](int tx, int ty) {
            int c = op.cols ? tx : ty;
            return !op.del || c < op.at || c >= op.at + op.n;
        };
        fill(s, 8, 8, forms, alive);
        int before = 0, after = 0;
        expect_refs_hold(s, &before);
        ASSERT_EQ((s.*op.fn)(op.at, op.n), 0);
        expect_refs_hold(s, &after);
        // the formula cells in deleted lines are gone with them, the rest are all checked
        int lost = 0;
        for (auto [x, y] : forms) lost += op.del && !alive(x, y);
        EXPECT_EQ(after, before - lost);
        EXPECT_GT(after, 100);
    }
}

// Sort and rotate adjust only the moved rows' own formulas: references into unmoved rows
// and into the formula's own row keep their cells.
TEST(CellStore, SortAndRotateKeepReferences)
{
    struct Op {
        const char *what;
        std::function<int(CSV_U &)> run;
    } ops[] = {
        {"sort ascending", [](CSV_U &s) { return s.csv_sort_rows(0, 9, 10, 6); }},
        {"sort descending", [](CSV_U &s) { return s.csv_sort_rows(1, 9, 10, 6); }},
        {"rotate up", [](CSV_U &s) { return s.csv_rot_rows(0, 10, 6); }},
        {"rotate down", [](CSV_U &s) { return s.csv_rot_rows(1, 10, 6); }},
    };
    for (const Op &op : ops) {
        SCOPED_TRACE(op.what);
        Sheet s;
        ASSERT_EQ(s.csv_create(20, 20), 0);
        fill(s, 8, 8, block(10, 10, 13, 15));           // formulas in rows 10..15 name rows 0..7
        for (int y = 10; y <= 15; y++) {
            ASSERT_EQ(s.csv_put_num(9, y, double((y * 7) % 6)), 0);      // the sort key
            ASSERT_EQ(s.csv_put_num(15, y, 500.0 + y), 0);
            put_ref(s, 14, y, y % 2 ? "RC[1]" : "R" + std::to_string(y) + "C15", 500.0 + y);
        }
        ASSERT_EQ(op.run(s), 0);
        expect_refs_hold(s);
        EXPECT_NE(s.csv_get_num(15, 10), 510.0);        // the rows did move
    }
}

TEST(CellStore, UnchangedTextKeepsPart)
{
    Sheet s;
    ASSERT_EQ(s.csv_create(10, 10), 0);
    ASSERT_EQ(s.csv_put_form(1, 1, "R0C5"), 0);
    Part *p = new Part;
    ASSERT_EQ(s.csv_set_part(1, 1, p), 0);
    g_parts_freed = 0;
    ASSERT_EQ(s.csv_ins_cols(8, 1), 0);                  // R0C5 not affected
    EXPECT_EQ(s.csv_get_part(1, 1), p);
    EXPECT_EQ(g_parts_freed, 0);
    ASSERT_EQ(s.csv_ins_cols(2, 1), 0);                  // R0C5 -> R0C6: a new formula
    EXPECT_STREQ(s.csv_get_form(1, 1), "R0C6");
    EXPECT_EQ(g_parts_freed, 1);
}

TEST(CellStore, AdjustFormulaErrors)
{
    kovtest::LogCapture log;
    Sheet s;
    ASSERT_EQ(s.csv_create(10, 10), 0);
    ASSERT_EQ(s.csv_put_form(0, 0, "R1C1"), 0);
    EXPECT_EQ(s.csv_adj_form(0, 0, nullptr), -1);
    EXPECT_TRUE(log.has("cft_p == NULL"));
    CSV_CFT cft = {0, 0, END, END, 1, 0, 0};
    EXPECT_EQ(s.csv_adj_form(3, 3, &cft), -1);
    EXPECT_EQ(s.csv_cnv_form(3, 3, nullptr, 0), -1);
    EXPECT_TRUE(log.has("セル式がない"));
    EXPECT_EQ(s.csv_adj_sheet(nullptr), -1);

    std::string longf = std::string(4091, '1') + "+R0C9";
    ASSERT_EQ(s.csv_put_form(2, 2, longf.c_str()), 0);
    EXPECT_EQ(s.csv_adj_form(2, 2, &cft), -1);
    EXPECT_EQ(s.csv_get_form(2, 2), longf);              // left unchanged
    EXPECT_TRUE(log.has("セル式長超過"));
    // the sheet-wide pass goes on past the failing formula and reports it
    EXPECT_EQ(s.csv_adj_sheet(&cft), -1);
    EXPECT_STREQ(s.csv_get_form(0, 0), "R1C2");
}

TEST(CellStore, AdjustRowStopsAtRowEnd)
{
    Sheet s;
    ASSERT_EQ(s.csv_create(10, 10), 0);
    ASSERT_EQ(s.csv_put_form(2, 4, "R0C0"), 0);
    CSV_CFT cft = {0, 0, END, END, 1, 0, 0};
    EXPECT_EQ(s.csv_adj_row(0, 9, 4, &cft), 0);
    EXPECT_STREQ(s.csv_get_form(2, 4), "R0C1");
    EXPECT_EQ(s.csv_adj_row(0, 9, 5, &cft), 0);           // an empty row
}

TEST(CellStore, AdjustSheetBlockPastEndMovesNothing)
{
    Sheet s;
    ASSERT_EQ(s.csv_create(10, 10), 0);
    ASSERT_EQ(s.csv_put_form(0, 0, "R0C9"), 0);
    CSV_CFT cft = {10, 0, END, END, -2, 0, 0};             // columns 8 and 9 deleted
    EXPECT_EQ(s.csv_adj_sheet(&cft), 0);
    EXPECT_STREQ(s.csv_get_form(0, 0), "R0C9");
    ASSERT_EQ(s.csv_del_cols(8, 2), 0);
    EXPECT_STREQ(s.csv_get_form(0, 0), "R0C9");
}

TEST(CellStore, ConvertRegion)
{
    Sheet s;
    ASSERT_EQ(s.csv_create(10, 10), 0);
    ASSERT_EQ(s.csv_put_form(3, 4, "R[-1]C"), 0);
    ASSERT_EQ(s.csv_put_form(8, 8, "R[-1]C"), 0);          // outside the region
    ASSERT_EQ(s.csv_put_form(4, 4, "R[-1]C+R[5]C"), 0);    // second name points outside
    s.csv_set_modify(0);
    CSV_RECT r = {5, 5, 0, 0};                              // reversed: checked and ordered
    ASSERT_EQ(s.csv_cnv_region(&r, 1), 0);
    EXPECT_STREQ(s.csv_get_form(3, 4), "R3C3");
    EXPECT_STREQ(s.csv_get_form(8, 8), "R[-1]C");
    EXPECT_STREQ(s.csv_get_form(4, 4), "R3C4+R[5]C");
    EXPECT_EQ(s.csv_get_modify(), 1);
    ASSERT_EQ(s.calcs.size(), 1u);
    EXPECT_EQ(s.calcs[0], "0,0,5,5");

    ASSERT_EQ(s.csv_cnv_region(nullptr, 0), 0);            // whole sheet back to relative
    EXPECT_STREQ(s.csv_get_form(3, 4), "R[-1]C");
    EXPECT_STREQ(s.csv_get_form(4, 4), "R[-1]C+R[5]C");
    ASSERT_EQ(s.calcs.size(), 2u);
    EXPECT_EQ(s.calcs[1], "all");
    EXPECT_EQ(s.csv_cnv_region(nullptr, 3), -1);
}

TEST(CellStore, ConvertRegionWithoutStore)
{
    kovtest::LogCapture log;
    Sheet s;
    EXPECT_EQ(s.csv_cnv_region(nullptr, 1), -1);
    EXPECT_TRUE(log.has("csv_chk_space() 失敗")) << log.text();
    CSV_CFT cft = {0, 0, END, END, 1, 0, 0};
    EXPECT_EQ(s.csv_adj_sheet(&cft), -1);
    EXPECT_TRUE(s.calcs.empty());
}

} // namespace
