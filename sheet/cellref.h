// Cell names in row-column notation: R<row>C<col>, each part absolute ("R5"), relative in
// brackets ("R[-1]") or bare (same row or column as the base cell); 0-based.
// Parsing never consumes an identifier that merely starts like a name (R1C1x, R1C1_x).
#pragma once
#include <cstddef>
#include <cstdint>

#include "sheet/csv.h"   // CSV_REF, CSV_RECT, CSV_CFT

// Offset value of an absolute part of a CSV_REF.
constexpr int CSV_REF_ABS = INT32_MIN;  // 0x80000000
// Longest formula text a rewrite may produce (bytes, without the terminator).
constexpr int CSV_FORM_MAX = 4095;
// Work buffer of a rewrite: room for CSV_FORM_MAX plus the longest name printed past it.
constexpr int CSV_FORM_WORK = 5120;

// Parse one cell name at pos relative to the base cell (bx, by). 0: pos moved past the name and
// ref filled; -1: not a name, pos unmoved.
int csv_parse_name(const char *&pos, int bx, int by, CSV_REF *ref);

// A name, or two names joined by ':'; the rectangle comes back ordered (x1<=x2, y1<=y2).
// A ':' not followed by a name is left unread (one-cell range).
int csv_parse_range(const char *&pos, int bx, int by, CSV_RECT *rect);

// Print a reference as parsed (R5, R, R[-1]; then C likewise). buf holds at least 32 bytes.
// -1 for an absolute part below 0 (it would not read back as a name).
int csv_print_name(char *buf, const CSV_REF *ref);

// Print absolute coordinates: "R5C3" for one cell, else "R0C0:R9C2". buf at least 32 bytes;
// -1 for negative coordinates or a text that would not fit.
int csv_print_range(char *buf, int x1, int y1, int x2, int y2);

// Pure text rewrites behind csv_adj_form / csv_cnv_form (no store needed). src is a formula
// text of the cell (x, y); out receives at most CSV_FORM_WORK bytes. 0 done, -1 when the
// result would pass CSV_FORM_MAX ("セル式長超過" logged; out then holds no usable text).
int csv_adj_text(const char *src, int x, int y, const CSV_CFT *cft, char *out);
// Names into region (nullptr: every name) become relative (mode 0) or absolute (mode 1).
int csv_cnv_text(const char *src, int x, int y, const CSV_RECT *region, int mode, char *out);
