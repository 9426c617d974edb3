// The fixture of the part tests: the application on a test host with a sheet, and a view factory
// that records what the model asks of the views.
#pragma once
#include "gadgets/wpkinds.h"
#include "tests/support/appfix.h"

#include <memory>
#include <string>
#include <vector>

namespace kovtest {

// Views that write down every call: "place L,T,W,H", "update", "draw OP ...", "copy".
struct REC_VIEWS : WP_VIEWS {
    std::vector<std::string> log;
    int made = 0, live = 0;
    struct VIEW : WP_VIEW {
        REC_VIEWS &owner;
        explicit VIEW(REC_VIEWS &o) : owner(o) { owner.live++; }
        ~VIEW() override { owner.live--; }
        void view_place(int x, int y, int w, int h) override
        {
            owner.log.push_back("place " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) +
                                "," + std::to_string(h));
        }
        void view_show(bool on) override { owner.log.push_back(on ? "show" : "hide"); }
        void view_update() override { owner.log.push_back("update"); }
        int view_draw(const WP_DRAW &d) override
        {
            char b[160];
            snprintf(b, sizeof b, "draw %d %d,%d,%d,%d r%d c%06X b%d w%d s%d '%s'", int(d.op), d.x1, d.y1, d.x2, d.y2,
                     d.r, unsigned(d.color), d.back, d.width, d.size, d.text);
            owner.log.push_back(b);
            return 0;
        }
        int view_copy() override { return owner.log.push_back("copy"), 0; }
    };
    WP_VIEW *wp_view_new(WP_PART &) override { return made++, new VIEW(*this); }
    int count(const std::string &what) const { return int(std::count(log.begin(), log.end(), what)); }
    bool any(const std::string &prefix) const
    {
        for (auto &l : log)
            if (l.rfind(prefix, 0) == 0) return true;
        return false;
    }
};

struct PARTS : APP {
    REC_VIEWS views;
    void SetUp() override
    {
        APP::SetUp();
        kov.csv_create(20, 300);
    }
    void with_views() { kov.kov_set_doors({&views, nullptr, nullptr}); }
    void TearDown() override
    {
        kov.csv_create(1, 1);   // the parts and their views go before the factory
        APP::TearDown();
    }
    // The formula put into (x, y), the whole sheet recalculated.
    void form(int x, int y, const std::string &f)
    {
        kov.csv_put_form(x, y, f.c_str());
        kov.csv_form_calc(nullptr);
    }
    void calc() { kov.csv_form_calc(nullptr); }
    template <class T = WP_PART> T *part(int x, int y) { return dynamic_cast<T *>(kov.csv_get_part(x, y)); }
    // The notices posted so far served (beeps, queued recalculations).
    void serve() { host.host_pump(); }
    // wp(RxCy, cmd, args) evaluated once in a scratch cell (emptied after, so that later passes
    // do not repeat the command): its value as cell() shows it.
    std::string wp(int x, int y, const std::string &args)
    {
        char f[400];
        snprintf(f, sizeof f, "wp(R%dC%d,%s)", y, x, args.c_str());
        kov.csv_put_form(19, 299, f);
        KOV_RECT one = {19, 299, 19, 299};
        kov.csv_form_calc(&one);
        std::string v = cell(19, 299);
        kov.csv_clr_cel(19, 299);
        return v;
    }
};

} // namespace kovtest
