// Where the program, its settings file and its log live.
// Both files sit beside the program when that folder is writable;
// otherwise the settings go to $XDG_CONFIG_HOME/kovash/kovash.ini and the log to
// $XDG_STATE_HOME/kovash/<program>.LOG, so an installed read-only program still works.
// A program folder so deep that the settings path would pass 280 characters counts as not
// writable.
#pragma once
#include <string>

struct KOV_PATHS {
    std::string exe;    // full path of the program
    std::string dir;    // its folder, without a trailing "/"
    std::string name;   // program file name without extension: the default settings section
    std::string ini;    // settings file
    std::string log;    // log file
};

// Full path of the running program (/proc/self/exe; argv0 resolved as a fallback).
std::string kov_self_exe(const char *argv0);

// Derives every path from the program path; creates the fallback folder when it is used.
int kov_make_paths(const char *exe, KOV_PATHS *p);

// Path with its extension (after the last "." of the file name) replaced by ext, e.g. ".ini";
// a name without extension gets ext appended.
std::string kov_with_ext(const std::string &path, const char *ext);

// Folder of a user base directory: $var when set and absolute, else $HOME/fallback.
std::string kov_xdg_dir(const char *var, const char *fallback);
