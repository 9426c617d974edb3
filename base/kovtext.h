// Shift-JIS (CP932) text: every narrow string inside Kovash is in this code page.
// Conversion to and from UTF-8 happens only at the edges (window, terminal, log).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kov {

// Lead byte of a double-byte character: 0x81..0x9F or 0xE0..0xFC.
constexpr bool sj_is_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

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

// The first character of a UTF-8 text that CP932 cannot hold: its byte offset in the input, its
// line (1-based), the character itself (UTF-8); count is how many there were in all.
struct SJ_LOST {
    size_t at = 0;
    size_t line = 0;
    std::string ch;
    size_t count = 0;
};

// The message that tells the user about them, in Shift-JIS ("" when nothing was lost).
std::string sj_lost_text(const char *name, const SJ_LOST &lost);

// UTF-8 -> CP932 that tells what it lost: each character without a CP932 form (and each invalid
// byte) becomes one '?'. Returns the number of such characters; lost (may be null) gets the first.
size_t sj_from_utf8_lost(std::string_view utf8, std::string &out, SJ_LOST *lost);

// CP932 -> UTF-8 for a sheet, CSV or script file: bytes that are no CP932 character become
// \xHH escapes, which the file readers turn back into the same bytes.
std::string sj_to_utf8_esc(std::string_view sjis);

// Encodings of text files. A file keeps the one it came in when it is written back.
enum { SJ_ENC_SJIS = 0, SJ_ENC_UTF8 = 1, SJ_ENC_UTF8BOM = 2 };

// Length of the longest prefix of s made of whole, valid UTF-8 sequences.
size_t utf8_valid_len(std::string_view s);

// Which encoding the bytes of a file are in (plain ASCII is Shift-JIS: nothing to convert).
int sj_guess(std::string_view bytes);

// Turns the bytes of a file into Shift-JIS in place (the byte-order mark dropped, UTF-8
// converted) and returns their encoding; lost as for sj_from_utf8_lost. Shift-JIS is untouched.
int sj_decode_file(std::string &bytes, SJ_LOST *lost);

// The bytes to write for a Shift-JIS text in a file of encoding enc.
std::string sj_encode_file(std::string_view sjis, int enc);

} // namespace kov
