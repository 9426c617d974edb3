// Picture files of GRAPH gadgets on any bytes: a load either refuses and keeps the picture, or
// gives a picture within the limits that a lossless save brings back pixel for pixel.
#include <cstring>

#include "tests/fuzz/fuzz_util.h"
#include "gadgets/gjmodel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string in = fuzz_tmpname("in"), out[] = {fuzz_tmpname("o.png"), fuzz_tmpname("o.bmp"),
                                                               fuzz_tmpname("o.gif")};
    FILE *f = fopen(in.c_str(), "wb");
    if (!f) return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    GJ_PIXELS pic;
    pic.pix_resize(3, 2, 0x123456);
    if (gj_image_load(pic, in.c_str()) != 0) {
        FUZZ_CHECK(pic.w == 3 && pic.h == 2 && pic.px[5] == 0x123456);
        return 0;
    }
    FUZZ_CHECK(pic.w >= 1 && pic.h >= 1 && long(pic.w) * pic.h <= GJ_PIXELS::PIXELS_MAX);
    FUZZ_CHECK(pic.px.size() == size_t(pic.w) * pic.h);
    // Pictures of many colours come back from GIF only near, so GIF is checked on few pixels.
    int formats = long(pic.w) * pic.h <= 256 ? 3 : 2;
    for (int k = 0; k < formats; k++) {
        FUZZ_CHECK(gj_image_save(pic, out[k].c_str(), 75) == 0);
        GJ_PIXELS back;
        FUZZ_CHECK(gj_image_load(back, out[k].c_str()) == 0);
        FUZZ_CHECK(back.w == pic.w && back.h == pic.h && back.px == pic.px);
    }
    return 0;
}
