// Reference adjustment and conversion of formulas (stub bodies until the cell-name code lands).
#include "sheet/csv.h"

int CSV_U::csv_adj_form(int, int, const CSV_CFT *) { return 0; }
int CSV_U::csv_adj_row(int, int, int, const CSV_CFT *) { return 0; }
int CSV_U::csv_adj_sheet(const CSV_CFT *) { return 0; }
int CSV_U::csv_cnv_form(int, int, const CSV_RECT *, int) { return 0; }
int CSV_U::csv_cnv_region(const CSV_RECT *, int) { return 0; }
