// A device terminal fed what a peer or a port may send: bytes in any chunks, any line end, the
// script's commands in between, the screen of any size. Nothing crashes; the receive buffer
// never passes its limit; a line taken never holds a zero byte; the screen's cursor stays on it.
#include <cstring>
#include <string>

#include "devices/devterm.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

struct TERM : DEV_TERM {
    TERM() : DEV_TERM(nullptr) {}
    int term_send_byte(unsigned char) override { return 0; }
    int wp_update(const FN_CALL &) override { return 0; }
};

const char *const commands[] = {"RECVS", "RECVB", "SENDS", "SENDB", "TCLEAR", "TCLREOL", "TGOTO", "TPUTS", "TFONT"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FUZZ_IN in{data, size};
    TERM t;
    t.screen.resize(1 + in.below(200), 1 + in.below(60));
    t.term_set_line_end(in.take(in.below(80)).c_str());
    while (!in.empty()) {
        if (in.u8() < 200) {
            std::string chunk = in.take(in.below(5000));
            t.term_receive(chunk.data(), chunk.size());
        } else {
            VAL_U a, b;
            a.val_puts(in.take(in.below(40)).c_str());
            b.val_putd(in.below(300) - 100);
            VAL_U *args[2] = {in.u8() & 1 ? &a : &b, &b};
            t.wp_command(commands[in.below(9)], args, in.below(3));
            std::string line = t.term_take_line();
            if (line.find('\0') != std::string::npos) __builtin_trap();
        }
        if (t.recv.size() > size_t(DEV_RECV_MAX)) __builtin_trap();
        if (t.screen.cx < 0 || t.screen.cy < 0 || t.screen.cx > t.screen.cols || t.screen.cy >= t.screen.rows) __builtin_trap();
    }
    return 0;
}
