// Cell names in row-column notation: R<row>C<col>, each part absolute ("R5"), relative in
// brackets ("R[-1]") or bare (same row or column as the base cell); 0-based.
// Parsing never consumes an identifier that merely starts like a name (R1C1x, R1C1_x).
#pragma once
#include <cstdint>

struct CSV_REF;   // sheet/csv.h: { x, y, xoff, yoff }
struct CSV_RECT;  // sheet/csv.h: { x1, y1, x2, y2 }

// Offset value of an absolute part of a CSV_REF.
constexpr int CSV_REF_ABS = INT32_MIN;  // 0x80000000

// Parse one cell name at pos relative to the base cell (bx, by). 0: pos moved past the name and
// ref filled; -1: not a name, pos unmoved.
int csv_parse_name(const char *&pos, int bx, int by, CSV_REF *ref);

// A name, or two names joined by ':'; the rectangle comes back ordered (x1<=x2, y1<=y2).
int csv_parse_range(const char *&pos, int bx, int by, CSV_RECT *rect);

// Print a reference as parsed (R5, R, R[-1]; then C likewise). buf holds at least 32 bytes.
int csv_print_name(char *buf, const CSV_REF *ref);

// Print absolute coordinates: "R5C3" for one cell, else "R0C0:R9C2". buf at least 32 bytes.
int csv_print_range(char *buf, int x1, int y1, int x2, int y2);
