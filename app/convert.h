// kovash --convert IN OUT: load a sheet or CSV file and save it by OUT's extension (.kov the full
// format, .csv or .txt values only), in IN's encoding or the one --encoding names.
#pragma once

// argv holds IN and OUT. Exit status: 0 done, 1 a file could not be read or written (OUT is then
// untouched), 2 wrong arguments; messages go to stderr in UTF-8.
int kov_convert(int argc, char **argv);
