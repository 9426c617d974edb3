// The host's own behaviour, which every host without a window inherits.
#include "tests/support/testhost.h"

#include <gtest/gtest.h>

using namespace kovtest;

namespace {

// An application whose notice 3 posts another one, as a recalculation that queues more work.
struct REPOST : EVENTS {
    KOV_HOST *host = nullptr;
    void kov_notify(int code, intptr_t arg) override
    {
        EVENTS::kov_notify(code, arg);
        if (code == 3 && arg < 2) host->host_post(3, arg + 1);
    }
};

std::vector<int> state(KOV_HOST &h)
{
    CSV_WINST w;
    h.host_win_get(w);
    return std::vector<int>(w.v, w.v + CSV_WS_COUNT);
}

} // namespace

TEST(Host, NoticesWaitForThePumpAndOneServedPostsForTheNext)
{
    KOV_HOST host;
    REPOST app;
    app.host = &host;
    host.host_set_events(&app);
    host.host_post(2, 0);
    host.host_post(3, 0);
    EXPECT_TRUE(app.got.empty());
    host.host_pump();
    EXPECT_EQ(app.got, std::vector<std::string>({"notify 2", "notify 3"}));
    EXPECT_EQ(host.host_loop(), 0);   // the loop serves what was posted meanwhile, then ends
    EXPECT_EQ(app.got.size(), 3u);
    host.host_quit(5);
    EXPECT_EQ(host.host_loop(), 5);
    EXPECT_EQ(app.got, std::vector<std::string>({"notify 2", "notify 3", "notify 3", "notify 3"}));
}

TEST(Host, WindowStateIsClampedAndSizesWaitWhileMaximised)
{
    KOV_HOST host;
    CSV_WINST w;
    csv_winst_clear(w);
    w.v[CSV_WS_FONTSIZ] = 2400;
    w.v[CSV_WS_DSPSIZX] = 100;
    w.v[CSV_WS_DSPSIZY] = 9000;
    w.v[CSV_WS_TOOLBAR] = 7;      // not a switch value: left alone
    w.v[CSV_WS_STATBAR] = 0;
    host.host_win_put(w);
    EXPECT_EQ(state(host), std::vector<int>({-1, -1, -1, -1, 552, 7992, 96, -1, 0, -1, -1, -1, -1, -1}));
    csv_winst_clear(w);
    w.v[CSV_WS_FULLSIZ] = 1;
    w.v[CSV_WS_DSPSIZX] = 800;
    w.v[CSV_WS_DSPSIZY] = 600;
    w.v[CSV_WS_FONTSIZ] = 0;      // no font height given
    host.host_win_put(w);
    EXPECT_EQ(state(host), std::vector<int>({-1, -1, -1, -1, 552, 7992, 96, -1, 0, -1, -1, -1, -1, 1}));
}
