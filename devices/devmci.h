// wpTNMCI: a media player on the sheet. The part holds a player of the window's media door;
// without a window there is none and every media command fails.
#pragma once
#include "devices/devdoor.h"
#include "gadgets/wpdoor.h"

#include <memory>
#include <string>

class DEV_MCI final : public WP_PART {
public:
    using WP_PART::WP_PART;
    ~DEV_MCI() override;
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    // The state's text: "CLOSE", "PLAY", "RECORD", "STOP", "PAUSE", "BUSY", or "" (no player,
    // a broken medium).
    static const char *state_text(int state);

    std::unique_ptr<DEV_MEDIA> media;   // nullptr without a window
    std::string file;                   // the medium opened last, as given

private:
    int media_command(const char *cmd, VAL_U *const *args, int n);
};
