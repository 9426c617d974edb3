// Limits a script meets instead of the machine's (the nesting guard is in robust_test): no
// allocation failure escapes as an exception, and texts are capped by their total bytes (a store
// past the cap fails like any other).
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "scrtest.h"

using namespace scrtest;

// Allocations through operator new fail from the n-th one on while fail_at >= 0, so that every
// allocation of a run can be made to fail in turn.
static long fail_at = -1;

static void *alloc(size_t n)
{
    if (fail_at == 0) return nullptr;
    if (fail_at > 0) fail_at--;
    return malloc(n ? n : 1);
}
static void *alloc_or_throw(size_t n)
{
    if (void *p = alloc(n)) return p;
    throw std::bad_alloc();
}

// Every form, so that no allocation of another allocator (a sanitizer's) meets our free.
void *operator new(size_t n) { return alloc_or_throw(n); }
void *operator new[](size_t n) { return alloc_or_throw(n); }
void *operator new(size_t n, const std::nothrow_t &) noexcept { return alloc(n); }
void *operator new[](size_t n, const std::nothrow_t &) noexcept { return alloc(n); }
void operator delete(void *p) noexcept { free(p); }
void operator delete[](void *p) noexcept { free(p); }
void operator delete(void *p, size_t) noexcept { free(p); }
void operator delete[](void *p, size_t) noexcept { free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { free(p); }

namespace {

// Each allocation of a link and run fails in turn: the run ends with "メモリ不足" (or, where the
// failure is met by a plain check, another message), and the next run works.
TEST(Fault, AllocationFailuresEndTheRunOnly)
{
    const char *text = "var g[3] = {1, 2, 3}; f(var x){ var s = \"abc\"; s &= x; return strlen(s); }\n"
                       "main(){ var i, t = 0; for (i = 0; i < 3; i++) t += f(\"de\") + g[i]; return t; }";
    int failed = 0;
    for (long n = 0; n < 400; n++) {
        ENV e;
        e.host.host_ed_put(text);
        fail_at = n;
        int st = -1;
        bool ok = e.scr.scr_prepare(PREP_SCRIPT_BEGIN) == 0 && e.scr.scr_do_allstep(e.scr.scr_text, &st) == 0;
        e.scr.scr_prepare(PREP_SCRIPT_END);   // the views too
        fail_at = -1;
        if (ok && st == 21) continue;
        failed++;
        EXPECT_STRNE(e.scr.scr_get_nowerr(), "") << n;
        EXPECT_EQ(e.run(text).status, 21) << n;
    }
    EXPECT_GT(failed, 5) << "allocations were made to fail";
}

TEST(Fault, TextsAreCappedByTheirBytes)
{
    const char *text = "var a[100][100]; main(){ var i; for (i = 0; i < 10000; i++) a[i / 100][i % 100] = \"0123456789\"; return 1; }";
    long keep = VAL_U::val_bytecap, before = VAL_U::val_bytes;
    VAL_U::val_bytecap = VAL_U::val_bytes + 100000;
    RUN r = run(text), alone;
    {   // a literal parsed into a tree is the script's text: the cap falls where the reader meets it
        ENV reader;
        reader.scr.scr_tree_mode = 0;
        reader.scr.scr_cache_on = 0;
        alone = reader.run(text);
    }
    VAL_U::val_bytecap = keep;
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(r.err.substr(0, 12), "代入失敗:a x");
    EXPECT_EQ(r.err, alone.err);
    EXPECT_TRUE(run(text).ran) << "the cap counts what is held, not what was ever made";
    EXPECT_EQ(VAL_U::val_bytes, before) << "the literals of parsed forms come back to the count as they go";
    // Locals and temporaries end with their calls: 10,000 calls that each make a text stay
    // within a cap a tenth of what they would hold together.
    VAL_U::val_bytecap = VAL_U::val_bytes + 100000;
    r = run("f(){ var a[1000], s = \"abcdefghijklmnopqrstuvwxyz\"; s &= s; a[999] = s; return 1; }\n"
            "main(){ var i, t = 0; for (i = 0; i < 10000; i++) t += f(); return t / 1000; }");
    VAL_U::val_bytecap = keep;
    EXPECT_EQ(r.status, 10) << r.err;

    keep = csv_text_cap;
    csv_text_cap = csv_text_bytes + 200;
    r = run("main(){ var i; for (i = 0; i < 20; i++) my[i][0] = \"a text of some length\"; return 1; }");
    csv_text_cap = keep;
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(r.err, "代入失敗:my xp=0 yp=9");
}

} // namespace
