// The sheet grid: drawn straight from the cell store, so that a sheet of 1000 columns by
// 1,000,000 rows scrolls without a model in between. Scrolling is by whole cells; the cursor
// and the selection are the application's: csv_curx, csv_cury and kov_sel, whose first corner is
// the anchor and whose second the cursor, moved through KOV_U's cursor operations.
#pragma once
#include <QAbstractScrollArea>
#include <QLineEdit>
#include <string>

#include "sheet/kovhost.h"

class KOV_U;
class WP_QTVIEWS;

class KOV_GRID : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit KOV_GRID(QWidget *parent);
    void grid_attach(KOV_U *kov);
    void grid_font(int height);           // sheet font height in pixels
    void grid_sizes();                    // the store's size or widths changed
    void grid_goto(int x, int y, bool extend = false);
    void grid_follow();                   // the cursor moved elsewhere: bring it into view
    // Selection, normalised (x1 <= x2, y1 <= y2).
    void grid_sel(int &x1, int &y1, int &x2, int &y2) const;
    bool grid_editing() const { return editor->isVisible(); }
    QLineEdit *grid_editor() const { return editor; }
    // Opens the cell editor as the key would (a byte, or KOV_KEY_REEDIT).
    void grid_edit(int key, const QString &first = QString());
    // Opens the formula editor on the cursor cell with this text, the caret at caret.
    bool grid_edit_text(const QString &text, int caret);
    // The part whose window lies at a point of the viewport (its home cell), or false.
    bool grid_part_at(QPoint p, int &x, int &y) const;
    // The part views: placed over their cells, hidden and shown by the user.
    WP_QTVIEWS *grid_parts() const { return parts; }
    void grid_place_parts();
    int top = 0, left = 0;                // first visible row and column
    int diamond = 0;

signals:
    void cursor_moved();
    void part_context(int x, int y, QPoint global);   // the part menu of the part at home cell (x, y)
    void context(QPoint global);   // the cell context menu is asked for
    void status(const QString &text);

protected:
    void paintEvent(QPaintEvent *) override;
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void resizeEvent(QResizeEvent *) override;
    void scrollContentsBy(int, int) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    KOV_U *kov = nullptr;
    QLineEdit *editor;
    WP_QTVIEWS *parts;
    int ed_kind = 0, ed_x = 0, ed_y = 0;
    int cw = 8, rh = 20, fh = 16;         // character width, row height, font height
    int head_w() const;
    int head_h() const;
    int col_w(int x) const;
    int visible_rows() const;
    int visible_cols() const;
    bool cell_at(QPoint p, int &x, int &y) const;
    void keep_visible();
    bool commit(int dx, int dy);
    void edit_with(const QString &t);
    void refuse(const QString &bad);   // a character Shift-JIS cannot hold was entered
    bool hidden_cell(const QString &typed);   // typing into a cell under a part: refused
    void cell_rect(int x, int y, int &l, int &t, int &w, int &h) const;
    // Pointing mode: while a formula is typed, a range picked on the sheet goes in at the caret.
    struct POINTING {
        int on = 0;
        QString text;
        int caret = 0;
        int top = 0, left = 0, curx = 0, cury = 0;
        KOV_RECT sel = {0, 0, 0, 0};
    } pt;
    bool point_start();
    void point_end(bool keep);
};
