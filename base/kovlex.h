// Literal readers of the C-like notation shared by the interpreter and the CSV reader: one
// character of a character or string literal, and a numeric constant.
#pragma once

class LEX_U {
public:
    virtual ~LEX_U() = default;
    // One character of a character or string literal (escapes decoded) into code (0..511).
    virtual int lex_char(const char *&cur, int &code);
    // A numeric constant (C integer bases, then decimal floating point) or 'c' constant.
    virtual int lex_number(const char *&cur, double &num);
};
