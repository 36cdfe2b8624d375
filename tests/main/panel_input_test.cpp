// The panels driven as a user drives them: mouse, keys, menus and header buttons.
#include "main/window_harness.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>

namespace {

// Rows: 0 [..], 1 [alpha], 2 [beta], 3 a.txt (1023 bytes), 4 b.Txt (2048 bytes), 5 c.txt.bak,
// 6 to 12 d.dat to j.dat.
class PanelInputTest : public testing::Test, protected WindowHarness {
protected:
    void SetUp() override {
        home.dir("alpha");
        home.dir("beta");
        home.file("a.txt", 1023);
        home.file("b.Txt", 2048);
        home.file("c.txt.bak");
        for (const char* name : {"d.dat", "e.dat", "f.dat", "g.dat", "h.dat", "i.dat", "j.dat"})
            home.file(name);
        ASSERT_TRUE(open());
        window->resize(1000, 800);
        ASSERT_TRUE(showing(PanelSide::Left, home.path(), 13));
        ASSERT_TRUE(showing(PanelSide::Right, home.path(), 13));
    }

    QWidget* viewport(PanelController& panel) { return panel.grid().viewport(); }
    QPoint pointOf(PanelController& panel, int row) {
        return panel.grid().visualRect(panel.model().index(row, 1)).center();
    }
    void click(PanelController& panel, int row, Qt::KeyboardModifiers modifiers = {}) {
        clickAt(viewport(panel), pointOf(panel, row), modifiers);
    }
    std::vector<int> marked(PanelController& panel) { return panel.model().markedRows(); }
    // The marked rows and the current row.
    using State = std::pair<std::vector<int>, int>;
    State state(PanelController& panel) { return {marked(panel), panel.model().currentRow()}; }
    // Presses the right button on the first row, moves over the others, releases on the last.
    void rightDrag(std::initializer_list<int> rows) {
        QWidget* grid = viewport(left());
        QTest::mousePress(grid, Qt::RightButton, {}, pointOf(left(), *rows.begin()));
        for (auto row = rows.begin() + 1; row != rows.end(); ++row)
            QTest::mouseMove(grid, pointOf(left(), *row));
        QTest::mouseRelease(grid, Qt::RightButton, {}, pointOf(left(), *(rows.end() - 1)));
    }
    std::string sortKey(PanelController& panel) { return panel.explorer().GetSortKey(); }
    static std::vector<QToolButton*> headerStrip(PanelController& panel) {
        const PanelWidgets& w = panel.widgets();
        return {w.nameButton, w.typeButton, w.sizeButton, w.attrButton, w.dateButton};
    }
};

TEST_F(PanelInputTest, SpaceMarksInPlaceAndInsertMovesOn) {
    click(left(), 4);
    press(Qt::Key_Space);
    EXPECT_EQ(state(left()), State({4}, 4));
    press(Qt::Key_Insert);
    EXPECT_EQ(state(left()), State({}, 5));
    click(left(), 12);
    press(Qt::Key_Insert);
    EXPECT_EQ(state(left()), State({12}, 12)) << "the last row stays current";
}

TEST_F(PanelInputTest, MenuCommandsMarkAllNoneInvertedAndByExtension) {
    trigger("Zaznaczwszystko1");
    EXPECT_EQ(marked(left()), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    trigger("Odwrzaznaczenie1");
    EXPECT_TRUE(marked(left()).empty());
    click(left(), 3); // a.txt
    trigger("Extension1");
    EXPECT_EQ(marked(left()), (std::vector<int>{3, 4})) << "a.txt and b.Txt, not c.txt.bak";
    trigger("Unselectallwiththesameext1");
    EXPECT_TRUE(marked(left()).empty() && marked(right()).empty()) << "only the active panel";
}

TEST_F(PanelInputTest, TheParentRowIsNeverMarkedNorCounted) {
    const struct {
        const char* how;
        std::function<void()> mark;
        const char* selection;
    } cases[] = {
        {"Space", [&] { press(Qt::Key_Space); }, "Files 0 | Dirs 0 | Size 0KB"},
        {"Insert", [&] { press(Qt::Key_Insert); }, "Files 0 | Dirs 0 | Size 0KB"},
        {"minus", [&] { typeText("-"); }, "Files 0 | Dirs 0 | Size 0KB"},
        {"right-button press", [&] { rightDrag({0}); }, "Files 0 | Dirs 0 | Size 0KB"},
        {"right-button drag onto it",
         [&] {
             rightDrag({1, 0});
         },
         "Files 0 | Dirs 1 | Size 0KB"},
        {"Shift-click range", [&] { click(left(), 3, Qt::ShiftModifier); },
         "Files 1 | Dirs 2 | Size 0KB"},
        {"select all", [&] { trigger("Zaznaczwszystko1"); }, "Files 10 | Dirs 2 | Size 2KB"},
        {"invert", [&] { trigger("Odwrzaznaczenie1"); }, "Files 10 | Dirs 2 | Size 2KB"},
    };
    EXPECT_EQ(left().widgets().totalsLabel->text(), "Files 10 | Dirs 2 | Size 2KB");
    for (const auto& c : cases) {
        trigger("Odznaczwszystko1");
        click(left(), 0);
        c.mark();
        EXPECT_FALSE(left().model().isMarked(0)) << c.how;
        EXPECT_EQ(left().widgets().selectionLabel->text(), c.selection) << c.how;
    }
}

TEST_F(PanelInputTest, TheKeypadStarInvertsTheMarks) {
    click(left(), 3);
    press(Qt::Key_Space);
    // As X11 delivers it: the key, the keypad modifier and the character, straight to the grid,
    // since there no shortcut with the keypad modifier matches.
    QKeyEvent star(QEvent::KeyPress, Qt::Key_Asterisk, Qt::KeypadModifier, QStringLiteral("*"));
    static_cast<QObject&>(left().grid()).event(&star);
    EXPECT_EQ(state(left()), State({1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 3)) << "no quick search";
    EXPECT_EQ(left().widgets().selectionLabel->text(), "Files 9 | Dirs 2 | Size 2KB");
}

// Marks in both panels, the left one active: a click on the right panel's headers sorts that
// panel alone, from each column's start direction, with one arrow, and drops its marks.
TEST_F(PanelInputTest, HeaderClicksSortTheirPanelFromTheColumnsStartDirection) {
    const auto arrow = [](QStyle::StandardPixmap which) {
        return QApplication::style()->standardIcon(which).pixmap(16).toImage();
    };
    ASSERT_NE(arrow(QStyle::SP_ArrowUp), arrow(QStyle::SP_ArrowDown));
    trigger("Zaznaczwszystko1");
    click(right(), 4);
    press(Qt::Key_Space);
    window->ActivateLeftPanel();
    const PanelWidgets& widgets = right().widgets();
    const std::vector<QToolButton*> strip = headerStrip(right());
    const struct {
        QToolButton* button;
        const char* key;
        QStyle::StandardPixmap glyph;
        const char* row3; // the first file row once sorted, where the order is clear
    } columns[] = {{widgets.nameButton, "name 0-1", QStyle::SP_ArrowDown, "j.dat"},
                   {widgets.typeButton, "type 0-1", QStyle::SP_ArrowUp, nullptr},
                   {widgets.sizeButton, "size 1-0", QStyle::SP_ArrowDown, "b.Txt"},
                   {widgets.attrButton, "attr 1-0", QStyle::SP_ArrowDown, nullptr},
                   {widgets.dateButton, "date 1-0", QStyle::SP_ArrowDown, nullptr}};
    for (const auto& column : columns) {
        column.button->click();
        EXPECT_EQ(sortKey(right()), column.key);
        // The arrow comes with the sorted rows.
        EXPECT_TRUE(pumpUntil([&] {
            return column.button->icon().pixmap(16).toImage() == arrow(column.glyph);
        })) << column.key;
        for (QToolButton* button : strip)
            EXPECT_EQ(button->icon().isNull(), button != column.button) << column.key;
        if (column.row3) {
            EXPECT_TRUE(pumpUntil([&] { return right().model().nameCell(3) == column.row3; }))
                << column.key;
        }
    }
    widgets.dateButton->click();
    EXPECT_EQ(sortKey(right()), "date 0-1") << "a second click turns the order round";
    EXPECT_TRUE(pumpUntil([this] { return marked(right()).empty(); }));
    // Two clicks before the first sort shows: the rows and the arrow end in the second's order.
    widgets.nameButton->click();
    widgets.nameButton->click();
    EXPECT_TRUE(pumpUntil([&] {
        return right().model().nameCell(3) == "j.dat" &&
               &right().model().listing() == right().explorer().GetListing().get() &&
               widgets.nameButton->icon().pixmap(16).toImage() == arrow(QStyle::SP_ArrowDown);
    }));
    EXPECT_EQ(std::tuple(marked(left()).size(), sortKey(left()),
                         left().widgets().sizeButton->icon().isNull()),
              std::tuple(12u, std::string("name 1-0"), true))
        << "the other panel is untouched";
    window->ActivateLeftPanel();
    trigger("data1");
    EXPECT_EQ(sortKey(left()), "date 1-0") << "the sort menu presses the active panel's button";
}

TEST_F(PanelInputTest, ADraggedHeaderEdgeFollowsThePointerAndMovesTheButtonsRightOfIt) {
    const PanelWidgets& widgets = left().widgets();
    const std::vector<QToolButton*> strip = headerStrip(left());
    const auto geometries = [&] {
        std::vector<QRect> result;
        for (QToolButton* button : strip)
            result.push_back(button->geometry());
        return result;
    };
    const auto index = [&](QToolButton* button) {
        return static_cast<std::size_t>(std::find(strip.begin(), strip.end(), button) -
                                        strip.begin());
    };
    for (QToolButton* dragged :
         {widgets.nameButton, widgets.sizeButton, widgets.attrButton, widgets.dateButton}) {
        const std::vector<QRect> before = geometries();
        const int edge = dragged->width() - 5;
        QTest::mousePress(dragged, Qt::LeftButton, {}, QPoint(edge, 5));
        QTest::mouseMove(dragged, QPoint(edge + 30, 5));
        QTest::mouseMove(dragged, QPoint(edge + 20, 5));
        QTest::mouseRelease(dragged, Qt::LeftButton, {}, QPoint(edge + 20, 5));

        const std::vector<QRect> after = geometries();
        for (std::size_t i = 0; i < strip.size(); ++i) {
            QRect expected = before[i];
            if (i == index(dragged))
                expected.setWidth(expected.width() + 20);
            else if (i > index(dragged))
                expected.translate(20, 0);
            EXPECT_EQ(after[i], expected) << strip[i]->objectName().toStdString() << " after "
                                          << dragged->objectName().toStdString();
        }
        EXPECT_EQ(left().grid().columnWidth(PanelModel::NameColumn),
                  after[0].width() + after[1].width());
        for (int slot = 2; slot <= 4; ++slot) // size, attributes, date
            EXPECT_EQ(left().grid().columnWidth(PanelModel::SizeColumn + slot - 2),
                      after[slot].width())
                << slot;
    }
    EXPECT_EQ(sortKey(left()), "name 1-0") << "a resize is not a click";
}

TEST_F(PanelInputTest, EnterOpensAFolderAndBackspaceComesBackToItWithoutItsMarks) {
    click(left(), 3);
    press(Qt::Key_Space);
    left().explorer().ReadDir(home.path(), true);
    left().explorer().FillGrid();
    QApplication::processEvents();
    EXPECT_EQ(marked(left()), std::vector<int>{3}) << "a refresh keeps the marks";
    click(left(), 2); // [beta]
    press(Qt::Key_Return);
    ASSERT_TRUE(showing(PanelSide::Left, home.at("beta"), 1));
    press(Qt::Key_Backspace);
    ASSERT_TRUE(pumpUntil([this] { return left().model().rowCount() == 13; }));
    EXPECT_EQ(state(left()), State({}, 2)) << "the cursor is on the folder just left";
    EXPECT_EQ(window->selectedName(), "[beta]");
}

// The worker may be busy for a moment (a keep-alive, a refresh of its own): a key pressed
// meanwhile waits for it and is not lost.
TEST_F(PanelInputTest, AKeyPressedWhileTheWorkerFinishesAShortCommandRunsAfterIt) {
    std::atomic<bool> release{false};
    holdUntil<cmd::RefreshPanels>(window->engine().remoteWorker(), release);
    ASSERT_TRUE(postWhenTaken(window->engine().remoteCommands(), cmd::RefreshPanels{}));
    click(left(), 2); // [beta]
    press(Qt::Key_Return);
    EXPECT_FALSE(window->engine().remoteCommands().idle());
    release = true;
    EXPECT_TRUE(showing(PanelSide::Left, home.at("beta"), 1));
}

TEST_F(PanelInputTest, TypingALetterJumpsToTheNextEntryBeginningWithIt) {
    ASSERT_TRUE(activate());
    std::vector<int> rows;
    for (const Qt::KeyboardModifier modifier :
         {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier}) {
        press(Qt::Key_B, modifier);
        rows.push_back(left().model().currentRow());
    }
    EXPECT_EQ(rows, (std::vector<int>{2, 4, 2}));
}

} // namespace
