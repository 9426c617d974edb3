#include "app/clihost.h"
#include "devices/devdoor.h"
#include "script/lex.h"
#include "base/kovtext.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

long KOV_CLIHOST::host_callback(int code, intptr_t arg)
{
    if (code == SCRCB_PAUSE && arg) {   // nobody to press CONT: show the text and go on
        fprintf(stderr, "%s\n", kov::sj_to_utf8((const char *)arg).c_str());
        return 0;
    }
    if (code == SCRCB_ONESTEP && cli_budget >= 0 && ++cli_steps > cli_budget) return -1;
    return KOV_HOST::host_callback(code, arg);
}

// Rows and columns count from 1, as compilers print them; the file name is printed as given.
void KOV_CLIHOST::host_ed_show(const char *text, long at, long, const char *msg)
{
    if (!msg) return;   // the statement that runs next: a terminal has no run display
    int row = -1, col = -1;
    if (text && at >= 0) SCR_LEX::scr_text2rowcol(text, text + at, row, col);
    if (!*msg && row < 0) return;   // a fault: its message was shown already
    std::string m = kov::sj_to_utf8(msg ? msg : "");
    const char *file = cli_name.empty() ? host_ed_name() : cli_name.c_str();
    char line[64];
    snprintf(line, sizeof line, row < 0 || col < 0 ? ": " : ":%d:%d: ", row + 1, col + 1);
    // A broken script is reported by the recalculation at load and again by the run: once.
    std::string said = file + std::string(line) + m;
    if (said == cli_said) return;
    cli_said = said;
    fprintf(stderr, "%s\n", said.c_str());
}

int KOV_CLIHOST::host_message(const char *text, int kind)
{
    printf("%s\n", kov::sj_to_utf8(text ? text : "").c_str());
    fflush(stdout);
    return kind == KOV_MB_YESNO || kind == KOV_MB_YESNOCANCEL ? KOV_IDYES : KOV_IDOK;
}

void KOV_CLIHOST::host_beep()
{
    if (isatty(2)) fputs("\a", stderr);
}

// The devices of the application served by this host (nullptr when it has none live).
static DEV_DOORS *live_devices(SYS_EVENTS *ev)
{
    auto *h = dynamic_cast<DEV_HOST *>(ev);
    return h && h->dev_doors().dev_pending() ? &h->dev_doors() : nullptr;
}

void KOV_CLIHOST::host_wait(int ms)
{
    if (DEV_DOORS *d = live_devices(host_ev)) d->dev_serve(ms);
    else KOV_HOST::host_wait(ms);
}

void KOV_CLIHOST::host_quit(int status)
{
    cli_quit = true;
    KOV_HOST::host_quit(status);
}

// Devices, notices and the repeating timer served until no device is left or quit is asked.
int KOV_CLIHOST::host_loop()
{
    KOV_HOST::host_pump();
    uint32_t ticked = host_ticks();
    while (!cli_quit) {
        DEV_DOORS *d = live_devices(host_ev);
        if (!d) break;
        int gone = int(host_ticks() - ticked);
        d->dev_serve(timer_ms ? std::max(0, timer_ms - gone) : 1000);
        KOV_HOST::host_pump();
        if (timer_ms && int(host_ticks() - ticked) >= timer_ms && host_ev) {
            ticked = host_ticks();
            host_ev->kov_tick();
        }
    }
    return quit_status;
}
