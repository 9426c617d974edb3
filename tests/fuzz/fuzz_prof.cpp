// The settings file on any bytes: every value read is clamped into its range and reads again
// the same; a value or text written reads back as written and leaves every other key alone.
#include <climits>
#include <cstring>
#include <string>

#include "tests/fuzz/fuzz_util.h"
#include "base/kovprof.h"

namespace {

using kov::PROF_KEY;
using kov::PROF_U;

// Rows 0 and 1 are one key under two spellings (the default section, letter case).
const PROF_KEY keys[] = {
    {"", "DEBUG", 0, 0, 1},
    {"kovash", "debug", 0, 0, 1},
    {"WINDOW", "XPOS", 100, -32768, 32767},
    {"WINDOW", "YPOS", -5, -32768, 32767},
    {"Window", "FONT", 12, 6, 72},
    {"\x83\x5D\x95\x5C", "\x83\x5C" "A", 3, 1, 9},   // trail bytes 0x5D ']' and 0x5C
    {"WIDE", "MIN", INT_MIN, INT_MIN, INT_MAX},
    {"WIDE", "MAX", INT_MAX, INT_MIN, INT_MAX},
};
constexpr int NKEYS = sizeof keys / sizeof keys[0];
const char *const TEXT_SEC = "FILES";
const char *const TEXT_KEY = "LAST";

void read_all(PROF_U &p, int *v)
{
    for (int i = 0; i < NKEYS; i++) {
        const PROF_KEY &k = keys[i];
        v[i] = p.prof_read_int(k.sec, k.key, k.def, k.min, k.max);
        FUZZ_CHECK(v[i] >= k.min && v[i] <= k.max);
    }
    FUZZ_CHECK(v[0] == v[1]);
}

void same_as(PROF_U &p, const int *want)
{
    int now[NKEYS];
    read_all(p, now);
    FUZZ_CHECK(memcmp(now, want, sizeof now) == 0);
}

// What a text written reads back as, when the reader can give it back unchanged.
bool reads_back_plain(const std::string &t)
{
    if (t.empty()) return true;
    if (t.find('\0') != std::string::npos) return false;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (blank(t.front()) || blank(t.back())) return false;
    return !(t.size() >= 2 && t.front() == '"' && t.back() == '"');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FUZZ_IN in{data, size};
    unsigned writes = in.u8();
    uint32_t value[NKEYS];
    for (auto &v : value) v = in.u32();
    std::string text = in.take(in.u8() % 48);
    static const std::string path = fuzz_tmpname("kovash.ini");
    fuzz_write_file(path, in.rest());

    PROF_U p;
    if (p.prof_set_path(path.c_str(), "KOVASH") != 0) __builtin_trap();
    int v[NKEYS];
    read_all(p, v);   // missing keys are written back with their defaults
    same_as(p, v);

    // Chosen keys get new values; the alias row follows its twin.
    for (int i = 0; i < NKEYS; i++) {
        if (!(writes >> i & 1)) continue;
        const PROF_KEY &k = keys[i];
        FUZZ_CHECK(p.prof_write_int(k.sec, k.key, k.def, k.min, k.max, int(value[i])) == 0);
        v[i] = kov::prof_clamp(int(value[i]), k.min, k.max);
        if (i < 2) v[1 - i] = v[i];
    }
    same_as(p, v);
    FUZZ_CHECK(p.prof_fill(keys, NKEYS) == 0);
    same_as(p, v);

    // A text is refused or stored; stored, it reads back and moves no other key.
    if (p.prof_write_text(TEXT_SEC, TEXT_KEY, text.c_str()) == 0) {
        std::string back;
        FUZZ_CHECK(p.prof_read_text(TEXT_SEC, TEXT_KEY, back) == 0);
        if (reads_back_plain(text)) FUZZ_CHECK(back == text);
        same_as(p, v);
    }

    PROF_U fresh;
    fresh.prof_set_path(path.c_str(), "kovash");
    same_as(fresh, v);
    return 0;
}
