// Parts with device doors whose clock the test moves on: the devices are served without a
// window and nothing sleeps.
#pragma once
#include "devices/devdoor.h"
#include "tests/gadgets/wpfix.h"

namespace kovtest {

struct DEVPARTS : PARTS {
    DEV_DOORS doors;
    uint32_t now = 1000;   // the doors' clock, ms
    void SetUp() override
    {
        PARTS::SetUp();
        doors.dev_clock = [this] { return now; };
        kov.kov_set_doors({&views, &doors, nullptr});
    }
};

} // namespace kovtest
