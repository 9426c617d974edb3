// The sheet file layer seen from the application: the host that carries the window state between
// the sheet file and KOV_U, the sheet loader of the start-up, and `kovash --convert IN OUT`.
#pragma once
#include "sheet/csvfile.h"

class KOV_U;

// Window state and screen lock go to and from the application object's fields; the clipboard
// and the editor stay the defaults until the desktop layer overrides them.
class KOVFILE_HOST_U : public CSV_HOST_U {
public:
    explicit KOVFILE_HOST_U(KOV_U &k) : kov(k) {}
    void csv_win_get(CSV_WINST &ws) override;
    void csv_win_put(const CSV_WINST &ws) override;
    void csv_scrlock_put(int lock) override;

private:
    KOV_U &kov;
};

// The sheet loader seam of cse_fload (kov_set_sheet_loader): a whole-sheet load; a missing
// file is a new empty sheet, a file that cannot be read fails. 0 / -1.
int kov_load_sheet(KOV_U &kov, const char *path);

// kovash --convert IN OUT: load a sheet or CSV file and save it by OUT's extension (.kov the full
// format, .csv or .txt values only). argv holds IN and OUT. Exit status: 0 done, 1 a file could
// not be read or written, 2 wrong arguments; messages go to stderr in UTF-8.
int kov_convert(int argc, char **argv);
