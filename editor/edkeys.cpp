#include "editor/edkeys.h"

void ED_MARKS::edited(long at, long removed, long added)
{
    for (long &p : pos) {
        if (p < 0 || p < at) continue;
        if (p < at + removed) p = at;
        else p += added - removed;
    }
}

void ED_MARKS::clear()
{
    for (long &p : pos) p = -1;
}

void ED_MACRO::toggle()
{
    on = !on;
    if (on) keys.clear();
}

int ED_MACRO::record(const ED_KEY &k)
{
    if (!on) return -1;
    keys.push_back(k);
    if (int(keys.size()) < MAX) return 0;
    on = false;
    return 1;
}

void ED_MACRO::drop(int n)
{
    while (n-- > 0 && !keys.empty()) keys.pop_back();
}
