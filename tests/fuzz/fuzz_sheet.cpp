// The sheet and CSV reader on any bytes: as a whole sheet or into a region, from memory or from
// a file. What loads must write and load again to the same text (the format is stable).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sheet/csvfile.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

int load(CSVFILE_U &f, const uint8_t *data, size_t size, unsigned mode, const CSV_RECT *region)
{
    if (!(mode & 2)) return f.csv_fload_mem(nullptr, reinterpret_cast<const char *>(data), size, region);
    static const std::string name = fuzz_tmpname("sheet.kov");
    fuzz_write_file(name, std::string(reinterpret_cast<const char *>(data), size));
    return f.csv_fload(nullptr, name.c_str(), region);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) return 0;
    unsigned mode = data[0];
    data++;
    size--;
    CSV_U csv;
    CSVFILE_U file(csv);
    file.csv_defxs = 8;   // small default sheets keep the runs fast
    file.csv_defys = 8;
    if (mode & 1) {
        csv.csv_create(20, 30);
        csv.csv_put_form(1, 1, "R0C0+R[1]C");
        CSV_RECT r = {int(mode >> 2) % 25, int(mode >> 4) % 35, 40, 40};
        if (!(mode & 0x80)) {
            load(file, data, size, mode, &r);
            return 0;
        }
        // Through the clipboard: paste with tiling and adjustment, then copy and move a block.
        csv.csv_host().host_clip_put(std::string(reinterpret_cast<const char *>(data), size));
        file.csv_clip_paste(&r, 0);
        CSV_RECT a = {0, 0, 3, 4}, b = {int(mode >> 3) % 20, int(mode >> 5) % 30, 0, 0};
        if (file.csv_clip_copy(&a, (mode & 2) ? "$$b" : "$$t") == 0) file.csv_clip_move(&b);
        return 0;
    }
    if (load(file, data, size, mode, nullptr) < 0) return 0;
    std::string once, twice;
    file.csv_fwrite_mem(once, CSV_P_ALL, nullptr);
    CSV_U again;
    again.csv_set_host(&csv.csv_host());   // the window state read goes where it was read from
    CSVFILE_U file2(again);
    file2.csv_defxs = 8;
    file2.csv_defys = 8;
    if (file2.csv_fload_mem(nullptr, once.data(), once.size(), nullptr) < 0) abort();
    file2.csv_fwrite_mem(twice, CSV_P_ALL, nullptr);
    if (once != twice) abort();
    return 0;
}
