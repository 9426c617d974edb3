// The print commands: every used cell (5) or the selection (6) on the printer door.
#include "app/kov.h"
#include "app/kovfname.h"
#include "base/kovlog.h"
#include "print/prlayout.h"

#include <cstdio>

int KOV_U::kov_print(const KOV_RECT *region)
{
    KOV_RECT r{0, 0, csv_used_xs(CSV_P_VAL) - 1, csv_used_ys(CSV_P_VAL) - 1};
    if (region) r = *region;
    PRN_FOOT foot;
    foot.name = kov_fname_base(csv_get_fname());
    foot.program = "kovash";
    foot.when = kov_hostp->host_now();
    return prn_sheet(*this, r, kov_printer(), prn_read_set(kov_prof), foot, *kov_hostp);
}

int KOV_U::kov_print_cmd(int id, const KOV_RECT &sel)
{
    char msg[96];
    if (id == KVM_PRINT_ALL) {
        int xs = csv_used_xs(CSV_P_VAL), ys = csv_used_ys(CSV_P_VAL);
        if (xs < 1 || ys < 1) {
            kov_hostp->host_msgbox("印刷データがありません", "印刷", KOV_MB_OK);
            return -1;
        }
        snprintf(msg, sizeof msg, "全データ %d 行 %d 列を印刷", ys, xs);
        kov_hostp->host_status(msg);
        return kov_print(nullptr);
    }
    snprintf(msg, sizeof msg, "選択領域 %d 行 %d 列を印刷", sel.y2 - sel.y1 + 1, sel.x2 - sel.x1 + 1);
    kov_hostp->host_status(msg);
    return kov_print(&sel);
}
