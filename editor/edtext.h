// The script editor's model without a window: the text of the script with its change stamp, and
// the spot the run display shows. A spot is kept as an offset into the copy of the text that
// ran, so a spot shown after the text changed can never point outside it.
#pragma once
#include <string>

struct ED_SPOT {
    std::string text;      // the text that ran
    long at = -1;          // offset of the spot in text, -1 none
    long len = 0;          // bytes highlighted from at
    std::string msg;       // its message
};
