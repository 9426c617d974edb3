// The doors of devices: the event source that sockets, serial ports and timers run on, serial
// ports as the system opens them, and media playback. A device part reaches only these. The
// desktop and the command line hand out the same real ports and sockets: devices need no window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class WP_EVENTS;

// A serial port as the system opens it.
class DEV_PORT {
public:
    virtual ~DEV_PORT() = default;
    // Bytes read without waiting (0 none), -1 when the port failed (unplugged).
    virtual long port_read(char *buf, size_t size) = 0;
    virtual long port_write(const char *buf, size_t size) = 0;
    // Modem control and status lines by name ("SETDTR", "CTS", ...): 0 / -1, or the state.
    virtual int port_line(const char *name) = 0;
};

// Readiness a watch asks for and is told.
enum : int { DEV_IN = 1, DEV_OUT = 2, DEV_ERR = 4 };

// What a device reaches the world through. Everything runs on the one thread: a watch or timer
// call-back runs from the run loop (the window's, or dev_serve without one), never inside a
// door call, and may add or remove watches and timers, its own included.
//
// This class itself is the event source without a window: poll(2) over the watched
// descriptors and a list of timers, served by dev_serve; the window's doors serve the same
// watches and timers from its event loop.
class DEV_DOORS {
public:
    DEV_DOORS();
    virtual ~DEV_DOORS();
    DEV_DOORS(const DEV_DOORS &) = delete;
    DEV_DOORS &operator=(const DEV_DOORS &) = delete;

    // Calls fn(readiness) whenever fd is ready for events (DEV_IN, DEV_OUT; DEV_ERR is always
    // reported). A new watch of the same owner and fd replaces the old one; events 0 or an
    // empty fn removes it. 0 / -1.
    virtual int dev_watch(const void *owner, int fd, int events, std::function<void(int)> fn);
    // Calls fn once after ms milliseconds (0: at the next serve); a new timer of the same owner
    // and id replaces the old one; ms < 0 cancels it. 0 / -1.
    virtual int dev_timer(const void *owner, int id, int ms, std::function<void()> fn);
    // Every watch and timer of owner removed (a device going away).
    virtual void dev_forget(const void *owner);
    // Serves the ready watches and the due timers, waiting at most ms (0: not at all) for the
    // first one: the run loop without a window. How many call-backs ran.
    virtual int dev_serve(int ms);
    // The clock timers run by (milliseconds, wrapping); a test sets its own.
    std::function<uint32_t()> dev_clock;
    // Watches and timers pending (a loop without a window ends when none is left).
    int dev_pending() const;

    // Opens a port ("COM1".."COM256" or a "/dev/..." path) with speed, data bits, parity
    // ('N', 'E', 'O', 'M', 'S'), stop bits (1, 15 = 1.5, 2) and flow mode: the port, or nullptr
    // with errno set.
    virtual DEV_PORT *dev_port_open(const char *name, int speed, int bits, int parity, int stop, int flow);
    // Plays a media file without waiting ("" stops): 0 / -1.
    virtual int dev_play(const char *file);

protected:
    struct WATCH {
        const void *owner;
        int fd, events;
        std::function<void(int)> fn;
    };
    struct TIMER {
        const void *owner;
        int id;
        uint32_t due;
        std::function<void()> fn;
    };
    std::vector<WATCH> watches;
    std::vector<TIMER> timers;
    uint32_t dev_now() const;
};

// The application of device parts hands out its doors (KOV_U; a test its own).
class DEV_HOST {
public:
    virtual ~DEV_HOST() = default;
    virtual DEV_DOORS &dev_doors() = 0;
};
// The doors of a part's application: its own when it is a DEV_HOST, else a process-wide
// headless set.
DEV_DOORS &dev_doors_of(WP_EVENTS *ev);

// ---------------------------------------------------------------- media

// One media player: a file opened, played, stopped, sought. Positions and lengths are in
// milliseconds, the volume 0..1000. Each call returns at once; loading and playing go on in the
// background, so a call never waits for the medium or the sound device.
class DEV_MEDIA {
public:
    enum STATE { CLOSED, PLAYING, RECORDING, STOPPED, PAUSED, BUSY, BROKEN };
    virtual ~DEV_MEDIA() = default;
    virtual int media_open(const char *file) = 0;   // 0 / -1
    virtual int media_close() = 0;
    virtual int media_play() = 0;
    virtual int media_stop() = 0;
    virtual long media_length() = 0;                 // -1 when unknown
    virtual long media_position() = 0;               // -1 when nothing is open
    virtual int media_seek(long ms) = 0;
    virtual STATE media_state() = 0;
    virtual int media_volume(int vol) = 0;           // the volume before; -1 when it cannot be set
};

// Makes the players and plays sounds: the window installs one; without it (no window) there is
// no player and no sound.
class DEV_MEDIA_MAKER {
public:
    virtual ~DEV_MEDIA_MAKER() = default;
    virtual DEV_MEDIA *media_new() = 0;
    // A sound file played without waiting ("" stops it): 0 / -1.
    virtual int media_sound(const char *file) = 0;
};
void dev_media_set(DEV_MEDIA_MAKER *m);
DEV_MEDIA_MAKER *dev_media();
