#include "gadgets/wpdoor.h"

WP_PART::WP_PART(int x, int y, WP_EVENTS *ev) : wp_x(x), wp_y(y), wp_ev(ev)
{
    if (!ev) return;
    wp_next = ev->wp_first;
    if (wp_next) wp_next->wp_prev = this;
    ev->wp_first = this;
}

WP_PART::~WP_PART()
{
    delete wp_view;
    if (!wp_ev) return;
    if (wp_prev) wp_prev->wp_next = wp_next;
    else wp_ev->wp_first = wp_next;
    if (wp_next) wp_next->wp_prev = wp_prev;
}

void WP_EVENTS::wp_tick_all(int clock)
{
    for (WP_PART *p = wp_first; p; p = p->wp_next) p->wp_tick(clock);
}

void WP_PART::wp_set_view(WP_VIEW *v)
{
    if (v == wp_view) return;
    delete wp_view;
    wp_view = v;
}

void WP_PART::wp_send(WP_EVENT kind, WP_CALC calc) const
{
    if (wp_ev) wp_ev->wp_event({kind, calc, {wp_x, wp_y, wp_x, wp_y}});
}
