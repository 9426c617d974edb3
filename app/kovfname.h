// File names of a sheet and its script.
#pragma once
#include <string>

// Longest sheet name kept (bytes); ".kov" is appended only while the result stays below
// KOV_FNAME_LIM.
constexpr int KOV_FNAME_MAX = 280;
constexpr int KOV_FNAME_LIM = 282;

// The name a sheet is stored under: at most KOV_FNAME_MAX bytes (never half a double-byte
// character); extension "scr" (any case) becomes "kov"; no extension gets ".kov".
std::string kov_sheet_name(const char *name);

// The script file of a sheet: the same name with the extension ".scr".
std::string kov_script_name(const char *sheet);

// The name without its folders.
const char *kov_fname_base(const char *name);
// Extension of a file name without the dot ("" when none), and whether it is ext in any case.
const char *kov_fname_ext(const char *name);
bool kov_has_ext(const char *name, const char *ext);
