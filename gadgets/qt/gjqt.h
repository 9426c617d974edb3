// The window's views of script gadgets (win_open): a frame per gadget window, top-level for a
// POPUP (owned by the sheet's window or the parent gadget's), a child widget for a CHILD (in the
// parent gadget's window or the sheet's client area), around the kind's widget. The factory also
// draws text into pictures with the sheet's font and keeps the picture clipboard.
#pragma once
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QPointer>
#include <functional>
#include <memory>

#include "gadgets/gjmodel.h"

class GJ_QTVIEWS;

class GJ_QTVIEW : public GJ_VIEW {
public:
    GJ_QTVIEW(GJ_QTVIEWS &vs, GJ_MODEL &m);
    ~GJ_QTVIEW() override;
    void gv_update() override;
    void gv_apply() override;
    int gv_activate() override;
    // The kind's widget shows the model's state.
    virtual void sync() {}
    // Style bits only the kind's widget knows (scroll bars).
    virtual void style_inner(int) {}

    GJ_QTVIEWS &vs;
    GJ_MODEL &m;
    QPointer<QFrame> win;          // the window
    QWidget *inner = nullptr;      // the kind's widget, filling the client area
    std::unique_ptr<QObject> guard;   // the context of the view's connections: they end with it
    bool applying = false;         // the view itself changes the widgets: no edits flow back

protected:
    void set_inner(QWidget *w);

private:
    void place();
    void flags();
    void frame_style();
    void focus(bool on);
};

class GJ_QTVIEWS : public GJ_VIEWS {
public:
    // owner: the sheet's window (POPUPs belong to it); client: the sheet's client area (CHILDs
    // of the sheet); font: the sheet's font as it is now.
    GJ_QTVIEWS(QWidget *owner, QWidget *client, std::function<QFont()> font);
    GJ_VIEW *gj_view_new(GJ_MODEL &m) override;
    void gj_cell(int &w, int &h) const override;
    int gj_text(GJ_PIXELS &pic, int x, int y, const char *text, int color, int back) override;
    int gj_clip_put(const GJ_PIXELS &pic) override;
    int gj_clip_get(GJ_PIXELS &pic) override;

    // The window a view of this model has (nullptr for none).
    static QFrame *gj_window_of(const GJ_MODEL *m);
    // The model a widget (or one of its parents) shows; nullptr for other widgets.
    static GJ_MODEL *gj_model_of(const QWidget *w);

    QPointer<QWidget> owner, client;
    std::function<QFont()> font;
};

// A picture as Qt's image and back (0xRRGGBB words).
QImage gj_qimage(const GJ_PIXELS &pic);
void gj_from_qimage(const QImage &img, GJ_PIXELS &pic);

// Makers of the kinds' views (gjqtctl.cpp); the plain widget for a kind without its own.
GJ_QTVIEW *gj_qt_view(GJ_QTVIEWS &vs, GJ_MODEL &m);
// The cell grid of an ARRAY gadget (gjqtgrid.cpp); nullptr for another kind.
GJ_QTVIEW *gj_qt_grid_view(GJ_QTVIEWS &vs, GJ_MODEL &m);
