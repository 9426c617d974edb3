// The window's views of pasted parts: a Qt widget per part kind over the grid's viewport, made by
// the factory WP_QTVIEWS. A view shows its part's state and hands the user's actions to the part;
// it never changes the sheet itself. The grid tells the factory where cells lie and when the
// views must follow the sheet (scrolling, widths, the font).
#pragma once
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <vector>

#include "gadgets/wpdoor.h"

class WP_QTVIEW;

class WP_QTVIEWS : public QObject, public WP_VIEWS {
public:
    // The pixel rectangle of a cell in the surface's coordinates (cells left of or above the
    // first shown one lie at negative offsets); -1 when the cell has none.
    using CELL_RECT = std::function<int(int x, int y, int &l, int &t, int &w, int &h)>;
    WP_QTVIEWS(QWidget *surface, CELL_RECT cells);
    ~WP_QTVIEWS() override;

    WP_VIEW *wp_view_new(WP_PART &part) override;

    // Where the cells are shown (the surface without its headers): views outside are hidden,
    // views across its edge are cut at it.
    void qt_area(QRect a) { area = a; }
    // Every view onto its part's cells again.
    void qt_place_all();
    // Hides (all) or shows again every view; the number of views.
    int qt_hide_all(bool hide);
    // Each new part widget and its children pass here (the grid filters their events).
    std::function<void(QWidget *)> adopt;
    // The part a widget (or one of its children) shows; nullptr for other widgets.
    static WP_PART *qt_part_of(const QWidget *w);

    QWidget *surface;
    CELL_RECT cells;
    QRect area;
    std::vector<WP_QTVIEW *> views;   // the live views, not owned (their parts own them)
};
