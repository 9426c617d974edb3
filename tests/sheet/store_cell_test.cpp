// Cell records: texts, numbers, formulas and their parts, attributes, trimming of rows.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "tests/sheet/store_facade.h"

using storetest::CountPart;
using storetest::Sheet;

TEST(StoreText, KindAndBytes)
{
    struct Case {
        const char *in;
        int type;
        const char *stored;
    } cases[] = {
        {"12345678", CSV_SSTR, "12345678"},
        {"123456789", CSV_LSTR, "123456789"},
        {"a", CSV_SSTR, "a"},
        {"a\tb", CSV_SSTR, "a b"},
        {"\x01\x1f\x7f", CSV_SSTR, "  \x7f"},
        {"line one\r\nline two", CSV_LSTR, "line one  line two"},
        {"日本語", CSV_SSTR, "日本語"},
        {"日本語テキスト", CSV_LSTR, "日本語テキスト"},
    };
    for (const Case &c : cases) {
        Sheet s;
        ASSERT_EQ(s.csv_put_str(1, 2, c.in), 0) << c.in;
        EXPECT_EQ(s.csv_get_type(1, 2), c.type) << c.in;
        EXPECT_EQ(s.val(1, 2), c.stored) << c.in;
    }
}

TEST(StoreText, EightBytesHaveNoTerminator)
{
    Sheet s;
    s.csv_put_str(0, 0, "ABCDEFGH");
    const CSV_CEL *c = s.csv_get_cel(0, 0);
    EXPECT_EQ(memcmp(c->val.s, "ABCDEFGH", 8), 0);
    EXPECT_EQ(s.csv_get_use(0, 0), CSV_P_VAL);
}

TEST(StoreText, EmptyOrMissingTextClears)
{
    Sheet s;
    for (const char *t : {"", static_cast<const char *>(nullptr)}) {
        s.csv_put_str(3, 0, "a long text here");
        ASSERT_EQ(s.csv_put_str(3, 0, t), 0);
        EXPECT_EQ(s.csv_get_cel(3, 0), nullptr);
        EXPECT_EQ(s.row_cnt(0), 0);
    }
}

TEST(StoreText, HighBitsOfFlagsSurviveValueChanges)
{
    Sheet s;
    s.csv_new_cel(0, 0)->flags = 0xA5000000u;
    s.csv_put_str(0, 0, "x");
    s.csv_set_attr(0, 0, CSV_A_FMT, 12);
    s.csv_put_num(0, 0, 2);
    EXPECT_EQ(s.csv_get_cel(0, 0)->flags & CSV_KEEP_MASK, 0xA5000000u);
}

TEST(StoreNumber, Limits)
{
    struct Case {
        double in, out;
    } cases[] = {
        {-HUGE_VAL, -DBL_MAX},  // -1e999
        {HUGE_VAL, DBL_MAX},
        {1e-320, DBL_MIN},
        {-1e-320, -DBL_MIN},
        {DBL_MIN, DBL_MIN},
        {-DBL_MAX, -DBL_MAX},
        {0.0, 0.0},
        {1.5, 1.5},
        {-2.25e300, -2.25e300},
    };
    for (const Case &c : cases) {
        Sheet s;
        ASSERT_EQ(s.csv_put_num(0, 0, c.in), 0);
        EXPECT_EQ(s.csv_get_num(0, 0), c.out) << c.in;
        EXPECT_FALSE(std::isinf(s.csv_get_num(0, 0)));
    }
    Sheet s;
    s.csv_put_num(0, 0, strtod("-1e999", nullptr));
    EXPECT_EQ(s.csv_get_num(0, 0), -DBL_MAX);
    s.csv_put_num(0, 0, NAN);
    EXPECT_TRUE(std::isnan(s.csv_get_num(0, 0)));
    EXPECT_EQ(s.csv_get_type(0, 0), CSV_NUM);
}

TEST(StoreNumber, IntegerSaturates)
{
    struct Case {
        double in;
        int out;
    } cases[] = {
        {2.9, 2}, {-2.9, -2}, {3e9, 2147483647}, {-3e9, INT32_MIN}, {2147483647.5, 2147483647}, {NAN, 0},
    };
    for (const Case &c : cases) {
        Sheet s;
        s.csv_put_num(4, 4, c.in);
        EXPECT_EQ(s.csv_get_int(4, 4), c.out) << c.in;
    }
    Sheet s;
    s.csv_put_str(0, 0, "12");
    EXPECT_EQ(s.csv_get_num(0, 0), 0.0);  // a text is no number
}

TEST(StoreCell, OutsideOrWithoutStoreFails)
{
    Sheet s(10, 100);
    int xy[][2] = {{-1, 0}, {0, -1}, {10, 0}, {0, 100}, {INT32_MIN, 0}, {0, INT32_MAX}};
    for (auto &p : xy) {
        EXPECT_EQ(s.csv_put_str(p[0], p[1], "x"), -1);
        EXPECT_EQ(s.csv_put_num(p[0], p[1], 1), -1);
        EXPECT_EQ(s.csv_put_form(p[0], p[1], "1+1"), -1);
        EXPECT_EQ(s.csv_new_cel(p[0], p[1]), nullptr);
        EXPECT_EQ(s.csv_get_cel(p[0], p[1]), nullptr);
        EXPECT_EQ(s.csv_set_attr(p[0], p[1], CSV_A_TEXT, 3), -1);
        EXPECT_EQ(s.csv_move_cel(p[0], p[1], 0, 0), -1);
        EXPECT_EQ(s.csv_move_cel(0, 0, p[0], p[1]), -1);
    }
    EXPECT_EQ(s.csv_get_modify(), 0);
    s.csv_free_all();
    EXPECT_FALSE(s.csv_exists());
    EXPECT_EQ(s.csv_get_xs() + s.csv_get_ys(), 0);
    EXPECT_EQ(s.csv_put_str(0, 0, "x"), -1);
    EXPECT_EQ(s.csv_put_num(0, 0, 1), -1);
    EXPECT_EQ(s.csv_ins_rows(0, 1), -1);
    EXPECT_EQ(s.csv_del_cols(0, 1), -1);
    EXPECT_EQ(s.csv_sort_rows(0, 0, 0, 2), -1);
    EXPECT_EQ(s.csv_set_autowide(2), -1);
    EXPECT_EQ(s.csv_resize(5, 5), -1);
    EXPECT_EQ(s.csv_used_xs(7) + s.csv_used_ys(7), 0);
}

TEST(StoreCell, GetNeverAllocatesAndRowsTrim)
{
    Sheet s;
    EXPECT_EQ(s.csv_get_cel(5, 0), nullptr);
    EXPECT_EQ(s.row_cnt(0), 0);
    s.csv_put_str(2, 0, "a");
    s.csv_put_num(5, 0, 1);
    EXPECT_EQ(s.row_cnt(0), 6);
    EXPECT_NE(s.csv_get_cel(0, 0), nullptr);  // zeroed record below the last cell
    EXPECT_EQ(s.csv_get_use(0, 0), 0);
    s.csv_put_str(5, 0, nullptr);
    EXPECT_EQ(s.row_cnt(0), 3);
    s.csv_clr_cel(2, 0);
    EXPECT_EQ(s.row_cnt(0), 0);
    EXPECT_EQ(s.csv_get_row(0)->cel, nullptr);
    // An attribute alone keeps the cell.
    s.csv_set_attr(4, 1, CSV_A_BACK, 5);
    EXPECT_EQ(s.row_cnt(1), 5);
    s.csv_set_attr(4, 1, 0, 0);
    EXPECT_EQ(s.row_cnt(1), 0);
    // Clearing nothing makes nothing.
    EXPECT_EQ(s.csv_clr_cel(7, 7), 0);
    EXPECT_EQ(s.row_cnt(7), 0);
}

TEST(StoreCell, FillingWideRowsKeepsEveryCell)
{
    Sheet s(1000, 3);
    for (int x = 0; x < 1000; x++) ASSERT_EQ(s.csv_put_num(x, 1, x), 0);
    for (int x = 0; x < 1000; x++) ASSERT_EQ(s.csv_get_num(x, 1), x);
    for (int x = 999; x >= 500; x--) s.csv_clr_cel(x, 1);
    EXPECT_EQ(s.row_cnt(1), 500);
    EXPECT_EQ(s.csv_get_num(499, 1), 499);
}

TEST(StoreCell, PutCelMasks)
{
    Sheet s;
    s.csv_put_str(0, 0, "a text longer than eight");
    s.csv_put_form(0, 0, "R1C1+1");
    s.csv_set_attr(0, 0, CSV_A_TEXT, 6);
    CSV_CEL *src = s.csv_get_cel(0, 0);
    src->form->st_word = 7;

    s.csv_put_cel(1, 0, src, CSV_P_VAL);
    EXPECT_EQ(s.csv_get_use(1, 0), CSV_P_VAL);
    EXPECT_NE(s.csv_get_cel(1, 0)->val.p, s.csv_get_cel(0, 0)->val.p);  // own copy

    s.csv_put_cel(2, 0, s.csv_get_cel(0, 0), CSV_P_FORM | CSV_P_ATTR);
    EXPECT_EQ(s.csv_get_use(2, 0), CSV_P_FORM | CSV_P_ATTR);
    EXPECT_STREQ(s.csv_get_form(2, 0), "R1C1+1");
    EXPECT_EQ(s.csv_get_cel(2, 0)->form->st_word, 7u);
    EXPECT_EQ(s.csv_get_attr(2, 0, CSV_A_TEXT), 6);

    // The source lies in a row that must grow for the target.
    s.csv_put_cel(9, 0, s.csv_get_cel(0, 0), CSV_P_ALL);
    EXPECT_EQ(s.val(9, 0), "a text longer than eight");
    // A cell put onto itself keeps what it holds.
    s.csv_put_cel(0, 0, s.csv_get_cel(0, 0), CSV_P_ALL);
    EXPECT_EQ(s.val(0, 0), "a text longer than eight");
    EXPECT_STREQ(s.csv_get_form(0, 0), "R1C1+1");

    // A missing or empty source clears the masked parts only.
    CSV_CEL empty = {};
    s.csv_put_cel(0, 0, &empty, CSV_P_VAL);
    EXPECT_EQ(s.csv_get_use(0, 0), CSV_P_FORM | CSV_P_ATTR);
    s.csv_put_cel(0, 0, nullptr, CSV_P_ATTR);
    EXPECT_EQ(s.csv_get_use(0, 0), CSV_P_FORM);
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
    EXPECT_STREQ(s.csv_get_form(2, 3), "wpPUSH(\"B\")");

    struct Way {
        const char *name;
        void (*drop)(Sheet &);
    } ways[] = {
        {"empty text", [](Sheet &t) { t.csv_put_form(2, 3, ""); }},
        {"clear cell", [](Sheet &t) { t.csv_clr_cel(2, 3); }},
        {"clear value only", [](Sheet &t) { t.csv_clr_cel(2, 3, CSV_P_VAL | CSV_P_FORM); }},
        {"delete row", [](Sheet &t) { t.csv_del_rows(3, 1); }},
        {"clear rows", [](Sheet &t) { t.csv_clr_rows(0, 5); }},
        {"resize", [](Sheet &t) { t.csv_resize(2, 100); }},
        {"free all", [](Sheet &t) { t.csv_free_all(); }},
    };
    for (const Way &w : ways) {
        dead = 0;
        Sheet t;
        t.csv_put_form(2, 3, "1+1");
        t.csv_set_part(2, 3, new CountPart(&dead));
        w.drop(t);
        EXPECT_EQ(dead, 1) << w.name;
    }
    dead = 0;
    {
        Sheet t;
        t.csv_put_form(0, 0, "1");
        t.csv_set_part(0, 0, new CountPart(&dead));
    }
    EXPECT_EQ(dead, 1);  // destroyed with the store
}

TEST(StoreFormula, PutClearsNoFormulaMark)
{
    Sheet s;
    s.csv_get_row(4)->noform = 1;
    s.csv_put_str(0, 4, "x");
    EXPECT_EQ(s.csv_get_row(4)->noform, 1);
    s.csv_put_form(1, 4, "2*3");
    EXPECT_EQ(s.csv_get_row(4)->noform, 0);
    s.csv_get_row(6)->noform = 1;
    s.csv_move_cel(0, 6, 0, 4);
    EXPECT_EQ(s.csv_get_row(6)->noform, 0);
}

TEST(StoreAttr, FieldsAreMaskedAndIndependent)
{
    struct Case {
        int field, value, got;
    } cases[] = {
        {CSV_A_TEXT, 11, 11}, {CSV_A_TEXT, 0x1F, 15}, {CSV_A_BACK, 9, 9},  {CSV_A_TOP, 1, 1},
        {CSV_A_TOP, 2, 0},    {CSV_A_LEFT, 3, 1},     {CSV_A_INPUT, 3, 3}, {CSV_A_INPUT, 9, 1},
        {CSV_A_FMT, 42, 42},  {CSV_A_FMT, 64, 0},
    };
    for (const Case &c : cases) {
        Sheet s;
        s.csv_put_num(0, 0, 5);
        ASSERT_EQ(s.csv_set_attr(0, 0, c.field, c.value), 0);
        EXPECT_EQ(s.csv_get_attr(0, 0, c.field), c.got) << c.field << " " << c.value;
        EXPECT_EQ(s.csv_get_num(0, 0), 5);
        for (int f = 1; f <= 6; f++) {
            if (f != c.field) {
                EXPECT_EQ(s.csv_get_attr(0, 0, f), 0);
            }
        }
    }
    Sheet s;
    for (int f = 1; f <= 6; f++) s.csv_set_attr(1, 1, f, 1);
    EXPECT_EQ(s.csv_get_cel(1, 1)->flags & ~CSV_ATTR_MASK, 0u);
    EXPECT_EQ(s.csv_set_attr(1, 1, 7, 1), -1);
    s.csv_set_attr(1, 1, 0, 0);
    EXPECT_EQ(s.csv_get_cel(1, 1), nullptr);
    EXPECT_EQ(s.csv_set_attr(3, 3, CSV_A_BACK, 0), 0);
    EXPECT_EQ(s.csv_get_cel(3, 3), nullptr);  // no cell to hold nothing
}

TEST(StoreCell, UsageAndExtent)
{
    Sheet s;
    s.csv_put_num(3, 1, 1);
    s.csv_put_form(6, 4, "1");
    s.csv_set_attr(8, 9, CSV_A_TOP, 1);
    struct Case {
        int mask, xs, ys;
    } cases[] = {
        {CSV_P_VAL, 4, 2}, {CSV_P_FORM, 7, 5}, {CSV_P_ATTR, 9, 10}, {CSV_P_VAL | CSV_P_FORM, 7, 5}, {0, 0, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(s.csv_used_xs(c.mask), c.xs) << c.mask;
        EXPECT_EQ(s.csv_used_ys(c.mask), c.ys) << c.mask;
    }
}

TEST(StoreCell, ModifiedFlag)
{
    Sheet s;
    EXPECT_EQ(s.csv_get_modify(), 0);
    s.csv_put_num(0, 0, 1);
    EXPECT_EQ(s.csv_get_modify(), 1);
    s.csv_set_modify(0);
    s.csv_set_attr(0, 0, CSV_A_FMT, 10);
    EXPECT_EQ(s.csv_get_modify(), 1);
    s.csv_set_modify(0);
    s.csv_set_wide(0, 4);
    EXPECT_EQ(s.csv_get_modify(), 1);
}

TEST(StoreCell, ForeignSourceWithoutValue)
{
    Sheet s;
    CSV_CEL odd = {};
    odd.flags = 6 | (3u << 3);  // unused type 6, text colour 3
    ASSERT_EQ(s.csv_put_cel(0, 0, &odd, CSV_P_ALL), 0);
    EXPECT_EQ(s.csv_get_type(0, 0), CSV_EMPTY);
    EXPECT_EQ(s.csv_get_attr(0, 0, CSV_A_TEXT), 3);
    CSV_CEL bare = {};
    bare.flags = CSV_LSTR;  // long text without a text
    ASSERT_EQ(s.csv_put_cel(1, 0, &bare, CSV_P_ALL), 0);
    EXPECT_EQ(s.csv_get_cel(1, 0), nullptr);
}
