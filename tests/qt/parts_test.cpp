// Pasted parts in the window, worked with real mouse and key events: a click on a button counts
// and recalculates, typing into a cell under a part is refused, the part menu copies a cell
// name, graphs and shadow pictures look as stored, the insert-part menu writes its formula or
// opens the editor at the placeholder, and parts follow rows and scrolling.
#include "tests/qt/winfix.h"
#include "gadgets/wpkinds.h"

#include <QCheckBox>
#include <QClipboard>
#include <QListWidget>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

namespace {

struct Parts : WIN_FIX<> {
    void SetUp() override
    {
        start(dir / "p.kov");
        show_active(900, 600);
    }
    int part_widgets()
    {
        int n = 0;
        for (QFrame *f : win.grid->viewport()->findChildren<QFrame *>(Qt::FindDirectChildrenOnly))
            if (WP_QTVIEWS::qt_part_of(f)) n++;
        return n;
    }
    // A click through the window system (a right press there also makes the context menu).
    void click_at(QWidget *w, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseClick(win.windowHandle(), b, {}, w->mapTo(&win, w->rect().center()));
    }
    // Right-clicks w and picks the item label of the part menu that opens (look sees the menu
    // first): whether the item was there.
    bool menu_pick(QWidget *w, const char *label, std::function<void(QMenu *)> look = nullptr)
    {
        bool done = false;
        when_shown<QMenu>([&](QMenu *m) {
            if (look) look(m);
            for (QAction *a : m->actions())
                if (a->text() == QString::fromUtf8(label)) a->trigger(), done = true;
            m->close();
        });
        click_at(w, Qt::RightButton);
        return QTest::qWaitFor([&] { return done; }, 5000);
    }
};

// The picture of a part's canvas against a stored one: each channel within 40, at most 1% of
// the pixels apart. KOV_UPDATE_PICTURES=1 writes the stored one instead.
void same_picture(const QImage &got, const char *name)
{
    QString path = QStringLiteral(KOV_TEST_DATA "/") + QLatin1String(name);
    if (qEnvironmentVariableIsSet("KOV_UPDATE_PICTURES")) {
        ASSERT_TRUE(got.save(path));
    }
    QImage want(path);
    ASSERT_FALSE(want.isNull()) << name;
    ASSERT_EQ(got.size(), want.size()) << name;
    QImage a = got.convertToFormat(QImage::Format_RGB32), b = want.convertToFormat(QImage::Format_RGB32);
    int apart = 0;
    for (int y = 0; y < a.height(); y++)
        for (int x = 0; x < a.width(); x++) {
            QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (abs(qRed(p) - qRed(q)) > 40 || abs(qGreen(p) - qGreen(q)) > 40 || abs(qBlue(p) - qBlue(q)) > 40) apart++;
        }
    EXPECT_LE(apart, a.width() * a.height() / 100) << name;
}

} // namespace

TEST_F(Parts, ButtonClickCountsAndRecalculates)
{
    form(1, 1, "=wpPUSH(1,1,\"LINEF\",\"OK\",\"\")");
    form(1, 2, "=R1C1");
    form(2, 2, "=RC+R1C1");   // presses summed over the passes
    QFrame *f = frame(1, 1);
    ASSERT_NE(f, nullptr);
    auto *b = f->findChild<QPushButton *>();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->isVisible());
    EXPECT_EQ(b->text(), QStringLiteral("OK"));
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);   // no "FOCUS" among the options
    for (int k = 1; k <= 3; k++) {
        click_at(b);
        ASSERT_TRUE(QTest::qWaitFor([&] { return num(2, 2) == k; }, 5000)) << k;
        EXPECT_EQ(num(1, 2), 1);   // the press of this click only: the count is reset when read
    }
}

TEST_F(Parts, CellsUnderAPartRefuseTyping)
{
    form(1, 1, "=wpTNLAMP(2,2,\"\",\"lamp\",\"red\")");
    kov.csv_put_num(4, 4, 7);
    for (auto [x, y] : {std::pair{1, 1}, {2, 2}}) {
        win.grid->grid_goto(x, y);
        type_into(win.grid, QStringLiteral("5"));
        EXPECT_FALSE(win.grid->grid_editing()) << x << "," << y;
        EXPECT_EQ(status(), "貼付部品に隠れたセルには入力できません");
    }
    win.grid->grid_goto(1, 1);
    type_into(win.grid, QStringLiteral("="));   // the formula may still be edited
    EXPECT_TRUE(win.grid->grid_editing());
    QTest::keyClick(win.grid->grid_editor(), Qt::Key_Escape);
    win.grid->grid_goto(3, 1);   // beside the part
    type_into(win.grid, QStringLiteral("8"));
    QTest::keyClick(win.grid->grid_editor(), Qt::Key_Return);
    EXPECT_EQ(num(3, 1), 8);
}

TEST_F(Parts, PartMenuCopiesTheCellName)
{
    form(2, 3, "=wpCHECK(2,1,\"\",\"check\",RC)");
    ASSERT_NE(frame(2, 3), nullptr);
    EXPECT_TRUE(menu_pick(frame(2, 3)->findChild<QWidget *>(), "部品セル名コピー(&P)", [](QMenu *m) {
        EXPECT_FALSE(m->actions().value(3)->isEnabled());   // a check box has no picture to copy
    }));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("R3C2"));
    EXPECT_EQ(status(), "R3C2 をコピーしました");
}

TEST_F(Parts, PartMenuHidesDeletesAndShowsAgain)
{
    form(1, 1, "=wpPUSH(1,1,\"\",\"a\",\"\")");
    form(1, 3, "=wpPUSH(1,1,\"\",\"b\",\"\")");
    win.part_x = 1, win.part_y = 1;
    win.win_part_cmd(KVM_PART_HIDE);
    EXPECT_FALSE(frame(1, 1)->isVisible());
    EXPECT_EQ(status(), "指定部品を非表示にしました。(メインメニューに非表示解除があります)");
    win.win_command(KVM_PARTS_HIDE);
    EXPECT_FALSE(frame(1, 3)->isVisible());
    win.win_command(KVM_PARTS_SHOW);
    EXPECT_TRUE(frame(1, 1)->isVisible() && frame(1, 3)->isVisible());
    EXPECT_EQ(status(), "貼付部品の非表示を解除しました");
    win.part_x = 1, win.part_y = 3;
    win.win_part_cmd(KVM_PART_DELETE);
    EXPECT_EQ(kov.csv_get_form(1, 3), nullptr);
    EXPECT_EQ(part_widgets(), 1);
    EXPECT_EQ(status(), "貼付部品を削除しました");
    win.part_x = 1, win.part_y = 1;
    win.win_part_cmd(KVM_PART_DELETE);
    win.win_command(KVM_PARTS_HIDE);
    EXPECT_EQ(status(), "貼付部品がありません");
}

TEST_F(Parts, GraphAndShadowLookAsStored)
{
    for (int k = 0; k < 8; k++) kov.csv_put_num(k, 0, k * k);
    for (int k = 0; k < 16; k++) kov.csv_put_num(k % 4, 10 + k / 4, k / 15.0);
    form(1, 2, "=wpTNGRAPH(3,4,\"PUSHF,VBAR\",R0C0:R0C7,0,0,\"DarkGray\",\"White\")");
    form(5, 2, "=wpTNGRAPH(3,4,\"LINEF,VLINE\",R0C0:R0C7,0,64,\"Red\",\"White\")");
    form(1, 7, "=wpTNSHADOW(2,2,\"MONO\",R10C0:R13C3)");
    form(4, 7, "=wpTPUTS(3,1,\"PULLF\",\"-12.5:0\",\"LEDG\")");   // segments, not a font
    form(4, 9, "=wpVGETD(2,2,\"PUSHF\",\"LCD1\",0,1,0.25,0.5)");
    QApplication::processEvents();
    auto canvas = [&](int x, int y) { return frame(x, y) ? frame(x, y)->grab().toImage() : QImage(); };
    same_picture(canvas(1, 2), "graph_vbar.png");
    same_picture(canvas(5, 2), "graph_vline.png");
    same_picture(canvas(1, 7), "shadow_mono.png");
    same_picture(canvas(4, 7), "tputs_ledg.png");
    same_picture(canvas(4, 9), "vgetd_lcd.png");
}

TEST_F(Parts, InsertMenuWritesTheFormulaOrOpensTheEditor)
{
    auto pick = [&](const char *label) {
        for (QAction *a : win.findChildren<QAction *>())
            if (a->text() == QString::fromUtf8(label)) return a->trigger();
        ADD_FAILURE() << label;
    };
    kov.kov_select({1, 2, 2, 2}, 2, 2);   // two columns, one row
    pick("無地押しボタン(&P)");
    EXPECT_STREQ(kov.csv_get_form(1, 2), "wpPUSH(2,1,\"\",\"push\",\"\")");
    ASSERT_NE(frame(1, 2), nullptr);
    EXPECT_TRUE(frame(1, 2)->isVisible());

    kov.kov_select({4, 5, 5, 5}, 5, 5);   // a combo box takes a second row for its list
    pick("項目選択(&I)");
    ASSERT_TRUE(win.grid->grid_editing());
    QLineEdit *ed = win.grid->grid_editor();
    EXPECT_EQ(ed->text(), QStringLiteral("=wpICOMBO(2,2,\"\",,RC)"));
    EXPECT_EQ(ed->cursorPosition(), ed->text().indexOf(QStringLiteral(",,")) + 1);
    EXPECT_EQ(status(), "コンボボックス・データ領域");
    type_into(ed, QStringLiteral("R0C0:R0C3\n"));   // the area typed at the caret
    EXPECT_STREQ(kov.csv_get_form(4, 5), "wpICOMBO(2,2,\"\",R0C0:R0C3,RC)");
    EXPECT_NE(frame(4, 5)->findChild<QComboBox *>(), nullptr);

    kov.kov_select({0, 8, 2, 8}, 0, 8);
    pick("LED 緑(&G)");   // the text display: the caret between the quotes
    EXPECT_EQ(ed->text(), QStringLiteral("=wpTPUTS(3,1,\"PUSHF\",\"\",\"LEDG\")"));
    EXPECT_EQ(ed->cursorPosition(), ed->text().indexOf(QStringLiteral("\"\",\"LEDG")) + 1);
    EXPECT_EQ(status(), "文字列を入力してください");
    QTest::keyClick(ed, Qt::Key_Escape);

    kov.kov_select({3, 9999, 3, 9999}, 3, 9999);   // no row below the last one
    pick("文字列選択(&S)");
    EXPECT_FALSE(win.grid->grid_editing());
    EXPECT_EQ(status(), "領域不足");

    kov.kov_select({6, 12, 8, 14}, 6, 12);
    pick("可変周期(&A)");   // two formulas: the scroll bar above the timer
    EXPECT_STREQ(kov.csv_get_form(6, 12), "wpHSCROLL(3,1,\"\",100,RC,0)");
    EXPECT_STREQ(kov.csv_get_form(6, 13), "wpTNTIMER(3,2,\"PUSHF,ASTABLE\",\"LCD1\",R[-1]C)");
}

TEST_F(Parts, PartsFollowRowsAndScrolling)
{
    form(2, 4, "=wpPUSH(1,1,\"\",\"x\",\"\")");
    QFrame *f = frame(2, 4);
    ASSERT_NE(f, nullptr);
    const QRect at = f->geometry();
    const int rh = at.height();
    win.grid->verticalScrollBar()->setValue(2);
    EXPECT_EQ(f->geometry().top(), at.top() - 2 * rh);
    EXPECT_TRUE(f->isVisible());
    win.grid->verticalScrollBar()->setValue(5);   // its row above the first shown one
    EXPECT_FALSE(f->isVisible());
    win.grid->verticalScrollBar()->setValue(0);
    EXPECT_TRUE(f->isVisible());
    kov.csv_set_wide(0, 20);   // a wider first column moves it right
    win.grid->grid_sizes();
    EXPECT_GT(f->geometry().left(), at.left());

    // A row inserted above moves the part with its formula; the deleted row takes it away.
    kov.kov_select({0, 1, 0, 1}, 0, 1);
    kov.wm_menu(KVM_INS_ROWS);
    ASSERT_NE(frame(2, 5), nullptr);
    EXPECT_EQ(frame(2, 5)->geometry().top(), at.top() + rh);
    kov.kov_select({0, 5, 0, 5}, 0, 5);
    when_shown<QMessageBox>([](QMessageBox *m) { m->button(QMessageBox::Ok)->click(); });
    kov.wm_menu(KVM_DEL_ROWS);
    EXPECT_EQ(kov.csv_get_form(2, 5), nullptr);
    EXPECT_EQ(part_widgets(), 0);
    EXPECT_TRUE(win.grid->grid_parts()->views.empty());
}

// The controls worked with the mouse: each click reaches the part, which decides and the sheet
// follows.
TEST_F(Parts, ControlsTakeClicks)
{
    form(1, 1, "=wpCHECK(2,1,\"LINEF\",\"check\",RC)");
    form(1, 3, "=wpHSCROLL(4,1,\"LINEF\",100,RC,0)");
    form(1, 5, "=wpILIST(2,3,\"\",R0C5:R3C5,RC)");
    for (int k = 0; k < 4; k++) kov.csv_put_str(5, k, ("item" + std::to_string(k)).c_str());
    kov.csv_form_calc(nullptr);
    auto *check = frame(1, 1)->findChild<QCheckBox *>();
    auto *bar = frame(1, 3)->findChild<QScrollBar *>();
    auto *list = frame(1, 5)->findChild<QListWidget *>();
    ASSERT_TRUE(check && bar && list);
    EXPECT_EQ(list->count(), 4);

    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return num(1, 1) == 1; }, 5000));
    EXPECT_TRUE(check->isChecked());

    // The right arrow steps by 1; a click beside the thumb by a tenth of the range.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 4, bar->height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return num(1, 3) == 1; }, 5000));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() * 3 / 4, bar->height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return num(1, 3) == 11; }, 5000));
    EXPECT_EQ(bar->value(), 11);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return num(1, 5) == 2; }, 5000));
}

// Pictures come through Qt's readers; one that cannot be read says "nofile:NAME" in the part.
TEST_F(Parts, PicturesOrNofile)
{
    QImage red(8, 6, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(dir / "red.png")));
    ASSERT_TRUE(red.save(QString::fromStdString(dir / "red.bmp")));
    kov.csv_set_fname((dir / "p.kov").c_str());
    form(1, 1, "=wpPUSH(2,2,\"\",\"pic\",\"red.png\")");
    form(4, 1, "=wpPUSH(2,2,\"\",\"pic\",\"none.png\")");
    form(1, 4, "=wpTNBOARD(3,3,\"\",\"red.bmp\")");
    form(5, 4, "=wpTNBOARD(3,3,\"\",\"gone.jpg\")");
    auto *with = frame(1, 1)->findChild<QPushButton *>();
    auto *without = frame(4, 1)->findChild<QPushButton *>();
    EXPECT_FALSE(with->icon().isNull());
    EXPECT_EQ(with->text(), QStringLiteral("pic"));
    EXPECT_TRUE(without->icon().isNull());
    EXPECT_EQ(without->text(), QStringLiteral("nofile:none.png"));
    QImage board = frame(1, 4)->grab().toImage();
    EXPECT_EQ(board.pixelColor(board.width() / 2, board.height() / 2), QColor(Qt::red));   // centred
    QImage gone = frame(5, 4)->grab().toImage();
    EXPECT_EQ(gone.pixelColor(gone.width() / 2, gone.height() / 2), QColor(Qt::white));   // cleared
}

// Deleting through the menu of a right click takes the part whose widget was clicked.
TEST_F(Parts, PartMenuDeletesTheClickedPart)
{
    form(1, 1, "=wpPUSH(2,1,\"LINEF\",\"del\",\"\")");
    ASSERT_TRUE(menu_pick(frame(1, 1)->findChild<QPushButton *>(), "部品削除(&D)"));
    EXPECT_EQ(kov.csv_get_form(1, 1), nullptr);
    EXPECT_EQ(part_widgets(), 0);
    EXPECT_EQ(kov.csv_curx, 1);
    EXPECT_EQ(status(), "貼付部品を削除しました");
}

// The step setting's arrows: the upper one raises the value by a step, the lower one lowers it.
TEST_F(Parts, StepSettingArrows)
{
    form(1, 2, "=wpVGETD(2,2,\"LINEF\",\"LEDY\",0,50,5,10)");
    QWidget *c = frame(1, 2)->findChild<QWidget *>();
    ASSERT_NE(c, nullptr);
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(c->width() - 3, 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return num(1, 2) == 15; }, 5000));
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(c->width() - 3, c->height() - 3));
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(c->width() - 3, c->height() - 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return num(1, 2) == 5; }, 5000));
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(c->width() / 3, c->height() / 2));   // the figures: nothing
    QApplication::processEvents();
    EXPECT_EQ(num(1, 2), 5);
}
