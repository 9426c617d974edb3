#include "devices/qt/devqt.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <map>
#include <memory>

namespace {

// The base keeps the lists and decides what is ready and due; Qt only wakes it.
class DEV_QTDOORS final : public DEV_DOORS {
public:
    DEV_QTDOORS()
    {
        wake.setSingleShot(true);
        QObject::connect(&wake, &QTimer::timeout, [this] { serve_now(); });
    }
    int dev_watch(const void *owner, int fd, int events, std::function<void(int)> fn) override
    {
        int r = DEV_DOORS::dev_watch(owner, fd, events, std::move(fn));
        sync();
        return r;
    }
    int dev_timer(const void *owner, int id, int ms, std::function<void()> fn) override
    {
        int r = DEV_DOORS::dev_timer(owner, id, ms, std::move(fn));
        sync();
        return r;
    }
    void dev_forget(const void *owner) override
    {
        DEV_DOORS::dev_forget(owner);
        sync();
    }
    // Qt's loop serves the watches: waiting is running it until something came or ms passed.
    int dev_serve(int ms) override
    {
        int before = served;
        if (ms > 0) {
            QTimer nudge;
            nudge.setSingleShot(true);
            nudge.start(ms);
            QObject::connect(&nudge, &QTimer::timeout, [] {});
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        } else {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        return served - before;
    }

private:
    struct NOTE {
        std::unique_ptr<QSocketNotifier> in, out;
    };
    std::map<int, NOTE> notes;   // by descriptor
    QTimer wake;
    int served = 0;
    bool serving = false;

    void serve_now()
    {
        if (serving) return;   // a call-back's modal loop: the outer serve goes on afterwards
        serving = true;
        served += DEV_DOORS::dev_serve(0);
        serving = false;
        sync();
    }
    // A notifier deleted inside its own signal would crash: drop it later.
    static void drop(std::unique_ptr<QSocketNotifier> &n)
    {
        if (!n) return;
        n->setEnabled(false);
        n.release()->deleteLater();
    }
    void want(std::unique_ptr<QSocketNotifier> &n, int fd, QSocketNotifier::Type type, bool on)
    {
        if (!on) return drop(n);
        if (n) return n->setEnabled(true);
        n = std::make_unique<QSocketNotifier>(fd, type);
        QObject::connect(n.get(), &QSocketNotifier::activated, [this] { serve_now(); });
    }
    void sync()
    {
        std::map<int, int> events;
        for (const WATCH &w : watches) events[w.fd] |= w.events;
        for (auto it = notes.begin(); it != notes.end();) {
            int ev = events.count(it->first) ? events[it->first] : 0;
            want(it->second.in, it->first, QSocketNotifier::Read, ev & DEV_IN);
            want(it->second.out, it->first, QSocketNotifier::Write, ev & DEV_OUT);
            it = ev ? std::next(it) : notes.erase(it);
        }
        for (auto &[fd, ev] : events) {
            if (notes.count(fd)) continue;
            NOTE &n = notes[fd];
            want(n.in, fd, QSocketNotifier::Read, ev & DEV_IN);
            want(n.out, fd, QSocketNotifier::Write, ev & DEV_OUT);
        }
        arm();
    }
    // The one timer runs to the earliest due timer of the base.
    void arm()
    {
        if (timers.empty()) return wake.stop();
        uint32_t now = dev_now();
        int ms = INT32_MAX;
        for (const TIMER &t : timers) ms = std::min(ms, std::max(0, int(int32_t(t.due - now))));
        wake.start(ms);
    }
};

} // namespace

DEV_DOORS *dev_qt_doors()
{
    // Kept to the end: its timer and notifiers must not outlive the application's event loop.
    static DEV_QTDOORS *doors = new DEV_QTDOORS;
    return doors;
}
