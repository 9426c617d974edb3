// Scanning primitives of the interpreter. The interpreter runs on the script text itself: every
// grammar method takes a cursor by reference and returns 0 (recognised, cursor moved past the
// construct) or -1 (not recognised, cursor moved past blanks at most). Nothing here allocates:
// names and string literals are collected in fixed stack buffers, since scanning repeats each
// time a construct runs. No primitive reads beyond the terminating NUL of the text.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <functional>

#include "base/kovlex.h"
#include "base/kovlog.h"

class VAL_U;

// Name and value of a predefined constant (installed by the interpreter as global enumerators).
struct SCR_PREDEF {
    const char *name;
    int value;
};

// Words the statement and declaration readers decide on, as scr_word codes. The statement
// keywords come first, in the order of the statement reader's switch; the gadget type names
// follow the VT_ codes from VT_BASE on.
enum SCR_WORD {
    W_NONE, W_IF, W_SWITCH, W_DO, W_WHILE, W_FOR, W_GOTO, W_BREAK, W_CONTINUE, W_RETURN, W_CASE, W_DEFAULT,
    W_AUTO, W_REGISTER, W_STATIC, W_EXTERN, W_TYPEDEF, W_CONST, W_VOLATILE, W_VOID, W_VAR, W_ENUM,
    W_CHAR, W_SHORT, W_INT, W_LONG, W_FLOAT, W_DOUBLE, W_STRUCT, W_UNION,
    W_BASE, W_BACK, W_ARRAY, W_GRAPH, W_PUSH, W_CHECK, W_TEDIT, W_SEDIT, W_NEDIT, W_VSCROL, W_HSCROL,
    W_COUNT
};

enum { SCR_NAMESIZE = 65, SCR_STRMAX = 4096, SCR_ERRSIZE = 1025, SCR_RSVCOUNT = 37 };

class SCR_LEX : public LEX_U {
public:
    SCR_LEX();

    // Furthest text position blank skipping has reached since scr_reset_far(); after a failed
    // link pass it marks where the parse gave up (the editor puts its caret there).
    const char *far_pos = nullptr;
    void scr_reset_far() { far_pos = nullptr; }

    // Skips TAB, LF, space and both comment kinds (CR is not a blank). Returns the byte now
    // under the cursor as a signed 8-bit value (0 at the end of the text). Inline for the usual
    // case of nothing to skip: it runs before every token read.
    int scr_skip_space(const char *&cur)
    {
        unsigned char c = *cur;
        if (c == ' ' || c == '\t' || c == '\n' || c == '/') return skip_blanks(cur);
        note_far(cur);
        return static_cast<signed char>(c);
    }
    // Keyword or punctuator. A one-character operator never matches the first half of a longer
    // one ("+" not in "++"/"+="), a word never runs on into an identifier. Logs "KEY:%s".
    // Inline for a one-byte punctuator (the key is a literal, so the test folds away; the
    // letter test is spelled out because a call to scr_is_idf here stops the inlining).
    int scr_match_key(const char *&cur, const char *key)
    {
        char k = key[0];
        if (!k || key[1] || (k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z') || k == '_')
            return match_key_text(cur, key);
        scr_skip_space(cur);
        if (*cur != k || scr_cut_short(k, cur[1])) return -1;
        cur++;
        KOV_LOG("KEY:%s", key);
        return 0;
    }
    // The length of key when it stands at p (no blanks skipped) as scr_match_key would take it,
    // else -1. Neither logs nor moves far_pos.
    static int scr_key_at(const char *p, const char *key);
    // Whether the one-character operator c is the first half of a longer one when next follows.
    static bool scr_cut_short(char c, char next)
    {
        switch (c) {
        case '&': case '+': case '-': case '<': case '>': case '|': return next == c || next == '=';
        case '%': case '*': case '/': case '=': case '^': return next == '=';
        default: return false;
        }
    }
    // Identifier (not a reserved word) into buf; size is 65 everywhere. Logs "ID:%s".
    int scr_idname(const char *&cur, char *buf, int size);
    // Numeric or character constant into val.
    int scr_const(const char *&cur, VAL_U &val);
    // String literal into val; adjacent literals join across blanks, comments and lines.
    int scr_string(const char *&cur, VAL_U &val);
    // Enumeration constant. Needs the symbol tables: the interpreter overrides it.
    virtual int scr_enum(const char *&cur, VAL_U &val);
    // Appends text to val's string (a number or empty value counts as ""), cut to 4096 bytes
    // without leaving half a double-byte character.
    int scr_add_string(VAL_U &val, const char *text);

    // Past blanks and comments as scr_skip_space, by value: for lookahead and logs, which must
    // not move far_pos. Stops at the NUL inside an unterminated comment.
    static const char *scr_past_blanks(const char *p);
    // Lookahead by the same rules as the readers, by value and without moving far_pos: past the
    // name characters at p (p itself when none stand there); the name characters at p into w
    // when fewer than size, else ""; past the string or character literal whose opening quote
    // is at p (nullptr when it does not end on its line); past a first line "#!..." of a script
    // text (text itself when it has none), which makes an executable script a comment line.
    static const char *scr_past_word(const char *p);
    static void scr_peek_word(const char *p, char *w, int size);
    // The SCR_WORD code of the whole word at p, W_NONE when it is none of them. One hashed
    // probe instead of comparing with each word: it runs for every statement and block.
    static int scr_word(const char *p);
    const char *scr_past_quoted(const char *p);
    static const char *scr_past_shebang(const char *text);
    // Excerpt of at most 40 bytes of the line at cur for log lines. The buffer is shared by all
    // callers and overwritten by the next call.
    static const char *scr_line40col(const char *cur);
    // Row and column (0-based, a double-byte character is one column) of pos in text; 0 if pos
    // lies in the text, else -1 with what was counted.
    static int scr_text2rowcol(const char *text, const char *pos, int &row, int &col);

    // Error texts: a null format moves the current error to "previous" and empties the current
    // one; otherwise the text is set only if the current one is empty (the first error wins).
    // Every text set is also a trace line of the log. Return the current text.
    const char *scr_set_SCRERR(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    const char *scr_set_FNCERR(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    const char *scr_vset_SCRERR(const char *fmt, va_list ap);
    const char *scr_vset_FNCERR(const char *fmt, va_list ap);
    // Current error (script error preferred), previous error (the one errmsg() returns).
    const char *scr_get_nowerr() const;
    const char *scr_get_preerr() const;
    // Out of memory: sets the current error "メモリ不足" and returns -1.
    int scr_err_nomem();
    // Empties all four texts (a fresh interpreter).
    void scr_clear_errors();

    // Reserved words: must stay in this order, ended by an empty entry (no twins).
    static constexpr char scr_rsvword[SCR_RSVCOUNT + 1][11] = {
        "_Bool", "_Complex", "_Imaginary", "auto", "break", "case", "char", "const", "continue",
        "default", "do", "double", "else", "enum", "extern", "float", "for", "goto", "if", "inline",
        "int", "long", "register", "restrict", "return", "short", "signed", "sizeof", "static",
        "struct", "switch", "typedef", "union", "unsigned", "void", "volatile", "while", "",
    };
    static int scr_is_reserved(const char *name);
    // Predefined constants in installation order: OK NG ERR TRUE FALSE NULL EOF.
    static const SCR_PREDEF scr_predef[7];

protected:
    char err_prescr[SCR_ERRSIZE];
    char err_prefnc[SCR_ERRSIZE];
    char err_nowscr[SCR_ERRSIZE];
    char err_nowfnc[SCR_ERRSIZE];
    // While one is set, the first change of an error text saves the four texts there: a parse,
    // which must leave no trace, gives them back then (it rarely has any to give back).
    struct ERR_SAVE {
        bool saved = false;
        char t[4][SCR_ERRSIZE];
    };
    ERR_SAVE *err_save = nullptr;
    void err_changing()
    {
        if (err_save && !err_save->saved) err_keep();
    }
    void err_keep()
    {
        err_copy_out(err_save->t);
        err_save->saved = true;
    }
    // The four texts (now, function's now, previous, function's previous) out and back in.
    void err_copy_out(char (&t)[4][SCR_ERRSIZE]) const;
    void err_copy_in(const char (&t)[4][SCR_ERRSIZE]);
    // Gives back what the save holds; true when it held anything (an outer save learns it).
    bool err_restore(ERR_SAVE &keep, ERR_SAVE *outer);

    // Where blank skipping from each byte of one text ends (offset + 1, 0 not known yet): a loop
    // skips the same blanks on every pass. The owner keeps the array as long as the text.
    void scr_blank_memo(const char *text, size_t len, uint8_t *ends)
    {
        blank_base = text;
        blank_len = text ? len : 0;
        blank_end = ends;
    }

private:
    int match_key_text(const char *&cur, const char *key);
    const char *blank_base = nullptr;
    size_t blank_len = 0;
    uint8_t *blank_end = nullptr;   // blanks skipped at each offset + 1; 0 not known, 255 too many (skipped again)
    int skip_blanks(const char *&cur);
    // Formula texts and the script are different objects: compared as addresses only.
    void note_far(const char *p)
    {
        if (!far_pos || std::less<const char *>()(far_pos, p)) far_pos = p;
    }
    const char *err_set(char *now, char *pre, const char *fmt, va_list ap);
    int str_body(const char *&p, char *buf, int &len);
    int lit_char(const char *&p, unsigned char (&out)[2], int &n);
};

// ASCII classes of names, locale-independent (bytes of double-byte characters are neither).
inline bool scr_is_idf(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
inline bool scr_is_idc(int c) { return scr_is_idf(c) || (c >= '0' && c <= '9'); }
// A byte that may begin a unary operator: & * + - ~ !
inline bool scr_is_unary_op(int c) { return c == '&' || c == '*' || c == '+' || c == '-' || c == '~' || c == '!'; }

inline int SCR_LEX::scr_key_at(const char *p, const char *key)
{
    int n = 0;
    while (key[n] && p[n] == key[n]) n++;
    if (key[n]) return -1;
    // a one-character operator that is the first half of a longer one does not match
    if (n == 1 ? scr_cut_short(key[0], p[1]) : n == 2 && (key[0] == '<' || key[0] == '>') && key[1] == key[0] && p[2] == '=')
        return -1;
    if (scr_is_idf((unsigned char)key[0]) && scr_is_idc((unsigned char)p[n])) return -1;
    return n;
}
