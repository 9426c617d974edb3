#include "devices/devmci.h"

#include "script/scr.h"

#include <cstring>

namespace {
DEV_MEDIA_MAKER *media_maker = nullptr;
}

void dev_media_set(DEV_MEDIA_MAKER *m) { media_maker = m; }
DEV_MEDIA_MAKER *dev_media() { return media_maker; }

// The view goes first: it may still show the player's picture.
DEV_MCI::~DEV_MCI() { wp_set_view(nullptr); }

const char *DEV_MCI::state_text(int st)
{
    static const char *const names[] = {"CLOSE", "PLAY", "RECORD", "STOP", "PAUSE", "BUSY"};
    return st >= 0 && st < 6 ? names[st] : "";
}

int DEV_MCI::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        int style = wp_style_from_options(c.arg[2].s);
        if (!wp_has_keyword(wp_opt, "BASIC")) return -1;
        if (!media && dev_media()) media.reset(dev_media()->media_new());
        if (wp_open_at_home(style) != 0) return -1;
        wp_show();
    }
    wp_value.val_putd(0);
    return 0;
}

int DEV_MCI::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (media_command(cmd, a, n) == 0) return 0;
    if (n == 0 && strcmp(cmd, "MCOPY") == 0) {
        WP_VIEW *v = wp_get_view();
        wp_value.val_putd(v ? v->view_copy() : -1);
        return 0;
    }
    return WP_PART::wp_command(cmd, a, n);
}

// The player's commands: their status (0, -1 without a player or when the player refuses),
// a length or position in milliseconds, the state's text, the volume before.
int DEV_MCI::media_command(const char *cmd, VAL_U *const *a, int n)
{
    struct CMD {
        const char *name;
        int argc;
    };
    static const CMD cmds[] = {{"MOPEN", 1}, {"MCLOSE", 0}, {"MPLAY", 0}, {"MSTOP", 0}, {"MSIZE", 0},
                               {"MTELL", 0}, {"MSEEK", 1}, {"MSTAT", 0}, {"MVOL", 1}};
    int k = 0;
    while (k < 9 && (strcmp(cmd, cmds[k].name) != 0 || n != cmds[k].argc)) k++;
    if (k == 9) return -1;
    DEV_MEDIA *m = media.get();
    if (k == 7) {
        wp_value.val_puts(state_text(m ? m->media_state() : -1));
        return 0;
    }
    long r = -1;
    if (m) {
        switch (k) {
        case 0: file = a[0]->val_gets(); r = m->media_open(wp_find_file(file.c_str()).c_str()); break;
        case 1: r = m->media_close(); break;
        case 2: r = m->media_play(); break;
        case 3: r = m->media_stop(); break;
        case 4: r = m->media_length(); break;
        case 5: r = m->media_position(); break;
        case 6: r = m->media_seek(scr_trunc32(a[0]->val_getd())); break;
        default: r = m->media_volume(scr_trunc32(a[0]->val_getd())); break;
        }
    }
    wp_value.val_putd(double(r));
    return 0;
}
