// Cell records: texts, numbers, formulas and their parts, attributes, trimming of rows.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <utility>
#include <gtest/gtest.h>

#include "tests/support/store_facade.h"

using storetest::CountPart;
using storetest::Sheet;

TEST(StoreText, KindBytesAndTrimming)
{
    struct { const char *in; int type; const char *stored; } cases[] = {
        {"12345678", CSV_SSTR, "12345678"},  // 8 bytes fill the record, no terminator
        {"123456789", CSV_LSTR, "123456789"},
        {"a\tb", CSV_SSTR, "a b"},
        {"\x01\x1f\x7f", CSV_SSTR, "  \x7f"},
        {"line one\r\nline two", CSV_LSTR, "line one  line two"},
        {"日本語", CSV_SSTR, "日本語"},
        {"日本語テキスト", CSV_LSTR, "日本語テキスト"},
        {"", CSV_EMPTY, ""},
        {nullptr, CSV_EMPTY, ""},
    };
    for (auto &c : cases) {
        Sheet s;
        s.csv_new_cel(1, 2)->flags = 0xA5000000u;  // bits the store never touches
        s.csv_put_str(1, 2, "a long text replaced");
        ASSERT_EQ(s.csv_put_str(1, 2, c.in), 0);
        EXPECT_EQ(s.csv_get_type(1, 2), c.type) << c.stored;
        EXPECT_EQ(s.val(1, 2), c.stored);
        EXPECT_EQ(s.row_cnt(2), c.type == CSV_EMPTY ? 0 : 2) << c.stored;
        if (c.type != CSV_EMPTY) {
            EXPECT_EQ(s.csv_get_cel(1, 2)->flags & CSV_KEEP_MASK, 0xA5000000u);
        }
    }
}

TEST(StoreNumber, LimitsAndIntegers)
{
    struct { double in, out; int i; } cases[] = {
        {strtod("-1e999", nullptr), -DBL_MAX, INT32_MIN}, {HUGE_VAL, DBL_MAX, INT32_MAX},
        {1e-320, DBL_MIN, 0}, {-1e-320, -DBL_MIN, 0}, {-2.25e300, -2.25e300, INT32_MIN},
        {2.9, 2.9, 2}, {-2.9, -2.9, -2}, {2147483647.5, 2147483647.5, INT32_MAX}, {NAN, NAN, 0},
    };
    for (auto &c : cases) {
        Sheet s;
        ASSERT_EQ(s.csv_put_num(0, 0, c.in), 0);
        EXPECT_EQ(s.csv_get_type(0, 0) + s.csv_get_modify(), CSV_NUM + 1);
        double d = s.csv_get_num(0, 0);
        EXPECT_TRUE(d == c.out || (std::isnan(d) && std::isnan(c.out))) << c.in << " stored " << d;
        EXPECT_EQ(s.csv_get_int(0, 0), c.i) << c.in;
    }
    Sheet s;
    s.csv_put_str(0, 0, "12");
    EXPECT_EQ(s.csv_get_num(0, 0), 0.0);  // a text is no number
}

// A number put over what a cell held (as every recalculation does) replaces only the value.
TEST(StoreNumber, OverWhatTheCellHeld)
{
    struct { const char *name; void (*fill)(Sheet &); } before[] = {
        {"long text", [](Sheet &t) { t.csv_put_str(3, 1, "a text of more than eight bytes"); }},
        {"short text", [](Sheet &t) { t.csv_put_str(3, 1, "abc"); }},
        {"number", [](Sheet &t) { t.csv_put_num(3, 1, 7); }},
        {"formula only", [](Sheet &t) { t.csv_put_form(3, 1, "1+1"); }},
    };
    for (auto &b : before) {
        Sheet s;
        long bytes = csv_text_bytes;
        b.fill(s);
        s.csv_set_attr(3, 1, CSV_A_FMT, 5);
        s.csv_put_form(3, 1, "R0C0*2");
        s.csv_get_cel(3, 1)->flags |= 0x5A000000u;
        s.csv_set_modify(0);
        ASSERT_EQ(s.csv_put_num(3, 1, HUGE_VAL), 0) << b.name;
        EXPECT_EQ(s.val(3, 1) + "|" + s.form(3, 1), s.num_text(DBL_MAX) + "|R0C0*2") << b.name;
        EXPECT_EQ(s.csv_get_attr(3, 1, CSV_A_FMT), 5) << b.name;
        EXPECT_EQ(s.csv_get_cel(3, 1)->flags & CSV_KEEP_MASK, 0x5A000000u) << b.name;
        EXPECT_EQ(csv_text_bytes, bytes) << b.name;   // the long text was given back
        EXPECT_EQ(s.csv_get_modify(), 1) << b.name;
    }
}

TEST(StoreCell, OutsideOrWithoutStoreFails)
{
    Sheet s(10, 100);
    for (auto [x, y] : std::initializer_list<std::pair<int, int>>{{-1, 0}, {0, -1}, {10, 0}, {0, 100}, {INT32_MIN, 9}}) {
        EXPECT_EQ(s.csv_put_str(x, y, "x") + s.csv_put_num(x, y, 1) + s.csv_put_form(x, y, "1"), -3);
        EXPECT_EQ(s.csv_set_attr(x, y, CSV_A_TEXT, 3) + s.csv_move_cel(x, y, 0, 0) + s.csv_move_cel(0, 0, x, y), -3);
        EXPECT_EQ(s.csv_new_cel(x, y), nullptr);
    }
    EXPECT_EQ(s.csv_get_modify(), 0);
    s.csv_free_all();
    EXPECT_EQ(s.csv_get_xs() + s.csv_get_ys(), 0);
    EXPECT_EQ(s.csv_put_str(0, 0, "x") + s.csv_ins_rows(0, 1) + s.csv_del_cols(0, 1), -3);
    EXPECT_EQ(s.csv_sort_rows(0, 0, 0, 2) + s.csv_set_autowide(2) + s.csv_resize(5, 5), -3);
}

TEST(StoreFormula, SameTextKeepsItsPart)
{
    int dead = 0;
    Sheet s;
    s.csv_put_form(2, 3, "wpPUSH(\"A\")");
    CountPart *part = new CountPart(&dead);
    ASSERT_EQ(s.csv_set_part(2, 3, part), 0);
    ASSERT_EQ(s.csv_put_form(2, 3, "wpPUSH(\"A\")"), 0);
    EXPECT_EQ(s.csv_get_part(2, 3), part);
    EXPECT_EQ(dead, 0);
    s.csv_put_form(2, 3, "wpPUSH(\"B\")");  // another text: the old part goes
    EXPECT_EQ(dead, 1);
    EXPECT_EQ(s.csv_get_part(2, 3), nullptr);

    struct { const char *name; void (*drop)(Sheet &); } ways[] = {
        {"empty text", [](Sheet &t) { t.csv_put_form(2, 3, ""); }},
        {"clear cell", [](Sheet &t) { t.csv_clr_cel(2, 3); }},
        {"clear value only", [](Sheet &t) { t.csv_clr_cel(2, 3, CSV_P_VAL | CSV_P_FORM); }},
        {"delete row", [](Sheet &t) { t.csv_del_rows(3, 1); }},
        {"clear rows", [](Sheet &t) { t.csv_clr_rows(0, 5); }},
        {"resize", [](Sheet &t) { t.csv_resize(2, 100); }},
        {"free all", [](Sheet &t) { t.csv_free_all(); }},
    };
    for (auto &w : ways) {
        dead = 0;
        Sheet t;
        t.csv_put_form(2, 3, "1+1");
        t.csv_set_part(2, 3, new CountPart(&dead));
        w.drop(t);
        EXPECT_EQ(dead, 1) << w.name;
    }
    dead = 0;
    { Sheet t; t.csv_put_form(0, 0, "1"); t.csv_set_part(0, 0, new CountPart(&dead)); }
    EXPECT_EQ(dead, 1);  // destroyed with the store
}

TEST(StoreFormula, PutClearsNoFormulaMark)
{
    Sheet s;
    s.csv_get_row(4)->noform = s.csv_get_row(6)->noform = 1;
    s.csv_put_str(0, 4, "x");
    EXPECT_EQ(s.csv_get_row(4)->noform, 1);
    s.csv_put_form(1, 4, "2*3");
    EXPECT_EQ(s.csv_get_row(4)->noform, 0);
    s.csv_move_cel(0, 6, 0, 4);  // a formula moved into the row
    EXPECT_EQ(s.csv_get_row(6)->noform, 0);
}

TEST(StoreAttr, FieldsAreMaskedAndIndependent)
{
    struct { int field, value, got; } cases[] = {
        {CSV_A_TEXT, 11, 11}, {CSV_A_TEXT, 0x1F, 15}, {CSV_A_BACK, 9, 9},  {CSV_A_TOP, 1, 1},
        {CSV_A_TOP, 2, 0},    {CSV_A_LEFT, 3, 1},     {CSV_A_INPUT, 3, 3}, {CSV_A_INPUT, 9, 1},
        {CSV_A_FMT, 42, 42},  {CSV_A_FMT, 64, 0},
    };
    for (auto &c : cases) {
        Sheet s;
        s.csv_put_num(0, 0, 5);
        s.csv_set_modify(0);
        ASSERT_EQ(s.csv_set_attr(0, 0, c.field, c.value), 0);
        EXPECT_EQ(s.csv_get_modify(), 1);
        EXPECT_EQ(s.csv_get_num(0, 0), 5);
        for (int f = 1; f <= 6; f++) EXPECT_EQ(s.csv_get_attr(0, 0, f), f == c.field ? c.got : 0) << c.field;
    }
    Sheet s;
    for (int f = 1; f <= 6; f++) s.csv_set_attr(1, 1, f, 1);
    EXPECT_EQ(s.csv_get_cel(1, 1)->flags & ~CSV_ATTR_MASK, 0u);
    EXPECT_EQ(s.csv_set_attr(1, 1, 7, 1), -1);
    EXPECT_EQ(s.csv_set_attr(1, 1, 0, 0) + s.csv_set_attr(3, 3, CSV_A_BACK, 0), 0);
    EXPECT_EQ(s.row_cnt(1) + s.row_cnt(3), 0);  // all cleared; no cell to hold nothing
}

