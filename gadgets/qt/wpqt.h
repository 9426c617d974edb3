// The window's views of pasted parts: a Qt widget per part kind over the grid's viewport, made by
// the factory WP_QTVIEWS. A view shows its part's state and hands the user's actions to the part;
// it never changes the sheet itself. The grid tells the factory where cells lie and when the
// views must follow the sheet (scrolling, widths, the font).
#pragma once
#include <QFrame>
#include <QObject>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <functional>
#include <string>
#include <vector>

#include "gadgets/wpdoor.h"

class WP_QTVIEWS;
struct WP_PICTURE;

// The base of every view: a frame (raised, sunken, a line or none, as the options say) over the
// part's cells, holding the kind's widget.
class WP_QTVIEW : public WP_VIEW {
public:
    WP_QTVIEW(WP_QTVIEWS &vs, WP_PART &p);
    ~WP_QTVIEW() override;
    void view_place(int x, int y, int w, int h) override;
    void view_show(bool on) override;
    void view_update() override { sync(); }
    int view_copy() override;
    // Geometry, visibility and the cut at the cells' edge, as things are now.
    void apply();
    virtual void sync() {}
    // The part's picture file, read once: views repaint at every recalculation of the sheet.
    // A null image when it cannot be read.
    const QImage &picture(const WP_PICTURE &pic);
    WP_QTVIEWS &vs;
    WP_PART &part;
    QPointer<QFrame> frame;
    bool shown = true;    // as the model says
    bool hidden = false;  // hidden by the user's part menu (until all are shown again)
    int l = -10000, t = -10000, w = 0, h = 0;

protected:
    std::string pic_file;   // what pic_img was read from
    QImage pic_img;
    // The kind's widget fills the frame; it and its children take no focus without "FOCUS".
    void set_inner(QWidget *inner);
};

class WP_QTVIEWS : public QObject, public WP_VIEWS {
public:
    // The pixel rectangle of a cell in the surface's coordinates (cells left of or above the
    // first shown one lie at negative offsets); -1 when the cell has none.
    using CELL_RECT = std::function<int(int x, int y, int &l, int &t, int &w, int &h)>;
    WP_QTVIEWS(QWidget *surface, CELL_RECT cells);
    ~WP_QTVIEWS() override;

    WP_VIEW *wp_view_new(WP_PART &part) override;
    int wp_cell_rect(int x, int y, int &l, int &t, int &w, int &h) override;

    // Where the cells are shown (the surface without its headers): views outside are hidden,
    // views across its edge are cut at it.
    void qt_area(QRect a) { area = a; }
    // Every view onto its part's cells again.
    void qt_place_all();
    // Hides every view, or shows again every view (those hidden one by one too); the number of
    // views.
    int qt_hide_all(bool hide);
    // Each new part widget and its children pass here (the grid filters their events).
    std::function<void(QWidget *)> adopt;
    // The part a widget (or one of its parents) shows; nullptr for other widgets.
    static WP_PART *qt_part_of(const QWidget *w);
    static WP_QTVIEW *qt_view_of(const WP_PART *p);
    // Makers of views of the kinds of higher layers (the device terminals), tried before the
    // kinds of this layer; nullptr: not theirs.
    using MAKER = WP_QTVIEW *(*)(WP_QTVIEWS &vs, WP_PART &p);
    static void qt_maker_add(MAKER make);
    // The part has a drawing surface (its picture can be copied).
    static bool qt_draws(const WP_PART *p) { return p && p->wp_drawable(); }

    QWidget *surface;
    CELL_RECT cells;
    QRect area;
    bool all_hidden = false;
    std::vector<WP_QTVIEW *> views;   // the live views, not owned (their parts own them)
};

// Shift-JIS of the model to the window's text, and a file name as the system spells it.
QString wp_qs(const std::string &sjis);
QString wp_qfile(const std::string &name);

// Makers of the kinds' views (wpqtctl.cpp: the controls, wpqtdraw.cpp: the drawing surfaces).
WP_QTVIEW *wp_qt_control(WP_QTVIEWS &vs, WP_PART &p);
WP_QTVIEW *wp_qt_surface(WP_QTVIEWS &vs, WP_PART &p);
