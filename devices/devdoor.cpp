#include "devices/devdoor.h"

#include "devices/devcom.h"

#include "gadgets/wpdoor.h"

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <climits>

DEV_DOORS::DEV_DOORS() = default;
DEV_DOORS::~DEV_DOORS() = default;

uint32_t DEV_DOORS::dev_now() const
{
    if (dev_clock) return dev_clock();
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(ts.tv_sec * 1000u + ts.tv_nsec / 1000000);
}

int DEV_DOORS::dev_watch(const void *owner, int fd, int events, std::function<void(int)> fn)
{
    auto same = [&](const WATCH &w) { return w.owner == owner && w.fd == fd; };
    watches.erase(std::remove_if(watches.begin(), watches.end(), same), watches.end());
    if (fd < 0) return -1;
    if (events && fn) watches.push_back({owner, fd, events, std::move(fn)});
    return 0;
}

int DEV_DOORS::dev_timer(const void *owner, int id, int ms, std::function<void()> fn)
{
    auto same = [&](const TIMER &t) { return t.owner == owner && t.id == id; };
    timers.erase(std::remove_if(timers.begin(), timers.end(), same), timers.end());
    if (ms >= 0 && fn) timers.push_back({owner, id, dev_now() + uint32_t(ms), std::move(fn)});
    return 0;
}

void DEV_DOORS::dev_forget(const void *owner)
{
    std::erase_if(watches, [&](const WATCH &w) { return w.owner == owner; });
    std::erase_if(timers, [&](const TIMER &t) { return t.owner == owner; });
}

int DEV_DOORS::dev_pending() const { return int(watches.size() + timers.size()); }

int DEV_DOORS::dev_serve(int ms)
{
    // Wait no longer than the first timer is due (signed differences survive the wrap).
    uint32_t now = dev_now();
    for (const TIMER &t : timers) ms = std::min(ms, std::max(0, int32_t(t.due - now)));
    std::vector<pollfd> fds;
    for (const WATCH &w : watches)
        fds.push_back({w.fd, short((w.events & DEV_IN ? POLLIN : 0) | (w.events & DEV_OUT ? POLLOUT : 0)), 0});
    if (fds.empty() && ms > 0 && timers.empty()) return 0;
    int ready = poll(fds.data(), fds.size(), std::max(0, ms));
    int served = 0;
    // Call-backs may change both lists: take each one by its key again before calling it.
    for (size_t k = 0; ready > 0 && k < fds.size(); k++) {
        if (!fds[k].revents) continue;
        int r = (fds[k].revents & POLLIN ? DEV_IN : 0) | (fds[k].revents & POLLOUT ? DEV_OUT : 0) |
                (fds[k].revents & (POLLERR | POLLHUP | POLLNVAL) ? DEV_ERR : 0);
        auto it = std::find_if(watches.begin(), watches.end(), [&](const WATCH &w) { return w.fd == fds[k].fd; });
        if (it == watches.end()) continue;
        auto fn = it->fn;
        fn(r);
        served++;
    }
    now = dev_now();
    std::vector<std::pair<const void *, int>> due;
    for (const TIMER &t : timers)
        if (int32_t(now - t.due) >= 0) due.push_back({t.owner, t.id});
    for (auto &key : due) {
        const void *owner = key.first;
        int id = key.second;
        auto it = std::find_if(timers.begin(), timers.end(), [&](const TIMER &t) { return t.owner == owner && t.id == id; });
        if (it == timers.end() || int32_t(now - it->due) < 0) continue;
        auto fn = std::move(it->fn);
        timers.erase(it);
        fn();
        served++;
    }
    return served;
}

DEV_PORT *DEV_DOORS::dev_port_open(const char *name, int speed, int bits, int parity, int stop, int flow)
{
    return DEV_COM::com_open(name, {speed, bits, parity, stop, flow});
}

// The window's player when there is one; without it nothing plays, so stopping is done.
int DEV_DOORS::dev_play(const char *file)
{
    DEV_MEDIA_MAKER *m = dev_media();
    if (!file) return -1;
    return m ? m->media_sound(file) : *file ? -1 : 0;
}

DEV_DOORS &dev_doors_of(WP_EVENTS *ev)
{
    if (auto *h = dynamic_cast<DEV_HOST *>(ev)) return h->dev_doors();
    static DEV_DOORS none;
    return none;
}
