// What the window shows a user and a screen reader: header captions, texts after a language
// change, folders and files that cannot be read, the panel's table over the accessibility bus.
#include "main/language_dialog.h"
#include "main/window_harness.h"

#include "support/as_nobody.h"
#include "support/file_content.h"

#include <QAccessible>
#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QStyle>
#include <QToolButton>
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sys/stat.h>

namespace {

// A command of the test's own: the worker drops its file access rights.
struct AsNobody {
    static constexpr int id = 9001;
};

class WindowViewTest : public testing::Test, protected WindowHarness {
protected:
    // The window's workers read and copy as "nobody" from here on, so permission bits count.
    void workersAsNobody() {
        const auto drop = [](const AsNobody&) { fileAccessAsNobody(true); };
        window->engine().localWorker().on<AsNobody>(drop);
        window->engine().remoteWorker().on<AsNobody>(drop);
        ASSERT_TRUE(postWhenTaken(window->engine().localCommands(), AsNobody{}));
        ASSERT_TRUE(postWhenTaken(window->engine().remoteCommands(), AsNobody{}));
        ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    }
};

TEST_F(WindowViewTest, AScreenReaderReadsEveryColumnAndFollowsTheCursor) {
    home.write("b.txt", "text");
    home.write("c.tar.gz", "text");
    home.dir("a");
    ASSERT_TRUE(open());
    ASSERT_TRUE(activate());
    press(Qt::Key_Down);
    press(Qt::Key_Down);

    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(&left().grid());
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    QStringList captions;
    for (int column = 0; column < table->columnCount(); ++column)
        captions << table->columnDescription(column);
    for (const char* key : {"Name", "Ext", "Size", "Attribute", "Date"})
        EXPECT_TRUE(captions.contains(QString::fromStdString(tr(key)))) << key;
    ASSERT_EQ(currentName(PanelSide::Left), "b.txt");
    QAccessibleInterface* focus = grid->focusChild();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->text(QAccessible::Name), "b.txt");
    const int ext = static_cast<int>(captions.indexOf(QString::fromStdString(tr("Ext"))));
    ASSERT_GE(ext, 0);
    EXPECT_EQ(table->cellAt(2, ext)->text(QAccessible::Name), "TXT");
}

// A screen reader hears as focused only the cell the keys go to, so it can tell the active
// panel; the "[..]" row reads no attribute number, since none is drawn.
TEST_F(WindowViewTest, OnlyTheCellWithTheKeyboardFocusIsFocusedForAScreenReader) {
    home.write("b.txt", "text");
    ASSERT_TRUE(open());
    ASSERT_TRUE(activate());
    press(Qt::Key_Down);
    const auto table = [this](PanelSide side) {
        return QAccessible::queryAccessibleInterface(&panel(side).grid())->tableInterface();
    };
    // The names of the cells a screen reader hears as focused, left panel then right.
    const auto focusedCells = [&] {
        QStringList names;
        for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
            QAccessibleTableInterface* cells = table(side);
            for (int row = 0; row < cells->rowCount(); ++row)
                for (int column = 0; column < cells->columnCount(); ++column)
                    if (QAccessibleInterface* cell = cells->cellAt(row, column);
                        cell && cell->state().focused)
                        names << cell->text(QAccessible::Name);
            names << "|";
        }
        return names.join(' ').toStdString();
    };
    EXPECT_EQ(focusedCells(), "b.txt | |");
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), &right().grid());
    EXPECT_EQ(focusedCells(), "| [..] |");
    click(right().widgets().maskBox); // the keys go to the mask box: no cell has them
    ASSERT_NE(focused(), &right().grid());
    EXPECT_EQ(focusedCells(), "| |");
    clickRow(PanelSide::Left, 1);
    EXPECT_EQ(focusedCells(), "b.txt | |");

    int attr = -1;
    for (int column = 0; column < table(PanelSide::Left)->columnCount(); ++column)
        if (table(PanelSide::Left)->columnDescription(column) ==
            QString::fromStdString(tr("Attribute")))
            attr = column;
    ASSERT_GE(attr, 0);
    EXPECT_EQ(table(PanelSide::Left)->cellAt(0, attr)->text(QAccessible::Name).toStdString(), "");
    EXPECT_EQ(table(PanelSide::Left)->cellAt(1, attr)->text(QAccessible::Name).toStdString(),
              "-a--");
}

TEST_F(WindowViewTest, EveryHeaderCaptionFitsWithItsSortArrow) {
    ASSERT_TRUE(open());
    ASSERT_TRUE(activate());
    for (const char* name :
         {"SpeedButton14", "SpeedButton22", "SpeedButton15", "SpeedButton16", "SpeedButton17"}) {
        auto* button = child<QToolButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(2, button->height() / 2));
        ASSERT_TRUE(pumpUntil([button] { return !button->icon().isNull(); }))
            << name << ": the click sorts and shows the arrow";
        QFont bold = button->font(); // as under the pointer
        bold.setBold(true);
        const int frame =
            button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        const int room = button->width() - 2 * frame - button->iconSize().width() - 4;
        EXPECT_GE(room, QFontMetrics(bold).horizontalAdvance(button->text())) << name;
    }
}

TEST_F(WindowViewTest, ALanguageChangeRewritesTheStatusLinesAtOnce) {
    program.write("lang/Zzz.xml",
                  "<Language Native=\"Z\" Code=\"zz\" Author=\"A\" Version=\"1\"><Strings>"
                  "<String Name=\"Files\">Dateien</String><String Name=\"Dirs\">Ordner</String>"
                  "<String Name=\"Size\">Groesse</String><String Name=\"Free\">Frei</String>"
                  "<String Name=\"Used\">Belegt</String></Strings></Language>");
    home.write("b.txt", "text");
    ASSERT_TRUE(open());
    ASSERT_TRUE(activate());
    press(Qt::Key_Down);
    trigger("Jzyk1");
    QPointer<TOKRightDlg12> dialog = window->findChildren<TOKRightDlg12*>().back();
    auto* list = dialog->findChild<QListWidget*>("ListBox1");
    QApplication::setActiveWindow(dialog);
    QListWidgetItem* item = list->findItems("Zzz.xml", Qt::MatchExactly).front();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    ASSERT_TRUE(pumpUntil([&] { return focused() == list; }));
    press(Qt::Key_Return);
    ASSERT_TRUE(pumpUntil([&] { return dialog.isNull(); }));
    EXPECT_EQ(left().widgets().totalsLabel->text().toStdString(),
              "Dateien 1 | Ordner 0 | Groesse 0KB");
    EXPECT_EQ(left().widgets().selectionLabel->text().toStdString(),
              "Dateien 0 | Ordner 0 | Groesse 0KB");
    const std::string disk = left().widgets().diskLabel->text().toStdString();
    EXPECT_TRUE(std::regex_match(disk, std::regex("Frei: [0-9]+MB Belegt: [0-9]+MB "))) << disk;
}

TEST_F(WindowViewTest, WhatCannotBeReadIsNamedWithTheReason) {
    const std::string locked = home.dir("locked");
    const std::string secret = home.write("secret", "text");
    const std::string target = home.dir("to");
    ::chmod(home.path().c_str(), 0755);
    ::chmod(target.c_str(), 0777);
    ::chmod(locked.c_str(), 0);
    ::chmod(secret.c_str(), 0);
    ASSERT_TRUE(open());
    workersAsNobody();
    ASSERT_TRUE(postWhenTaken(window->engine().remoteCommands(), cmd::ReadFolder{1, target}));
    ASSERT_TRUE(showing(PanelSide::Right, target));
    ASSERT_TRUE(activate());

    select(PanelSide::Left, "secret");
    press(Qt::Key_F5);
    ASSERT_TRUE(pumpUntil([&] { return !boxTexts().empty() && idle(); }));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{tr("OperationNotAllowed") + "\n\n" + secret +
                                                   "\nPermission denied"});

    select(PanelSide::Left, "[locked]");
    press(Qt::Key_Return);
    ASSERT_TRUE(pumpUntil([&] { return boxTexts().size() == 2 && idle(); }));
    EXPECT_EQ(lastBox(), "Could not load full file list.\n\n" + locked + "\nPermission denied");
    EXPECT_EQ(names(PanelSide::Left), std::vector<std::string>{"[..]"});
    EXPECT_EQ(left().widgets().pathLabel->text().toStdString(), "..");
    reread();
    EXPECT_EQ(boxTexts().size(), 2u) << "a re-read of the same folder stays quiet";
}

TEST_F(WindowViewTest, TheKeyboardLayoutListsOnlyCommandsTheWindowHas) {
    create();
    std::set<QKeySequence> working;
    for (const QAction* item : window->findChildren<QAction*>())
        for (const QKeySequence& key : item->shortcuts())
            if (item->isVisible())
                working.insert(key);
    // The window's own sections, up to the dialogs' keys.
    const std::string text = readFile(program.at("keyboard.txt"));
    const std::regex combination(R"(\n  ((Ctrl\+|Alt\+|Shift\+)+\w+) )");
    const std::string commands = text.substr(0, text.find("\nDialogs\n"));
    int listed = 0;
    for (auto it = std::sregex_iterator(commands.begin(), commands.end(), combination);
         it != std::sregex_iterator(); ++it, ++listed) {
        QString key = QString::fromStdString((*it)[1]).replace("Enter", "Return");
        // Clicks are no keys, and Alt+F4 is the desktop's own close of the window.
        if (!key.endsWith("click") && key != "Alt+F4") {
            EXPECT_TRUE(working.count(QKeySequence::fromString(key))) << key.toStdString();
        }
    }
    EXPECT_GT(listed, 20);
}

} // namespace
