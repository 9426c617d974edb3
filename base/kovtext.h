// Shift-JIS (CP932) text: every narrow string inside Kovash is in this code page.
// Conversion to and from UTF-8 happens only at the edges (window, terminal, log).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kov {

// Lead byte of a double-byte character: 0x81..0x9F or 0xE0..0xFC.
inline bool sj_is_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Bytes taken by the character at p: 2 for a lead byte followed by a trail byte, 1 otherwise
// (a lead byte before the NUL stands alone), 0 at the NUL.
size_t sj_step(const char *p);

// Number of characters of a NUL-terminated text (a double-byte character counts once).
size_t sj_chars(const char *s);

// Longest prefix of s (at most max bytes) that does not split a double-byte character.
size_t sj_cut(const char *s, size_t max);

// Whether byte index i of s is the trail byte of a double-byte character (scans from the start).
bool sj_is_trail(const char *s, size_t i);

// CP932 <-> UTF-8. Invalid input bytes become '?' rather than failing: these run at the edges
// where a lossy message beats no message.
std::string sj_to_utf8(std::string_view sjis);
std::string sj_from_utf8(std::string_view utf8);

} // namespace kov
