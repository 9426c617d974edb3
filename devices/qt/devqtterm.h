// The view of a terminal part (a serial port, a socket): its screen model painted in a fixed
// font, keys typed into it sent when the part has "FOCUS", a file dropped on it sent.
#pragma once
#include "devices/devterm.h"
#include "gadgets/qt/wpqt.h"

#include <QWidget>


class DEV_QTTERM final : public WP_QTVIEW {
public:
    DEV_QTTERM(WP_QTVIEWS &vs, DEV_TERM &p);
    void sync() override;
    // The drawing commands of a terminal act on its screen model; the shapes it does not draw.
    int view_draw(const WP_DRAW &) override { return -1; }
    DEV_TERM &term;
    QWidget *screen;   // the painted screen (owned by the frame)
};
