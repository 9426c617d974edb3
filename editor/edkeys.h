// What the script editor remembers between keys: the four marks and the keyboard macro.
#pragma once
#include <string>
#include <vector>

// Four caret positions (in the window's units). Text edited before a mark moves it with its
// text; a mark inside a removed part goes to where the part was.
class ED_MARKS {
public:
    static constexpr int COUNT = 4;
    void set(int n, long at)
    {
        if (n >= 1 && n <= COUNT) pos[n - 1] = at;
    }
    long get(int n) const { return n >= 1 && n <= COUNT ? pos[n - 1] : -1; }   // -1 unset
    void edited(long at, long removed, long added);
    void clear();

private:
    long pos[COUNT] = {-1, -1, -1, -1};
};

// The keyboard macro: keys recorded with their modifiers and text, replayed as typed.
struct ED_KEY {
    int key;
    int mods;
    std::string text;   // the character it types (UTF-8), empty for commands
};

class ED_MACRO {
public:
    static constexpr int MAX = 128;
    bool recording() const { return on; }
    // On (the list emptied) or off.
    void toggle();
    // A typed key while recording: 0 kept; 1 kept and the list is now full, recording stopped
    // (the caller beeps); -1 not recording.
    int record(const ED_KEY &k);
    // Drops the last n keys (the keys of the command that ended the recording).
    void drop(int n);
    // The keys to replay; nullptr while recording (refused with a beep).
    const std::vector<ED_KEY> *play() const { return on ? nullptr : &keys; }
    int size() const { return int(keys.size()); }

private:
    bool on = false;
    std::vector<ED_KEY> keys;
};
