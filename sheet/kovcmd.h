// The commands of the sheet window by number. One number names a command wherever it comes from:
// a menu item, a toolbar button, a key, wm_menu from a script, or a "celattr" keyword; the
// numbers travel in files and scripts, so they never change. The table below them says, per
// command, what the menus and the toolbar show, its key, whether it changes the sheet and in
// which run states its button acts. It lives in the sheet layer so that the part functions that
// take the "celattr" keywords read the same rows as the window.
#pragma once
#include <string>
#include <vector>

enum KOV_CMDID {
    KVM_NEW_1 = 1,
    KVM_CSV_OPEN = 2,
    KVM_CSV_SAVE = 3,
    KVM_CSV_OVERWRITE = 4,
    KVM_PRINT_ALL = 5,
    KVM_PRINT_SEL = 6,
    KVM_QUIT = 7,
    KVM_DEL_ALL = 8,
    KVM_CLR_ALL_DATA = 9,
    KVM_CLR_ALL_ATTR = 10,
    KVM_RESIZE = 11,
    KVM_TOOLBAR = 13, KVM_ROWNAME, KVM_COLNAME, KVM_HSCROLL, KVM_VSCROLL, KVM_STATBAR,
    KVM_FONT_LARGE = 19, KVM_FONT_MEDIUM, KVM_FONT_SMALL,
    KVM_CNROW = 22, KVM_RNCOL, KVM_FIND_FWD, KVM_FIND_BACK, KVM_FIND_NEXT, KVM_FIND_PREV, KVM_DIAMOND,
        KVM_GO_FIRST,
    KVM_GO_USED = 31, KVM_GO_LAST, KVM_GO_ROW, KVM_GO_COL,
    KVM_MARK1 = 35, KVM_MARK2, KVM_MARK3, KVM_MARK4, KVM_JUMP1, KVM_JUMP2, KVM_JUMP3, KVM_JUMP4,
    KVM_SCRLOCK = 43,
    KVM_WPBEEP = 44,
    KVM_SIZE_648x432 = 45, KVM_SIZE_864x576, KVM_SIZE_1080x720, KVM_SIZE_1296x864, KVM_SIZE_1512x1008,
        KVM_SIZE_1728x1152, KVM_SIZE_768x432, KVM_SIZE_1024x576, KVM_SIZE_1280x720, KVM_SIZE_1536x864,
        KVM_SIZE_1792x1008, KVM_SIZE_2048x1152,
    KVM_AUTOWIDE = 57,
    KVM_WIDE_ALL_10 = 58, KVM_WIDE_ALL_2, KVM_WIDE_ALL_4, KVM_WIDE_ALL_8, KVM_WIDE_ALL_12, KVM_WIDE_ALL_16,
        KVM_WIDE_ALL_20, KVM_WIDE_ALL_24, KVM_WIDE_ALL_28, KVM_WIDE_ALL_32, KVM_WIDE_ALL_36, KVM_WIDE_ALL_40,
    KVM_WIDE_SEL_10 = 70, KVM_WIDE_SEL_2, KVM_WIDE_SEL_4, KVM_WIDE_SEL_8, KVM_WIDE_SEL_12, KVM_WIDE_SEL_16,
        KVM_WIDE_SEL_20, KVM_WIDE_SEL_24, KVM_WIDE_SEL_28, KVM_WIDE_SEL_32, KVM_WIDE_SEL_36, KVM_WIDE_SEL_40,
    KVM_INPUT_AUTO = 82, KVM_INPUT_STR, KVM_INPUT_NUM, KVM_INPUT_NONE, KVM_FMT_G, KVM_FMT_E,
    KVM_FMT_F0 = 88, KVM_FMT_F1, KVM_FMT_F2, KVM_FMT_F3, KVM_FMT_F4, KVM_FMT_F5, KVM_FMT_F6, KVM_FMT_F7,
        KVM_FMT_F8, KVM_FMT_F9, KVM_FMT_F10, KVM_FMT_F11, KVM_FMT_F12, KVM_FMT_F13, KVM_FMT_F14, KVM_FMT_F15,
    KVM_FMT_X1 = 104, KVM_FMT_X2, KVM_FMT_X4, KVM_FMT_X6, KVM_FMT_X8, KVM_FMT_X10, KVM_FMT_X12,
    KVM_TEXT_DEFAULT = 111, KVM_TEXT_BLACK, KVM_TEXT_WHITE, KVM_TEXT_WINDOW, KVM_TEXT_GRAY, KVM_TEXT_BLUE,
        KVM_TEXT_RED, KVM_TEXT_MAGENTA, KVM_TEXT_GREEN, KVM_TEXT_CYAN, KVM_TEXT_YELLOW,
    KVM_BACK_DEFAULT = 122, KVM_BACK_BLACK, KVM_BACK_WHITE, KVM_BACK_WINDOW, KVM_BACK_GRAY, KVM_BACK_BLUE,
        KVM_BACK_RED, KVM_BACK_MAGENTA, KVM_BACK_GREEN, KVM_BACK_CYAN, KVM_BACK_YELLOW,
    KVM_LINE_ARRAY = 133, KVM_LINE_BOX, KVM_LINE_HLINE, KVM_LINE_VLINE, KVM_LINE_NONE, KVM_ATTR_CLEAR,
    KVM_DOWN_SUM = 139, KVM_DOWN_AVERAGE, KVM_DOWN_HARMEAN, KVM_DOWN_GEOMEAN, KVM_DOWN_MAX, KVM_DOWN_MIN,
        KVM_DOWN_VARP, KVM_DOWN_VAR, KVM_DOWN_STDEVP, KVM_DOWN_STDEV, KVM_DOWN_COVAR, KVM_DOWN_REGRESS,
        KVM_DOWN_CORREL, KVM_DOWN_COUNT, KVM_DOWN_MEDIAN,
    KVM_RIGHT_SUM = 154, KVM_RIGHT_AVERAGE, KVM_RIGHT_HARMEAN, KVM_RIGHT_GEOMEAN, KVM_RIGHT_MAX, KVM_RIGHT_MIN,
        KVM_RIGHT_VARP, KVM_RIGHT_VAR, KVM_RIGHT_STDEVP, KVM_RIGHT_STDEV, KVM_RIGHT_COVAR, KVM_RIGHT_REGRESS,
        KVM_RIGHT_CORREL, KVM_RIGHT_COUNT, KVM_RIGHT_MEDIAN,
    KVM_MEQUATION = 169, KVM_PARTS_HIDE, KVM_PARTS_SHOW,
    KVM_PART_NEW_FIRST = 172, KVM_PART_NEW_LAST = 248,   // creating a part over the selection
    KVM_DEL_ROWS = 250, KVM_DEL_COLS, KVM_REEDIT, KVM_INS_ROWS, KVM_INS_COLS, KVM_REF_ABS, KVM_REF_REL,
        KVM_COPY_ALL_BIN, KVM_COPY_ALL_TEXT, KVM_PASTE_ALL, KVM_COPY_NAME, KVM_CALC_SEL, KVM_COPY_BIN,
        KVM_COPY_TEXT, KVM_PASTE, KVM_MOVE, KVM_CLR_DATA, KVM_CLR_ATTR, KVM_CLR_CELLS,
    KVM_RAND_10 = 269, KVM_RAND_100, KVM_RAND_1000, KVM_RAND_10000, KVM_RAND_FF, KVM_RAND_FFFF,
        KVM_RAND_FFFFFF, KVM_RAND_PM9, KVM_RAND_PM99, KVM_RAND_PM999, KVM_RAND_PM9999, KVM_RAND_FRAC,
        KVM_RAND_WORD, KVM_SERIAL_0, KVM_SERIAL_1, KVM_SORT_UP, KVM_SORT_DOWN, KVM_ROT_UP, KVM_ROT_DOWN,
        KVM_USAGE, KVM_ASSOC, KVM_VERSION,
    KVM_TB_HELP = 292, KVM_TB_EDIT, KVM_TB_MOVE, KVM_TB_WHOLE, KVM_TB_FIND, KVM_CALC, KVM_F07_RUN,
        KVM_F08_STEP, KVM_F09_PAUS, KVM_TB_GAP, KVM_F11_CONT, KVM_F12_STOP, KVM_TB_ADJUST, KVM_NEW, KVM_OPEN,
        KVM_SAVE_AS, KVM_SAVE, KVM_EDIT_SCRIPT, KVM_VIEW_VARS, KVM_VIEW_FUNCS, KVM_VIEW_STACK, KVM_CYCLE_STOP,
        KVM_CYCLE_250, KVM_CYCLE_1000, KVM_CYCLE_10000, KVM_PART_EDIT, KVM_PART_HELP, KVM_PART_PICTURE,
        KVM_PART_COPY, KVM_PART_NAME, KVM_PART_FIT, KVM_PART_HIDE, KVM_PART_DELETE,
};
static_assert(KVM_GO_FIRST == 29 && KVM_JUMP4 == 42 && KVM_SIZE_2048x1152 == 56 && KVM_WIDE_SEL_40 == 81);
static_assert(KVM_FMT_F15 == 103 && KVM_BACK_YELLOW == 132 && KVM_RIGHT_MEDIAN == 168 && KVM_CLR_CELLS == 268);
static_assert(KVM_VERSION == 290 && KVM_F12_STOP == 303 && KVM_CYCLE_10000 == 316 && KVM_PART_DELETE == 324);

// Run states of a command's button, a bit per state (TST_STOP .. TST_CYCLE_10000ms).
enum : unsigned {
    KCR_STOP = 1, KCR_RUN = 2, KCR_STEP = 4, KCR_PAUSE = 8, KCR_CALC = 16, KCR_CYCLE = 32 | 64 | 128,
};
// Flags of a command.
enum : unsigned {
    KCF_SHEET = 1,   // changes the sheet: refused while the screen is locked
    KCF_CHECK = 2,   // a switch: its menu item carries a check mark
    KCF_GAP = 4,     // its toolbar button follows a gap
};

struct KOV_CMD {
    int id;
    std::string label;     // menu label with its & key ("" none)
    std::string tip;       // status-bar tip and tooltip
    std::string key;       // shortcut in portable text ("Ctrl+O", "F7"; "" none)
    std::string keyword;   // the "celattr" keyword ("" none)
    std::string button;    // toolbar label ("" not on the toolbar)
    unsigned flags;        // KCF_*
    unsigned run;          // KCR_* states in which it acts; 0 acts in every state
};

// Every command in number order.
const std::vector<KOV_CMD> &kov_cmds();
// The row of a command; nullptr for a number that is no command.
const KOV_CMD *kov_cmd(int id);
// The command of a "celattr" keyword ("BACK,RED"); -1 for none.
int kov_cmd_by_keyword(const char *keyword);
// Whether the command acts in run state (0..7): 0 or 1.
int kov_cmd_enabled(int state, int id);

// What an insert-part command writes (KVM_PART_NEW_FIRST .. KVM_PART_NEW_LAST):
// the formula for the top-left cell of the selection, made for its size. Texts are Shift-JIS.
enum KOV_PARTNEED {
    KPN_READY,   // the formula is complete: written at once
    KPN_AREA,    // a cell area is missing at the caret: edited, with the prompt
    KPN_TEXT,    // a text is missing between the quotes at the caret: edited, with the prompt
    KPN_FILE,    // a picture file: asked first, then written
};
struct KOV_PARTFORM {
    std::string form;    // without the leading "="
    std::string form2;   // the formula of the row below ("" none)
    int need = KPN_READY;
    int caret = -1;      // byte offset of the placeholder in form (-1 none)
    int rows = 1;        // least rows the part takes (the selection is made this high)
    std::string prompt;  // status text while editing, or the note of provisional settings
};
// Whether a command is an insert-part command.
bool kov_is_part_new(int id);
// The formula of an insert-part command for w columns and h rows (h already raised to rows; a
// file for KPN_FILE, "" otherwise). 0, or -1 for a number that is no insert-part command.
int kov_part_form(int id, int w, int h, const char *file, KOV_PARTFORM &f);
