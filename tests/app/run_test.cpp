// Run states on a test host that presses the buttons: stepping, pausing, stopping, the cycle,
// the edit refusals, and a trapped fault with the refusals after it.
#include "tests/support/appfix.h"
#include "tests/support/tmpdir.h"

#include <random>

using namespace kovtest;

namespace {

struct Run : APP {
    // The user's presses, one per event pumping (0: none that time); the state at each pumping.
    void presses(std::vector<int> ids)
    {
        host.on_pump = [this, ids, k = size_t(0)]() mutable {
            seen.push_back(kov.kov_tstat(TMCD_GET));
            if (k < ids.size() && ids[k]) kov.wm_menu(ids[k]);
            k++;
        };
    }
    // The status line the run ended with ("" when it did not start).
    std::string run(const char *script, int start = TST_SCRPT_RUN)
    {
        host.host_ed_put(script);
        kov.wm_menu(start == TST_SCRPT_RUN ? KVM_F07_RUN : KVM_F08_STEP);
        return last_status();
    }
    std::string last_status()
    {
        for (auto it = host.calls.rbegin(); it != host.calls.rend(); ++it)
            if (it->rfind("status スクリプト実行", 0) == 0) return it->substr(7);
        return "";
    }
    std::vector<int> seen;
};

const char loop3[] = "var n;\nmain() {\n    n = 1;\n    n = 2;\n    n = 3;\n    return n;\n}\n";

} // namespace

// Stepping pauses before every statement: STEP goes one further, CONT runs the rest at speed.
TEST_F(Run, StepThenContinue)
{
    presses({0, KVM_F08_STEP, 0, KVM_F11_CONT});
    EXPECT_EQ(run(loop3, TST_SCRPT_STEP), "スクリプト実行終了(3)");
    EXPECT_EQ(seen, (std::vector<int>{TST_SCRPT_STEP, TST_SCRPT_PAUSE, TST_SCRPT_STEP, TST_SCRPT_PAUSE}));
    EXPECT_EQ(count("status スクリプト実行再開"), 2);
    EXPECT_EQ(host.shown_at, long(std::string(loop3).find("n = 2")));   // where the last pause stood
    EXPECT_EQ(kov.kov_tstat(TMCD_GET), TST_STOP);
}

// STOP ends a running loop at its next pumping: the run ends as exit(1) does. Pumping happens
// at most every 200 ms of the host's clock while running.
TEST_F(Run, StopEndsARunningLoop)
{
    host.step_ms = 1;
    presses({0, 0, KVM_F12_STOP});
    EXPECT_EQ(run("main() { var i; for (i = 0; ; i++) ; }"), "スクリプト実行終了(1)");
    EXPECT_EQ(seen, (std::vector<int>{TST_SCRPT_RUN, TST_SCRPT_RUN, TST_SCRPT_RUN}));
    EXPECT_GE(host.steps, 600);
    EXPECT_LE(host.steps, 700);
}

TEST_F(Run, PauseFromTheScriptAndAClosedWindow)
{
    presses({KVM_F09_PAUS, 0, KVM_F11_CONT});   // PAUS during a pause does nothing
    EXPECT_EQ(run("main() { pause(\"見て\"); return 5; }"), "スクリプト実行終了(5)");
    EXPECT_EQ(count("status スクリプト一時停止 見て"), 1);
    presses({});
    host.on_pump = [this] { host.gone = 1; };
    EXPECT_EQ(run("main() { pause(\"x\"); return 5; }"), "スクリプト実行終了(1)");
}

TEST_F(Run, CommandsActOnlyInTheirStates)
{
    EXPECT_EQ(kov.wm_menu(KVM_F12_STOP), -1);
    EXPECT_EQ(kov.wm_menu(KVM_F09_PAUS), -1);
    EXPECT_EQ(kov.wm_menu(KVM_F11_CONT), -1);
    EXPECT_EQ(kov.kov_tstat(TMCD_GET), TST_STOP);
    EXPECT_EQ(kov.kov_tstat(TMCD_SET, 8), -1);
    static const struct {
        int state;
        const char *refusal;
    } rows[] = {
        {TST_STOP, nullptr},
        {TST_SCRPT_RUN, "スクリプト実行中は編集できません"},
        {TST_SCRPT_PAUSE, nullptr},
        {TST_CALC_ONE, "再計算中は編集できません"},
        {TST_CYCLE_1000ms, "周期再計算中は編集できません"},
    };
    for (auto &r : rows) {
        kov.kov_tstat(TMCD_SET, r.state);
        EXPECT_STREQ(kov.kov_edit_refusal(), r.refusal) << r.state;
    }
    EXPECT_EQ(kov_tbar_enabled(TST_SCRPT_STEP, KVM_F08_STEP), 1);
    EXPECT_EQ(kov_tbar_enabled(TST_SCRPT_PAUSE, KVM_F11_CONT), 1);
    EXPECT_EQ(kov_tbar_enabled(TST_CYCLE_250ms, KVM_F07_RUN), 0);
}

// The cycle: the 250 ms timer runs a pass every period; a sheet keeps its period.
TEST_F(Run, CycleFromTheSheet)
{
    TmpDir dir;
    spit(dir / "c.kov", "\x02" "FOP_CYCLEMS\x03" "1000\r\n\x02=RC+1\x03\r\n");
    spit(dir / "d.kov", "\x02" "FOP_CYCLEMS\x03" "500\r\n");
    ASSERT_EQ(kov.cse_fload((dir / "d.kov").c_str()), 0);
    EXPECT_EQ(kov.kov_tstat(TMCD_GET), TST_STOP);
    ASSERT_EQ(kov.cse_fload((dir / "c.kov").c_str()), 0);
    EXPECT_EQ(kov.kov_tstat(TMCD_GET), TST_CYCLE_1000ms);
    EXPECT_EQ(kov.csv_get_num(0, 0), 1);   // the pass after loading
    host.advance(2999);
    EXPECT_EQ(kov.csv_get_num(0, 0), 3);
    kov.wm_menu(KVM_CYCLE_250);
    host.advance(1000);
    EXPECT_EQ(kov.csv_get_num(0, 0), 7);
    EXPECT_EQ(kov.csv_cyclems, 250);
    kov.wm_menu(KVM_CYCLE_STOP);
    host.advance(1000);
    EXPECT_EQ(kov.csv_get_num(0, 0), 7);
    EXPECT_EQ(count("status 周期再計算停止"), 1);
}

// A fault in a formula or a script is trapped: the message, the fatal flag, and from then on
// every script start and recalculation is refused.
TEST_F(Run, TrappedFaultsAndTheRefusalsAfter)
{
    host.host_ed_put("");
    kov.csv_put_form(0, 0, "test_read0()");
    kov.csv_put_form(1, 0, "5");
    kov.kov_tstat(TMCD_SET, TST_CYCLE_250ms);
    host.advance(250);
    EXPECT_EQ(count("msgbox メモリ不正アクセス。データ保存後, 即終了してください"), 1);
    EXPECT_EQ(kov.scr_fatal, 1);
    EXPECT_EQ(std::string(kov.scr_get_nowerr()), "catch(E_SIGNAL)");
    EXPECT_EQ(CSV_U::csv_cel_type(kov.csv_get_cel(1, 0)), 0);   // the pass ended at the fault
    EXPECT_EQ(kov.kov_tstat(TMCD_GET), TST_STOP);                // and so did the cycle
    const std::string danger = "msgbox 危険です！データ保存後, 即終了してください";
    EXPECT_EQ(kov.csv_form_calc(nullptr), -1);
    host.calls.clear();
    EXPECT_EQ(run("main() { return 1; }"), "");
    EXPECT_EQ(count(danger), 1);

    KOV_U other(&host);
    other.csv_create(4, 4);
    host.host_ed_put("f() { return test_div0(); }\nmain() { f(); return 3; }\n");
    EXPECT_EQ(other.kov_do_scrpt(TST_SCRPT_RUN), -1);
    EXPECT_EQ(count("msgbox FPE エラー。データ保存後, 即終了してください"), 1);
    EXPECT_EQ(other.kov_do_scrpt(TST_SCRPT_RUN), -1);
    EXPECT_EQ(count(danger), 2);
    EXPECT_EQ(other.scr_marks, nullptr);   // nothing of the abandoned frames is left behind

    KOV_U third(&host);   // the same fault again is trapped again
    third.csv_create(4, 4);
    third.csv_put_form(0, 0, "test_read0()");
    EXPECT_EQ(third.csv_form_calc(nullptr), -1);
    EXPECT_EQ(count("msgbox メモリ不正アクセス。データ保存後, 即終了してください"), 1);   // since the clear
}

// Outside every trap a fault is still the crash it is, with the handler that was there before.
TEST(Trap, AFaultOutsideEveryTrapStillKills)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    static volatile uintptr_t null_address = 0;
    SCR_U scr;
    EXPECT_DEATH((void)*(volatile int *)null_address, "");
}

// STOP and RUN handled in one pumping: the stopped run is still on the stack, so RUN is refused
// until it has ended, and the position shown belongs to the text that ran.
TEST_F(Run, RunWhileTheStoppedRunUnwinds)
{
    host.step_ms = 250;
    int second = 0;
    host.on_pump = [&] {
        if (kov.kov_tstat(TMCD_GET) != TST_SCRPT_RUN) return;
        host.host_ed_put("var k;\nmain() { k = 1; goto nowhere; }\n");   // edited meanwhile
        kov.wm_menu(KVM_F12_STOP);
        second = kov.wm_menu(KVM_F07_RUN);
    };
    EXPECT_EQ(run("var n;\nmain() { for (n = 0; ; n++) ; }\n"), "スクリプト実行終了(1)");
    EXPECT_EQ(second, -1);
    EXPECT_EQ(count("status スクリプト実行中"), 1);
    host.on_pump = nullptr;
    EXPECT_EQ(run("var k;\nmain() { k = 1; goto nowhere; }\n"), "スクリプト実行失敗(-1)");   // now the new text runs
    EXPECT_EQ(host.shown_text, "var k;\nmain() { k = 1; goto nowhere; }\n");
    EXPECT_EQ(host.shown_text.substr(host.shown_at, host.shown_end - host.shown_at), "goto nowhere;");
}

// A formula typed while the script is paused after its text was edited: the paused run keeps
// its own text and variables.
TEST_F(Run, CellEditWhilePausedAfterTheScriptChanged)
{
    presses({KVM_F09_PAUS});
    host.on_pump = [&, k = 0]() mutable {
        if (k++ != 1) return (void)(k == 1 && kov.wm_menu(KVM_F09_PAUS));
        host.host_ed_put("main() { return 7; }\n");
        std::string msg;
        EXPECT_EQ(kov.cse_edit_commit(0, 0, KOV_ED_FORM, "=1+2", msg), 0) << msg;
        kov.wm_menu(KVM_F11_CONT);
    };
    host.step_ms = 250;
    EXPECT_EQ(run("var n;\nmain() { var i; for (i = 0; i < 50; i++) n = n + i; return n; }\n"), "スクリプト実行終了(1225)");
    EXPECT_STREQ(kov.csv_get_form(0, 0), "1+2");
}

// While a script runs every pumping asks for the sheet to be painted, so that what it wrote shows.
TEST_F(Run, PumpingRepaintsTheSheet)
{
    host.step_ms = 50;
    std::vector<std::string> seen;
    host.on_pump = [&] {
        bool asked = std::find(host.calls.begin(), host.calls.end(), "redraw") != host.calls.end();
        if (kov.kov_tstat(TMCD_GET) == TST_SCRPT_RUN) seen.push_back(cell(0, 0) + (asked ? " painted" : ""));
        host.calls.clear();
    };
    run("main() { var i; for (i = 1; i <= 20; i++) my[0][0] = i; return 0; }\n");
    ASSERT_GE(seen.size(), 2u);
    for (const std::string &s : seen) EXPECT_NE(s.find("painted"), std::string::npos) << s;
}

// Stepping marks the whole statement that runs next: from its start to its end as the statement
// reader finds it, bodies included.
TEST_F(Run, StepShowsTheWholeStatement)
{
    static const struct {
        const char *script, *first;   // the script; the statement shown at its first step
    } rows[] = {
        {"main() { var a = 1;\n  a = a +\n    2; return a; }\n", "a = a +\n    2;"},
        {"main() { for (;;) { break; }\n return 0; }\n", "for (;;) { break; }"},
        {"main() { if (1) return 4;\n else return 5; }\n", "if (1) return 4;\n else return 5;"},
        {"main() { switch (2) { case 2: return 1; } }\n", "switch (2) { case 2: return 1; }"},
    };
    for (auto &r : rows) {
        std::vector<std::string> marks;
        host.on_pump = [&] {
            if (kov.kov_tstat(TMCD_GET) != TST_SCRPT_PAUSE || !host.run_display) return;
            marks.push_back(host.shown_text.substr(host.shown_at, host.shown_end - host.shown_at));
            kov.wm_menu(KVM_F11_CONT);
        };
        run(r.script, TST_SCRPT_STEP);
        ASSERT_EQ(marks.size(), 1u) << r.script;
        EXPECT_EQ(marks[0], r.first) << r.script;
        EXPECT_FALSE(host.run_display);   // the run display ends with the run
    }
}

// A seeded random walk of the run commands, the cycle, cell edits and script edits between
// them, against a looping script: whatever the order, no exception escapes, the state is one of
// 0..7, and every position shown lies inside the text it is shown in.
TEST_F(Run, RandomRunControl)
{
    static const char *const scripts[] = {
        "var n;\nmain() {\n    for (n = 0; n < 3000; n++) {\n        my[n % 3][1] = n;\n        if (n % 7 == 0) pause(\"p\");\n    }\n}\n",
        "var k = 1, j;\nf(x) { return x + k; }\nmain() {\n    for (j = 0; j < 3000; j++) k = f(k) % 50;\n    return zz;\n}\n",
        "main() { var i; for (i = 0; ; i++) { sleep(0); my[0][3] = i; } }\n",
        // numbers of its own only: main and f run lean, their entries made when a pause shows them
        "f(var x) { var y = x; while (y > 0) y = y - 1; return x + 1; }\nmain() { var i, s = 0; for (i = 0; ; i++) s = f(i % 50) % 1000; }\n",
        // the sheet given by reference, a goto into a switch: lean too
        "f(ARRAY &g, var n) { switch (n % 3) { case 0: L: g[n % 5][1] = n; break; case 1: if (n % 7 == 0) goto L; }\n"
        "    return n; }\nmain() { var i; for (i = 0; ; i++) { f(my, i); if (i % 50 == 0) pause(\"p\"); } }\n",
        "main() { for (;;) ",   // does not link
    };
    static const int ids[] = {KVM_F07_RUN, KVM_F08_STEP, KVM_F09_PAUS, KVM_F11_CONT, KVM_F12_STOP, KVM_CALC,
                              KVM_CYCLE_250, KVM_CYCLE_STOP};
    host.step_ms = 70;
    host.budget = 2000000;   // a run nobody could stop any more still ends
    for (unsigned seed = 1; seed <= 8; seed++) {
        std::mt19937 rng(seed);
        int left = 400;
        auto check = [&] {
            int st = kov.kov_tstat(TMCD_GET);
            ASSERT_TRUE(st >= TST_STOP && st <= TST_CYCLE_10000ms) << st;
            ASSERT_LE(host.shown_at, host.shown_end);
            ASSERT_LE(host.shown_end, long(host.shown_text.size()));
        };
        auto act = [&] {
            check();
            if (left-- <= 0) return (void)kov.wm_menu(KVM_F12_STOP);
            unsigned k = rng() % 12;
            if (k < 8) return (void)kov.wm_menu(ids[k]);
            if (k < 10) return host.host_ed_put(scripts[rng() % 6]);
            std::string msg;
            kov.cse_edit_commit(int(rng() % 3), int(rng() % 3), KOV_ED_FORM, k == 10 ? "=R0C1+1" : "=n", msg);
        };
        host.on_pump = act;
        host.host_ed_put(scripts[0]);
        while (left > 0) act();
        host.on_pump = nullptr;
        kov.wm_menu(KVM_F12_STOP);
        kov.wm_menu(KVM_CYCLE_STOP);
        check();
        EXPECT_EQ(kov.kov_tstat(TMCD_GET), TST_STOP) << seed;
    }
}
