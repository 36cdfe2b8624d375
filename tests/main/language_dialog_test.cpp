// The language dialog on a window over a scratch program folder: the list, the headers, Apply,
// Import and Edit, what they refuse, and the panel switch's key while such dialogs are open.
#include "main/language_dialog.h"
#include "main/window_harness.h"

#include "support/file_content.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::string languageDocument(const std::string& native, const std::string& quit,
                             const std::string& root = "Language") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + " Native=\"" + native +
           "\" Code=\"tt\" Author=\"Ann\" Version=\"2\"><Strings><String Name=\"Quit\">" + quit +
           "</String></Strings></" + root + ">\n";
}

class LanguageDialogTest : public testing::Test, protected WindowHarness {
protected:
    void SetUp() override {
        program.write("lang/Zzz.xml", languageDocument("Testish", "Beenden"));
        program.write("lang/Bad.xml", "<Language><Strings>");
        program.write("lang/lower.xml", languageDocument("Lower", "Lower", "language"));
        create();
    }

    TOKRightDlg12* openDialog() {
        action("Jzyk1")->trigger();
        return window->findChildren<TOKRightDlg12*>().back();
    }
    template <class T> static T* part(TOKRightDlg12* dialog, const char* name) {
        return dialog->findChild<T*>(name);
    }
    static void highlight(TOKRightDlg12* dialog, const std::string& name) {
        auto* list = part<QListWidget>(dialog, "ListBox1");
        const auto found = list->findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found.front());
    }
    static std::string shownNative(TOKRightDlg12* dialog) {
        return part<QLabel>(dialog, "Label4")->text().toStdString();
    }
    // The last message box's text begins so.
    bool lastBoxBegins(const std::string& start) { return lastBox().rfind(start, 0) == 0; }
};

TEST_F(LanguageDialogTest,
       ListsTheLangFilesShowsTheHighlightedHeaderAndAppliesItForThisAndTheNextRun) {
    TOKRightDlg12* dialog = openDialog();
    EXPECT_EQ(dialog->windowTitle(), "Language");
    EXPECT_EQ(dialog->LangFiles(),
              (std::vector<std::string>{"Bad.xml", "English.xml", "Zzz.xml", "lower.xml"}));
    EXPECT_EQ(shownNative(dialog), "English") << "the active language's header";
    QAccessibleInterface* value =
        QAccessible::queryAccessibleInterface(part<QLabel>(dialog, "Label4"));
    EXPECT_EQ(value->text(QAccessible::Name), "English");
    const auto captions = value->relations(QAccessible::Label);
    ASSERT_EQ(captions.size(), 1);
    EXPECT_EQ(captions.front().first->text(QAccessible::Name), "Name");

    // A click or a key shows the highlighted file's header.
    auto* list = part<QListWidget>(dialog, "ListBox1");
    QApplication::setActiveWindow(dialog);
    QListWidgetItem* item = list->findItems("Zzz.xml", Qt::MatchExactly).front();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    EXPECT_EQ(shownNative(dialog) + "|" + part<QLabel>(dialog, "Label1")->text().toStdString(),
              "Testish|Ann");
    ASSERT_TRUE(pumpUntil([&] { return focused() == list; }));
    press(Qt::Key_Up);
    EXPECT_EQ(shownNative(dialog), "English");
    press(Qt::Key_Down);
    QPointer<TOKRightDlg12> watched(dialog);
    press(Qt::Key_Return);

    EXPECT_EQ(action("wyjcie1")->text(), "Beenden") << "the window's texts change at once";
    EXPECT_EQ(readFile(program.at("Language.xml")), readFile(program.at("lang/Zzz.xml")));
    EXPECT_TRUE(pumpUntil([&] { return watched.isNull(); })) << "the dialog closes and goes";
    EXPECT_TRUE(messages->shown().empty());

    create();
    EXPECT_EQ(action("wyjcie1")->text(), "Beenden");
}

TEST_F(LanguageDialogTest, DocumentsThatAreNoLanguageAreRefusedAndNothingIsCopied) {
    const std::string active = readFile(program.at("Language.xml"));
    TOKRightDlg12* dialog = openDialog();
    for (const char* name : {"Bad.xml", "lower.xml"}) {
        highlight(dialog, name);
        EXPECT_TRUE(lastBoxBegins("App error - IndexErrorInSelectLangXMLFile\n\n")) << name;
        EXPECT_EQ(shownNative(dialog), "English") << "the previous header stays";
        part<QPushButton>(dialog, "SpeedButton1")->click();
        EXPECT_TRUE(lastBoxBegins("App error in ReplaceLangXMLFile\n\n")) << name;

        const std::string outside =
            home.write(std::string("import-") + name, readFile(program.at("lang/") + name));
        dialog->importFile(outside);
        EXPECT_TRUE(lastBoxBegins("App error in LoadXMLLangFile\n\n")) << name;
        EXPECT_FALSE(std::filesystem::exists(program.at("lang/import-") + name));
    }
    EXPECT_EQ(readFile(program.at("Language.xml")), active);
    EXPECT_EQ(action("wyjcie1")->text(), "Quit");
}

TEST_F(LanguageDialogTest,
       ImportRefreshesThisDialogOnlyAndEditAndApplyWithNothingHighlightedClose) {
    TOKRightDlg12* dialog = openDialog();
    TOKRightDlg12* other = openDialog();
    const std::string imported = home.write("Suomi.xml", languageDocument("Suomi", "Lopeta"));
    dialog->importFile(imported);
    EXPECT_EQ(readFile(program.at("lang/Suomi.xml")), readFile(imported));
    EXPECT_EQ(part<QListWidget>(dialog, "ListBox1")->currentItem()->text(), "Suomi.xml");
    EXPECT_EQ(shownNative(dialog), "Suomi");
    EXPECT_EQ(other->LangFiles().size(), 4u) << "the other dialog keeps its list";
    EXPECT_EQ(window->findChildren<TOKRightDlg12*>().size(), 2) << "no window of its own";

    // Onto itself.
    const std::string before = readFile(program.at("lang/Zzz.xml"));
    dialog->importFile(program.at("lang/Zzz.xml"));
    EXPECT_EQ(readFile(program.at("lang/Zzz.xml")), before);

    // Edit and Apply with nothing highlighted do nothing but close.
    const std::string active = readFile(program.at("Language.xml"));
    ASSERT_TRUE(pumpUntil([&] { return window->findChildren<QProcess*>().isEmpty(); }))
        << "the window's own question for the desktop's editor";
    part<QPushButton>(other, "SpeedButton4")->click();
    EXPECT_TRUE(window->findChildren<QProcess*>().isEmpty()) << "no editor is started";
    QPointer<TOKRightDlg12> watched(other);
    part<QPushButton>(other, "SpeedButton1")->click();
    EXPECT_TRUE(pumpUntil([&] { return watched.isNull(); }));
    EXPECT_EQ(readFile(program.at("Language.xml")), active);
    EXPECT_TRUE(messages->shown().empty());
}

TEST_F(LanguageDialogTest, ThePanelSwitchMovesToCtrlTabUntilTheLastDialogCloses) {
    window->show();
    QAction* item = action("Aktywneokno1");
    PanelGrid& grid = panel(PanelSide::Left).grid();
    const auto press = [&](Qt::KeyboardModifiers modifiers) {
        window->ActivateLeftPanel();
        QTest::keyClick(&grid, Qt::Key_Tab, modifiers);
        return window->activePanelNumber() == 1;
    };
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::Key_Tab));
    EXPECT_TRUE(press(Qt::NoModifier));

    TOKRightDlg12* first = openDialog();
    TOKRightDlg12* second = openDialog();
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Tab));
    EXPECT_FALSE(press(Qt::NoModifier));
    EXPECT_TRUE(press(Qt::ControlModifier));

    QTest::keyClick(first, Qt::Key_Escape);
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Tab));
    second->close();
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::Key_Tab));
    EXPECT_TRUE(press(Qt::NoModifier));
}

} // namespace
