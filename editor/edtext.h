// The script editor's model without a window: the text of the script with its change stamp, and
// the spot the run display shows. A spot is kept as an offset into the copy of the text that
// ran, so a spot shown after the text changed can never point outside it.
#pragma once
#include <string>
#include <vector>

struct ED_SPOT {
    std::string text;      // the text that ran
    long at = -1;          // offset of the spot in text, -1 none
    long len = 0;          // bytes highlighted from at
    std::string msg;       // its message
};

// ---- the text commands on the script's Shift-JIS bytes ----
// Offsets are bytes of text; every position the commands return starts a character, so a
// double-byte character is one step and its trail byte (which may look like '\' or '[') is
// never taken for a character of its own.

// The character steps from at: the next start (at the end: the end) and the previous start
// (at 0: 0).
long ed_next(const std::string &text, long at);
long ed_prev(const std::string &text, long at);
// Characters in the first bytes of text, and the bytes of its first chars (the window counts
// in characters).
long ed_chars(const std::string &text, long bytes);
long ed_bytes(const std::string &text, long chars);
// Screen column of byte at within its line, TABs advancing to the next multiple of tab.
long ed_col(const std::string &text, long at, int tab);

// The first occurrence of pat starting at or after from (forward) or the last one starting
// before from (backward); -1 when there is none or pat is empty.
long ed_find(const std::string &text, const std::string &pat, long from, bool forward);

// Lines count from 1; a text "a\n" has two. The start of line n, -1 outside 1..lines.
long ed_lines(const std::string &text);
long ed_line_start(const std::string &text, long n);
// The line number typed at the prompt: digits with blanks around them, else -1.
long ed_line_arg(const std::string &answer);

// The bracket that pairs with the one at at: its offset; ED_NOTPAIR when at holds no bracket,
// ED_NOMATE when its partner is missing.
enum { ED_NOTPAIR = -1, ED_NOMATE = -2 };
long ed_pair(const std::string &text, long at);

// Replacement. The check of the two inputs, then the occurrences (not overlapping, from the
// start): every one of the text, or (ident) those of the identifier: whole names outside string
// and character literals and comments.
enum ED_REPL { ED_REP_DONE, ED_REP_NOSRC, ED_REP_SAME, ED_REP_NONE, ED_REP_CANCEL };
int ed_repl_check(const std::string &src, const std::string &dst);
std::vector<long> ed_matches(const std::string &text, const std::string &pat, bool ident);
// Replaces in text; the result code, with count the replacements made.
int ed_replace(std::string &text, const std::string &src, const std::string &dst, bool ident, int &count);
// What the status bar says about a result; refused() tells whether it beeps too.
std::string ed_repl_msg(int code, int count);
inline bool ed_repl_refused(int code) { return code == ED_REP_NOSRC || code == ED_REP_SAME; }

// A script file: read whole (CR LF becomes LF, UTF-8 becomes Shift-JIS, enc its encoding) and
// written back whole with CR LF in its encoding. 0 / -1 with errno.
int ed_file_read(const char *name, std::string &text, int *enc);
int ed_file_write(const char *name, const std::string &text, int enc);
