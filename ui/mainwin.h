// The main window: menu bar, toolbar, the sheet grid and the status bar; the script window
// beside it. Commands go to KOV_U::wm_menu, except the few that are the window's own (file
// dialogs, the script window, the version).
#pragma once
#include "print/qt/prqt.h"

#include <QMainWindow>
#include <map>
#include <memory>
#include <vector>

class KOV_U;
class WP_PART;
class KOV_GRID;
class KOV_VIEWWIN;
class KOV_EDITWIN;
class KOV_HELPWIN;
class GJ_QTVIEWS;
class QAction;
class QMenu;
struct MENU_ITEM;

// Qt's own texts (standard buttons, dialogs) in Japanese, from Qt's translations folder; false
// when they are not installed, and the window keeps Qt's English.
bool kov_qt_translate();

class KOV_MAINWIN : public QMainWindow {
    Q_OBJECT
public:
    KOV_MAINWIN();
    ~KOV_MAINWIN() override;
    void win_attach(KOV_U *kov);
    void win_run_state(int state);
    void win_cell_info();     // the cursor cell's description in the status bar
    void win_command(int id);
    void win_title();
    KOV_U *kov = nullptr;
    KOV_GRID *grid;
    KOV_EDITWIN *editor;
    std::unique_ptr<GJ_QTVIEWS> gadgets;   // windows of script gadgets
    KOV_VIEWWIN *views[3] = {};   // variables, functions, stack history (made when first opened)
    std::unique_ptr<PRN_QT> printer;   // the platform's printer through its dialog
    KOV_HELPWIN *help = nullptr;
    void win_views();             // refill the open views
    void win_checks();            // the check marks of the switches as they are now
    // Another sheet in place of this one, after the question about unsaved changes. 0 / -1.
    int win_open(const QString &name);

    void win_context(QPoint at);   // the cell context menu
    // The insert-part commands: the formula into the selection's top-left cell, or into the
    // cell editor where it waits for an area or a text.
    void win_part_new(int id);
    // The part menu of the part at home cell (x, y), and its commands.
    void win_part_menu(int x, int y, QPoint at);
    void win_part_cmd(int id);
    void win_parts_show(bool on);
    void win_part_fit(WP_PART &part);
    int part_x = -1, part_y = -1;   // the part the part menu was opened on

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    std::map<int, std::vector<QAction *>> acts;   // a command's menu item and button
    QAction *act(int id, bool button);
    void menus();
    void add_menu(QMenu *m, const std::vector<MENU_ITEM> &items);
    static const std::vector<MENU_ITEM> &cell_menu();
    static std::vector<MENU_ITEM> part_new_menu();
    QMenu *part_menu = nullptr;
    void toolbar();
    bool save_as(bool ask);
};
